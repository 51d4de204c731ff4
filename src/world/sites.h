// Track sites: the seven sites the program knows, with their codes and
// configuration counts. The names of the configurations come from the text
// table; the worlds themselves come with the world loader.
#pragma once

#include <cstdint>

#include "core/services.h"

constexpr int SiteCount = 7;
constexpr int MaxSiteConfigs = 7;

struct SiteRecord {
    const char* name;            // also the world file's name
    const char* code;            // two letters
    uint8_t configCount;         // 1..7
    uint8_t carried;             // kept as the table gives it; nothing reads it
    uint8_t trackFlag;           // 1 for the circuits, 0 for the autocross area
    uint8_t mapPathFlags[8];     // per configuration (from 1): has a small-map path and may be driven reversed
    uint8_t defaultTimeOfDay[4]; // per light scheme of an old world file
    uint8_t defaultWeather[4];
    TextId configNames[MaxSiteConfigs];  // configurations 1..configCount; keys "3g_cfg_"
};
// In site index order. Constant.
extern const SiteRecord SiteTable[SiteCount];

// Index 0..6 of the site whose name (not code) equals the text without
// regard to case, -1 when none; stores its track flag (0 when none) when
// trackFlag is given.
int FindSite(const char* name, int* trackFlag);
int GetSiteIndex(const char* name);
// The current-language name of configuration 1..7 of a site; null when the
// site has no such configuration.
const char* GetSiteConfigName(int site, int configuration);

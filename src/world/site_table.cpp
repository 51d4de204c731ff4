// The fixed table of track sites and its look-ups.
#include "world/services.h"

const SiteRecord SiteTable[SiteCount] = {
    {"Hollowmere", "HM", 3, 3, 1, {1, 1, 0}, {3, 4, 5, 0}, {0, 1, 1, 0}, {TX_3g_cfg_vall, TX_3g_cfg_ridg, TX_3g_cfg_grtr}},
    {"Dockside", "DK", 6, 3, 1, {1, 1, 1, 1, 1, 1}, {4, 3, 5, 0}, {0, 2, 1, 0}, {TX_3g_cfg_quay, TX_3g_cfg_hblp, TX_3g_cfg_wrhs, TX_3g_cfg_lths, TX_3g_cfg_oldt, TX_3g_cfg_dkgp}},
    {"Gullhaven", "GH", 6, 3, 1, {1, 1, 1, 1, 1, 1}, {3, 5, 6, 0}, {0, 1, 2, 0}, {TX_3g_cfg_clif, TX_3g_cfg_seaf, TX_3g_cfg_head, TX_3g_cfg_rlyx, TX_3g_cfg_sndx, TX_3g_cfg_cogp}},
    {"Autocross", "AU", 4, 3, 0, {0, 0, 0, 0}, {4, 2, 5, 0}, {2, 0, 1, 0}, {TX_3g_cfg_open, TX_3g_cfg_slal, TX_3g_cfg_skid, TX_3g_cfg_drag}},
    {"Orrin Ring", "OG", 3, 3, 1, {1, 1, 1}, {3, 4, 2, 0}, {0, 1, 1, 0}, {TX_3g_cfg_oval, TX_3g_cfg_infl, TX_3g_cfg_ovin}},
    {"Caldrow", "CW", 1, 3, 1, {1}, {3, 4, 5, 0}, {0, 1, 1, 0}, {TX_3g_cfg_mtrd}},
    {"Brennick", "BN", 7, 2, 1, {1, 1, 1, 1, 1, 1, 1}, {3, 4, 0, 0}, {0, 1, 0, 0}, {TX_3g_cfg_club, TX_3g_cfg_clsh, TX_3g_cfg_natl, TX_3g_cfg_sprt, TX_3g_cfg_hpin, TX_3g_cfg_long, TX_3g_cfg_endu}},
};

namespace {

// Letters compared without regard to case, A to Z only, the same in every locale.
bool SameName(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char x = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 32) : *a;
        char y = (*b >= 'a' && *b <= 'z') ? static_cast<char>(*b - 32) : *b;
        if (x != y)
            return false;
        if (x == 0)
            return true;
    }
}

} // namespace

int FindSite(const char* name, int* trackFlag)
{
    for (int i = 0; i < SiteCount; ++i) {
        if (SameName(SiteTable[i].name, name)) {
            if (trackFlag != nullptr)
                *trackFlag = SiteTable[i].trackFlag;
            return i;
        }
    }
    if (trackFlag != nullptr)
        *trackFlag = 0;
    return -1;
}

const char* GetSiteConfigName(int site, int configuration)
{
    if (site < 0 || site >= SiteCount || configuration < 1 || configuration > SiteTable[site].configCount)
        return nullptr;
    return GetText(SiteTable[site].configNames[configuration - 1]);
}

int GetSiteIndex(const char* name)
{
    return FindSite(name, nullptr);
}

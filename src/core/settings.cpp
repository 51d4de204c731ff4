// The settings record and "cfg.txt": defaults, loading with the fix-ups
// that follow it, saving in table order, and "update_cfg.txt".
#include "core/local.h"
#include "core/services.h"
#include "platform/files.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <numbers>
#include <cstring>
#include <string>

SettingsRecord MutableSettings;
const SettingsRecord& Settings = MutableSettings;
DerivedSettingsRecord MutableDerivedSettings;
const DerivedSettingsRecord& DerivedSettings = MutableDerivedSettings;

namespace {

constexpr const char* ConfigFileName = "cfg.txt";
constexpr const char* UpdateConfigFileName = "update_cfg.txt";

// The host list filter when the file has none, and the bit that a file's
// filter always loses.
constexpr int DefaultMpFilter = 0xD4;
constexpr int MpFilterDroppedBit = 0x20;

// Versions whose files may name a language that those versions chose
// wrongly on some systems; such a choice is dropped.
constexpr const char* LanguageResetVersions[] = {"0.5V", "0.5W", "0.5X", "0.5Y"};
// Primary language ids of Bulgarian, Chinese, Japanese and Korean.
constexpr int LanguageResetPrimaries[] = {0x02, 0x04, 0x11, 0x12};

float FovTangentOf(float degrees)
{
    return 2.0f * static_cast<float>(std::tan(static_cast<double>(degrees) * std::numbers::pi / 360.0));
}

// Builds the music file format from the folder; a "%" of the folder is
// doubled so that it stays a character when the format is used.
void BuildMusicTemplate()
{
    std::string format;
    for (const char* p = MutableSettings.musicDir; *p != 0; ++p) {
        if (*p == '%')
            format += '%';
        format += *p;
    }
    format += "\\%s.ogg";
    if (format.size() >= sizeof MutableDerivedSettings.musicFileTemplate) {
        // Cannot happen with a folder of at most 79 characters; keep the default.
        std::strcpy(MutableDerivedSettings.musicFileTemplate, "data\\ogg\\%s.ogg");
        return;
    }
    std::strcpy(MutableDerivedSettings.musicFileTemplate, format.c_str());
}

void ComputeDerivedValues()
{
    MutableDerivedSettings.mainLodFactor = 1.0f / MutableSettings.mainLod;
    MutableDerivedSettings.fovTangent = FovTangentOf(MutableSettings.userFov);
    MutableDerivedSettings.editorFovTangent = FovTangentOf(MutableSettings.editorFov);
    BuildMusicTemplate();
    MutableDerivedSettings.shadowTextureSize = MutableSettings.shadowMode == 1 ? 32 : 64;
}

bool IsAllowedMipFilter(int value)
{
    return value == 0 || value == 1 || value == 2 || value == 4 || value == 8 || value == 16;
}

// Chooses "Language" from the user's language when none is set; "English"
// means the built-in texts and is stored as empty.
void ChooseLanguage()
{
    if (MutableSettings.language[0] != 0) {
        if (EqualsNoCase(MutableSettings.language, "English"))
            MutableSettings.language[0] = 0;
        return;
    }
    int index = ChooseLanguageForId(GetUserDefaultLanguageId());
    if (index >= 0) {
        std::strncpy(MutableSettings.language, LanguageTable[index].name, sizeof MutableSettings.language - 1);
        MutableSettings.language[sizeof MutableSettings.language - 1] = 0;
    }
}

// Reads one "cfg.txt" text into MutableSettings.
void ReadConfigText(const std::string& text)
{
    TextCursor cursor{text.data(), text.size(), 0};
    char window[KeyWindowSize] = {};
    char fileVersion[8] = {};
    bool filterSeen = false;
    const int mpFilterKey = FindConfigKey("MP Filter ");

    for (int c = cursor.Get(); c != -1; c = cursor.Get()) {
        std::memmove(window + 1, window, KeyWindowSize - 1);
        window[0] = static_cast<char>(c);
        int k = MatchKeySuffix(window, ConfigKeyTable, ConfigKeyCount);
        if (k == ConfigKeyCount)
            continue;
        const ConfigKey& key = ConfigKeyTable[k];
        if (key.kind == ConfigValueKind::Version) {
            ReadTextLine(cursor, fileVersion, sizeof fileVersion);
        } else if (key.flags & ConfigKeptAfterFirstRun) {
            char value[64];
            if (key.kind == ConfigValueKind::Name)
                ReadNameLine(cursor, value, key.length + 1);
            else
                ReadTextLine(cursor, value, key.length + 1);
            if (value[0] != 0 && MutableSettings.welcomeZ == 0) {
                char* field = reinterpret_cast<char*>(&MutableSettings) + key.offset;
                std::memcpy(field, value, std::strlen(value) + 1);
            }
        } else {
            ReadConfigValue(cursor, key, &MutableSettings);
            if (k == mpFilterKey)
                filterSeen = true;
        }
    }

    if (std::strcmp(fileVersion, ProductVersion) != 0) {
        MutableSettings.windowedLink = 1;
        bool resetVersion = false;
        for (const char* version : LanguageResetVersions)
            resetVersion = resetVersion || std::strcmp(fileVersion, version) == 0;
        int primary = GetUserDefaultLanguageId() & 0x3FF;
        bool resetPrimary = false;
        for (int id : LanguageResetPrimaries)
            resetPrimary = resetPrimary || primary == id;
        if (resetVersion && resetPrimary)
            MutableSettings.language[0] = 0;
    }
    if (filterSeen)
        MutableSettings.mpFilter &= ~MpFilterDroppedBit;
    else
        MutableSettings.mpFilter = DefaultMpFilter;
}

} // namespace

void SetConfigDefaults()
{
    for (const ConfigKey& key : ConfigKeyTable)
        SetConfigDefault(key, &MutableSettings);
    MutableSettings.mpFilter = DefaultMpFilter;
    MutableDerivedSettings = {};
    ComputeDerivedValues();
}

void SetDefaultStrategy()
{
    MutableSettings.fuelStart = 50;
    MutableSettings.fuelPit = 30;
    MutableSettings.tyreLimit = 30;
    MutableSettings.strategy = 1;
}

void SetDefaultCarName()
{
    std::strcpy(MutableSettings.selectedCar, "WQ SPORT");
}

void LoadConfig()
{
    SetConfigDefaults();
    const SettingsHooks& hooks = GetSettingsHooks();
    hooks.setDefaultTrack();
    SetDefaultStrategy();
    hooks.setDefaultViews();

    std::string text;
    if (platform::ReadTextFile(ConfigFileName, text))
        ReadConfigText(text);

    if (MutableSettings.selectedCar[0] == 0)
        SetDefaultCarName();
    if (!IsAllowedMipFilter(MutableSettings.mipFilter))
        MutableSettings.mipFilter = 0;
    if (MutableSettings.helmetSkins == -1)
        MutableSettings.helmetSkins = MutableSettings.autoGetSkins;
    ChooseLanguage();

    hooks.setSoundLevels(MutableSettings.music, MutableSettings.beeps, MutableSettings.carV);
    ComputeDerivedValues();
    MutableDerivedSettings.menuMinFrameTime = 25;
}

int SaveConfig()
{
    int keptSpeedup = GetSettingsHooks().keptSpeedupOption();
    if (keptSpeedup >= 0)
        MutableSettings.mpSpeedupOpt = keptSpeedup;
    // Modes started by an outside program through InSim end with it.
    if (MutableSettings.outSimMode == 3)
        MutableSettings.outSimMode = 0;
    if (MutableSettings.outGaugeMode == 3)
        MutableSettings.outGaugeMode = 0;
    std::strcpy(MutableSettings.version, ProductVersion);

    std::string bytes = platform::TextWithCrLf(FormatConfigKeys(ConfigKeyTable, ConfigKeyCount, &MutableSettings));
    if (!platform::WriteWholeFile(ConfigFileName, bytes.data(), bytes.size())) {
        LogPrintf("SaveConfig : could not save : %s", ConfigFileName);
        return 0;
    }
    return 1;
}

void ReadUpdateConfig()
{
    static const ConfigKey UpdateKeys[] = {
        {"Version ", ConfigValueKind::Text, 0, 0, 7, 0, 0, 0, 0, 0, "", {}},
        {"Update ", ConfigValueKind::Int, 0, 8, 0, 0, 1, 0, 255, 0, nullptr, {}},
    };
    struct UpdateRecord {
        char version[8];
        int update;
    } record{};
    static_assert(offsetof(UpdateRecord, update) == 8);
    record.update = 1;

    MutableDerivedSettings.updateFlag = 1;
    std::string text;
    if (!platform::ReadTextFile(UpdateConfigFileName, text))
        return;
    TextCursor cursor{text.data(), text.size(), 0};
    char window[KeyWindowSize] = {};
    constexpr int count = static_cast<int>(std::size(UpdateKeys));
    for (int c = cursor.Get(); c != -1; c = cursor.Get()) {
        std::memmove(window + 1, window, KeyWindowSize - 1);
        window[0] = static_cast<char>(c);
        int k = MatchKeySuffix(window, UpdateKeys, count);
        if (k != count)
            ReadConfigValue(cursor, UpdateKeys[k], &record);
    }
    MutableDerivedSettings.updateFlag = std::strcmp(record.version, ProductVersion) == 0 ? record.update : 1;
}

int ChooseLanguageForId(int languageId)
{
    int primary = languageId & 0x3FF;
    int sub = languageId >> 10;
    int best = -1;
    int bestScore = 0;
    for (int i = 0; i < LanguageCount; ++i) {
        const LanguageRecord& language = LanguageTable[i];
        if (language.primaryId != primary)
            continue;
        int score = 1;
        for (uint8_t listed : language.subLanguages) {
            if (listed != 0 && listed == sub)
                score = 2;
        }
        if (score > bestScore) {
            bestScore = score;
            best = i;
        }
    }
    return best;
}

void SetSettings(const SettingsRecord& settings) { MutableSettings = settings; }

void SetDerivedSettings(const DerivedSettingsRecord& derived) { MutableDerivedSettings = derived; }

void UpdateFovTangent()
{
    const SizeRecord& client = ScreenSize.client;
    MutableDerivedSettings.wideScreen = client.height > 0 && client.width >= 3 * client.height ? 1 : 0;
    // The custom in-car view keeps fields of view of its own; until custom
    // views exist the configured ones are in use.
    float fieldOfView = DerivedSettings.wideScreen ? Settings.wideFov : Settings.userFov;
    MutableDerivedSettings.fovTangent = FovTangentOf(fieldOfView);
}

void FitSettingsToDevice(const DeviceLimits& limits)
{
    DerivedSettingsRecord& derived = MutableDerivedSettings;
    derived.maxAnisotropy = std::max(limits.maxAnisotropy, 2);
    MutableSettings.mipFilter = std::min(Settings.mipFilter, derived.maxAnisotropy);
    // A device that reports no limit keeps the program's own.
    if (limits.maxTextureSize > 0)
        derived.maxTextureSize = std::min(derived.maxTextureSize, limits.maxTextureSize);
    if (!limits.shadows)
        MutableSettings.shadowMode = 0;
    if (!limits.modulate2x)
        derived.canModulate2x = 0;
    if (!limits.multiTexture)
        derived.canMultiTexture = 0;
    derived.shadowTextureSize = Settings.shadowMode == 1 ? 32 : 64;
    if (!limits.compressed)
        MutableSettings.halfTexRes = 1;
}

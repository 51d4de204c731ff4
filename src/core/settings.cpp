// The settings record and "cfg.txt": defaults, loading with the fix-ups
// that follow it, saving in table order, and "update_cfg.txt".
#include "core/local.h"
#include "core/services.h"
#include "devices/services.h"
#include "graphics/services.h"
#include "net/services.h"
#include "platform/files.h"
#include "platform/gfx.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <cstring>
#include <string>

SettingsRecord Settings;

int UpdateFlag = 1;
float FovTangent = 2.0f;
float EditorFovTangent = 2.0f;
float MainLodFactor = 1.0f;
char MusicFileTemplate[MusicTemplateSize] = "data\\ogg\\%s.ogg";
int ShadowTextureSize = 64;
int MaxTextureSize = 4096;
int MaxAnisotropy = 2;
int CanModulate2x = 1;
int CanMultiTexture = 1;
int MenuMinFrameTime = 25;
int WideScreen = 0;

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
    return 2.0f * static_cast<float>(std::tan(static_cast<double>(degrees) * 3.14159265358979323846 / 360.0));
}

// Builds the music file format from the folder; a "%" of the folder is
// doubled so that it stays a character when the format is used.
void BuildMusicTemplate()
{
    std::string format;
    for (const char* p = Settings.musicDir; *p != 0; ++p) {
        if (*p == '%')
            format += '%';
        format += *p;
    }
    format += "\\%s.ogg";
    if (format.size() >= sizeof MusicFileTemplate) {
        // Cannot happen with a folder of at most 79 characters; keep the default.
        std::strcpy(MusicFileTemplate, "data\\ogg\\%s.ogg");
        return;
    }
    std::strcpy(MusicFileTemplate, format.c_str());
}

void ComputeDerivedValues()
{
    MainLodFactor = 1.0f / Settings.mainLod;
    FovTangent = FovTangentOf(Settings.userFov);
    EditorFovTangent = FovTangentOf(Settings.editorFov);
    BuildMusicTemplate();
    ShadowTextureSize = Settings.shadowMode == 1 ? 32 : 64;
}

bool IsAllowedMipFilter(int value)
{
    return value == 0 || value == 1 || value == 2 || value == 4 || value == 8 || value == 16;
}

// Chooses "Language" from the user's language when none is set; "English"
// means the built-in texts and is stored as empty.
void ChooseLanguage()
{
    if (Settings.language[0] != 0) {
        if (EqualsNoCase(Settings.language, "English"))
            Settings.language[0] = 0;
        return;
    }
    int index = ChooseLanguageForId(GetUserDefaultLanguageId());
    if (index >= 0) {
        std::strncpy(Settings.language, LanguageTable[index].name, sizeof Settings.language - 1);
        Settings.language[sizeof Settings.language - 1] = 0;
    }
}

// Reads one "cfg.txt" text into Settings.
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
            if (value[0] != 0 && Settings.welcomeZ == 0) {
                char* field = reinterpret_cast<char*>(&Settings) + key.offset;
                std::memcpy(field, value, std::strlen(value) + 1);
            }
        } else {
            ReadConfigValue(cursor, key, &Settings);
            if (k == mpFilterKey)
                filterSeen = true;
        }
    }

    if (std::strcmp(fileVersion, ProductVersion) != 0) {
        Settings.windowedLink = 1;
        bool resetVersion = false;
        for (const char* version : LanguageResetVersions)
            resetVersion = resetVersion || std::strcmp(fileVersion, version) == 0;
        int primary = GetUserDefaultLanguageId() & 0x3FF;
        bool resetPrimary = false;
        for (int id : LanguageResetPrimaries)
            resetPrimary = resetPrimary || primary == id;
        if (resetVersion && resetPrimary)
            Settings.language[0] = 0;
    }
    if (filterSeen)
        Settings.mpFilter &= ~MpFilterDroppedBit;
    else
        Settings.mpFilter = DefaultMpFilter;
}

} // namespace

void SetConfigDefaults()
{
    for (const ConfigKey& key : ConfigKeyTable)
        SetConfigDefault(key, &Settings);
    Settings.mpFilter = DefaultMpFilter;
    UpdateFlag = 1;
    MaxTextureSize = 4096;
    MaxAnisotropy = 2;
    CanModulate2x = 1;
    CanMultiTexture = 1;
    MenuMinFrameTime = 25;
    ComputeDerivedValues();
}

void SetDefaultStrategy()
{
    Settings.fuelStart = 50;
    Settings.fuelPit = 30;
    Settings.tyreLimit = 30;
    Settings.strategy = 1;
}

void SetDefaultCarName()
{
    std::strcpy(Settings.selectedCar, "WQ SPORT");
}

void LoadConfig()
{
    SetConfigDefaults();
    SetDefaultTrack();
    SetDefaultStrategy();
    SetDefaultViews();

    std::string text;
    if (platform::ReadTextFile(ConfigFileName, text))
        ReadConfigText(text);

    if (Settings.selectedCar[0] == 0)
        SetDefaultCarName();
    if (!IsAllowedMipFilter(Settings.mipFilter))
        Settings.mipFilter = 0;
    if (Settings.helmetSkins == -1)
        Settings.helmetSkins = Settings.autoGetSkins;
    ChooseLanguage();

    SetMusicVolume(Settings.music);
    SetEffectsVolume(Settings.beeps);
    SetCarSoundVolume(Settings.carV);
    ComputeDerivedValues();
    MenuMinFrameTime = 25;
}

int SaveConfig()
{
    if (HostOptions.inSimKeptSpeedupOpt >= 0)
        Settings.mpSpeedupOpt = HostOptions.inSimKeptSpeedupOpt;
    // Modes started by an outside program through InSim end with it.
    if (Settings.outSimMode == 3)
        Settings.outSimMode = 0;
    if (Settings.outGaugeMode == 3)
        Settings.outGaugeMode = 0;
    std::strcpy(Settings.version, ProductVersion);

    std::string text;
    char value[256];
    for (const ConfigKey& key : ConfigKeyTable) {
        FormatConfigValue(key, &Settings, value, sizeof value);
        text += key.name;
        text += value;
        text += '\n';
    }
    std::string bytes = platform::TextWithCrLf(text);
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

    UpdateFlag = 1;
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
    UpdateFlag = std::strcmp(record.version, ProductVersion) == 0 ? record.update : 1;
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

float* GetFieldOfView()
{
    WideScreen = ClientSize.height > 0 && ClientSize.width >= 3 * ClientSize.height ? 1 : 0;
    SetScreenScale(WideScreen, Settings.screenCx, Settings.screenCy, Settings.screenXmul, Settings.screenYmul);
    // The custom in-car view keeps fields of view of its own; until custom
    // views exist the configured ones are in use.
    return WideScreen ? &Settings.wideFov : &Settings.userFov;
}

void UpdateFovTangent()
{
    FovTangent = FovTangentOf(*GetFieldOfView());
}

void ReportGraphicsCaps()
{
    using namespace platform;
    const GfxCaps* caps = DeviceCaps();
    if (caps == nullptr)
        return;
    int deviceMaxTexture = static_cast<int>(std::min(caps->maxTextureWidth, caps->maxTextureHeight));
    bool compressed = DeviceTextureFormatUsable(FmtDxt1) && DeviceTextureFormatUsable(FmtDxt3);
    SetUseCompressedTextures(compressed ? 1 : 0);
    MaxAnisotropy = std::max(static_cast<int>(caps->maxAnisotropy), 2);
    Settings.mipFilter = std::min(Settings.mipFilter, MaxAnisotropy);

    // Shadows and doubled textures multiply the frame by a texture: the
    // colour of each is the source's factor of the other.
    bool multiplies = (caps->srcBlendCaps & BlendCapsBit(BlendDestColour)) != 0 &&
                      (caps->destBlendCaps & BlendCapsBit(BlendSrcColour)) != 0;
    bool shadows = multiplies && (caps->textureAddressCaps & TextureAddressCapsClamp) != 0;
    bool twoTimes = multiplies && (caps->textureOpCaps & TextureOpCapsModulate2x) != 0;
    bool multiTexture = caps->maxSimultaneousTextures > 1;
    bool dynamic = (caps->caps2 & Caps2DynamicTextures) != 0;
    auto can = [](bool yes) { return yes ? "can" : "can't"; };
    LogPrintf("max texture size %d", deviceMaxTexture);
    LogPrintf("%s do shadows", can(shadows));
    LogPrintf("%s use 2x tex", can(twoTimes));
    LogPrintf("%s do multi tex", can(multiTexture));
    LogPrintf("%s use dynamic tex", can(dynamic));
    LogPrintf("%s use compressed tex", can(compressed));

    // A device that reports no limit keeps the program's own.
    if (deviceMaxTexture > 0)
        MaxTextureSize = std::min(MaxTextureSize, deviceMaxTexture);
    if (!shadows)
        Settings.shadowMode = 0;
    if (!twoTimes)
        CanModulate2x = 0;
    if (!multiTexture)
        CanMultiTexture = 0;
    ShadowTextureSize = Settings.shadowMode == 1 ? 32 : 64;
    if (!compressed)
        Settings.halfTexRes = 1;
}

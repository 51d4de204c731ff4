// The built-in textures: plain white and black made in memory, the built-in
// pictures loaded by name, the title and background pictures, the mirror
// and clock render targets, the special model texture names that stand for
// them, and the table of materials that model textures are numbered by.
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "graphics/local.h"
#include "platform/files.h"
#include "session/services.h"
#include "world/services.h"

namespace {

// The built-in materials, the background picture's name, and the material
// table of model textures. Live with the device: CreateBuiltinTextures
// makes them, ResetGraphicsTables forgets them.
BuiltinMaterialsRecord MutableBuiltinMaterials;
struct EntryBackgroundRecord {
    char name[64] = {};
    int hidden = 0;
};
EntryBackgroundRecord EntryBackground;
constexpr int MaxSlotMaterials = 24;
std::vector<const Material*> SlotMaterials;

constexpr int PlainSide = 16;

// A built-in picture: its name, the texture LOD-bias index its stage gets,
// and whether it is doubled under the modulate-2x mode.
struct BuiltinPicture {
    const char* name;
    int lodIndex;
    bool doubled;
};
const BuiltinPicture BuiltinPictures[] = {
    {"LEAF0ATEST", 1, true},    {"LEAF1ATEST", 1, true},  {"LEAF2ATEST", 1, true},
    {"RACELINEALPHA", 3, false}, {"TYRE", 1, false},       {"LOGOALPHA", 1, false},
    {"DUSTALPHA", 1, false},    {"NDLCTRALPHA", 0, false}, {"LIGHTALPHA", 0, false},
    {"STARTALPHA", 0, false},   {"QVNFLAGSALPHA", 0, false}, {"BUTTALPHA", 0, false},
    {"SMLBALPHA", 0, false},
};
// The fixed full-screen title picture: colour "TITLE.raw" with the alpha
// of "TITLEDUZEZ.raw".
constexpr const char* TitlePicture = "TITLEDUZEZ";

// The render targets: the mirror's (in the device's own format) and the
// six dashboard clocks (5-6-5), with the colour each is cleared to.
struct SpecialTarget {
    const char* name;
    const char* modelName;  // the special model texture name, null for none
    int side;
    bool mirror;
};
const SpecialTarget SpecialTargets[] = {
    {"MIRROR~T", "s_mirr", 512, true},          {"MIRROR~V", nullptr, 512, true},
    {"CLOCKS~B", "s_clock", 256, false},        {"CLOCKS~W", "s_clock_white", 256, false},
    {"CLOCKS~F", "s_clock_formula", 256, false}, {"CLOCKS~1", "s_clock_n1", 256, false},
    {"CLOCKS~3", "s_clock_f3", 256, false},     {"CLOCKS~M", "s_clock_kta", 256, false},
};

void Report(const char* format, const char* name)
{
    char line[128];
    std::snprintf(line, sizeof line, format, name);
    GetGraphicsMessageHooks().printMessage(line, 9);
}

// A 16 × 16 picture of one colour, made in memory.
TextureRecord* MakePlainTexture(const char* name, const ColourRecord& colour)
{
    std::vector<uint8_t> rgba(size_t(PlainSide) * PlainSide * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = colour.r;
        rgba[i + 1] = colour.g;
        rgba[i + 2] = colour.b;
        rgba[i + 3] = 255;
    }
    Material* material = GetMaterialFromImage(name, rgba.data(), PlainSide, PlainSide, 0);
    if (material == nullptr) {
        char raw[40];
        std::snprintf(raw, sizeof raw, "%s.raw", name);
        Report("Failed to create : %s", raw);
        return nullptr;
    }
    return material->texture;
}

uint32_t ClearColourOf(const SpecialTarget& target)
{
    if (std::strcmp(target.name, "CLOCKS~W") == 0)
        return ColourShift ? 0xFF808080u : 0xFFFFFFFFu;
    if (std::strcmp(target.name, "CLOCKS~F") == 0)
        return MakeColour(Settings.gexDash);
    return 0xFF000000u;
}

// Makes (when missing) and clears the mirror and clock targets.
void ClearSpecialTargets(bool make)
{
    for (const SpecialTarget& target : SpecialTargets) {
        TextureRecord* record = FindTexture(target.name);
        if (make && record == nullptr) {
            const uint32_t format = target.mirror ? DeviceBackBufferFormat() : uint32_t(platform::FmtR5G6B5);
            if (CreateNamedTexture(target.name, target.side, target.side, format, 1, 0, 1, 0, &record) != 0) {
                Report("Failed to create : %s", target.name);
                continue;
            }
        }
        if (record != nullptr && BeginRenderToTexture(record, 0)) {
            ClearTarget(ClearColourOf(target), 1);
            EndRenderToTexture();
        }
    }
}

Material* TargetMaterial(const char* name)
{
    TextureRecord* record = FindTexture(name);
    return record != nullptr ? CreateMaterial(record, 0, 0, 1, 0, nullptr) : nullptr;
}

} // namespace

const BuiltinMaterialsRecord& BuiltinMaterials = MutableBuiltinMaterials;

int CreateBuiltinTextures()
{
    ClearPlateCache();
    if (!DeviceExists()) {
        MutableBuiltinMaterials = BuiltinMaterialsRecord{};
        SlotMaterials.clear();
        return 1;
    }
    const GraphicsTextHooks& text = GetGraphicsTextHooks();
    text.resetFontTextures();
    text.createFontTextures();

    BuiltinMaterialsRecord& made = MutableBuiltinMaterials;
    TextureRecord* white = MakePlainTexture("PLAIN~W", StandardColours[7]);
    TextureRecord* black = MakePlainTexture("PLAIN~B", StandardColours[0]);
    made.white = CreateMaterial(white, ColourShift, 0, 1, 0, nullptr);
    made.black = CreateMaterial(black, ColourShift, 0, 1, 0, nullptr);
    made.lightMapped = CreateMaterial(nullptr, ColourShift, 1, 0, 0, black);
    made.lightMappedWhite = CreateMaterial(white, ColourShift, 1, 0, 0, nullptr);

    for (const BuiltinPicture& picture : BuiltinPictures) {
        Material* material = GetMaterial(picture.name, picture.doubled ? ColourShift : 0, 0, 1, 0, picture.lodIndex,
                                         nullptr);
        ReportMissingTexture(material, picture.name);
    }
    if (made.title == nullptr) {
        made.title = GetMaterial(TitlePicture, 0, 0, 1, 0, 0, nullptr);
        ReportMissingTexture(made.title, TitlePicture);
    }
    LoadEntryBackground();
    ClearSpecialTargets(true);
    ResetFrameSync();
    return 1;
}

int RestoreSpecialTextures()
{
    if (Gfx.inScene)
        return 0;
    ClearSpecialTargets(false);
    return 1;
}

Material* GetSpecialTexture(const char* name, int platesAllowed)
{
    if (name == nullptr)
        return nullptr;
    for (const SpecialTarget& target : SpecialTargets)
        if (target.modelName != nullptr && strcasecmp(name, target.modelName) == 0)
            return TargetMaterial(target.name);
    if (platesAllowed && strcasecmp(name, "s_plate") == 0)
        return NumberPlateMaterial(0, 0);
    if (platesAllowed && strcasecmp(name, "s_plate_atest") == 0)
        return NumberPlateMaterial(0, 1);
    return nullptr;
}

Material* GetModelTexture(const char* name)
{
    if (Material* special = GetSpecialTexture(name, 1))
        return special;
    if (name != nullptr && (strcasecmp(name, "s_sky") == 0 || strcasecmp(name, "s_env") == 0)) {
        WorldSkyLight light;
        if (strcasecmp(name, "s_sky") == 0 && GetWorldSkyLight(light) && light.sky != nullptr)
            return light.sky;
        return DefaultMaterial;
    }
    const TextureLoadSettingsRecord saved = TextureLoadSettings;
    MutableTextureLoadSettings.skinLoadMode = SkinLoadPictures;
    Material* material = GetMaterial(name, 0, 0, 1, 0, 0, nullptr);
    MutableTextureLoadSettings = saved;
    ReportMissingTexture(material, name);
    return material;
}

void ReportMissingTexture(const Material* material, const char* name)
{
    if (material != nullptr && material->texture != nullptr && material->texture->texture != nullptr)
        return;
    Report("Can't open : %s", name != nullptr ? name : "");
}

void FreeMaterialAndTexture(Material*& material)
{
    if (material == nullptr)
        return;
    TextureRecord* texture = material->texture;
    if (texture != nullptr && texture != DefaultTexture) {
        while (FreeFirstMaterialOfTexture(texture)) {
        }
        FreeTexture(texture);
    } else {
        FreeMaterial(material);
        if (!material->notInSet)
            delete material;
    }
    material = nullptr;
}

int MaterialSlotIndex(const Material* material)
{
    for (size_t i = 0; i < SlotMaterials.size(); ++i)
        if (SlotMaterials[i] == material)
            return static_cast<int>(i);
    if (SlotMaterials.size() >= size_t(MaxSlotMaterials))
        return 0;
    SlotMaterials.push_back(material);
    return static_cast<int>(SlotMaterials.size() - 1);
}

void SetEntryBackground(const char* name)
{
    if (GameKind != 1 || !ProgramMode.graphicsOn)
        return;
    if (name == nullptr || std::strcmp(name, EntryBackground.name) != 0) {
        FreeMaterialAndTexture(MutableBuiltinMaterials.background);
        EntryBackground.name[0] = 0;
    }
    if (name == nullptr)
        return;
    std::snprintf(EntryBackground.name, sizeof EntryBackground.name, "%s", name);
    LoadEntryBackground();
}

void LoadEntryBackground()
{
    if (EntryBackground.name[0] == 0 || !ProgramMode.graphicsOn || !DeviceExists() || MutableBuiltinMaterials.background)
        return;
    if (ProgramMode.quitState != 0 &&
        !(std::strcmp(EntryBackground.name, "entry") == 0 && GetShellHooks().quitReturnTarget() != 0))
        return;
    if (std::strchr(EntryBackground.name, '/') || std::strchr(EntryBackground.name, '\\') ||
        std::strstr(EntryBackground.name, ".."))
        return;
    char file[96];
    std::snprintf(file, sizeof file, "bkg_%s.jpg", EntryBackground.name);
    char path[128];
    std::snprintf(path, sizeof path, "data\\pic\\%s", file);
    if (!platform::FileExists(path))
        return;
    const TextureLoadSettingsRecord saved = TextureLoadSettings;
    MutableTextureLoadSettings.skinLoadMode = SkinLoadPictures;
    Material* picture = GetMaterial(file, 0, 0, 1, 0, 0, nullptr);
    MutableTextureLoadSettings = saved;
    ReportMissingTexture(picture, file);
    if (picture != nullptr && picture->texture != nullptr)
        MutableBuiltinMaterials.background = picture;
}

const char* EntryBackgroundName() { return EntryBackground.name; }

void SetEntryBackgroundHidden(int hidden) { EntryBackground.hidden = hidden ? 1 : 0; }

int EntryBackgroundHidden() { return EntryBackground.hidden; }

void ResetBuiltinTextureTables()
{
    MutableBuiltinMaterials = BuiltinMaterialsRecord{};
    EntryBackground = EntryBackgroundRecord{};
    SlotMaterials.clear();
}

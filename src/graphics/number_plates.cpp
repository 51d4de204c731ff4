// Number plates: the cache of plate texts, four plates to a 512 × 512
// texture, their text drawn with the vector font into a 16-bit image in
// memory and made into the plate texture and an alpha-tested twin.
#include <cstdio>
#include <cstring>
#include <vector>

#include "graphics/local.h"

namespace {

constexpr int PlatesPerGroup = 4;
constexpr int PlateGroups = NumberPlateSlots / PlatesPerGroup;
constexpr int PlateImageSide = 512;
constexpr int PlateBandRows = 128;
constexpr int PlateWindowRows = 127;  // the band less its last row
// Characters are 116 of the image's 256 pixels per screen unit; a text
// wider than 1.9 units is squeezed to 1.9.
constexpr float PlateCharacterSize = 116.0f / 256.0f;
constexpr float PlateMaxWidth = 1.9f;
constexpr int BlankSide = 16;

struct PlateSlot {
    int references = 0;
    char text[PlateTextLength] = {};  // not terminated
};
struct PlateGroup {
    Material* plate = nullptr;  // "PLATE~%d", light-mapped
    Material* twin = nullptr;   // "PLATE~%dATEST"
    bool dirty = false;
};
// Lives with the device: CreateBuiltinTextures empties it.
struct PlateCacheRecord {
    PlateSlot slots[NumberPlateSlots];
    PlateGroup groups[PlateGroups];
};
PlateCacheRecord PlateCache;

bool SameText(const PlateSlot& slot, const char* text)
{
    return std::strncmp(slot.text, text, PlateTextLength) == 0;
}

void Report(const char* format, const char* name)
{
    char line[128];
    std::snprintf(line, sizeof line, format, name);
    GetGraphicsMessageHooks().printMessage(line, 9);
}

// A texture made from an RGBA image and the light-mapped material on it
// (the plate takes the light map as its second texture once a world has
// one).
Material* MakePlateMaterial(const char* name, const uint8_t* rgba, int side)
{
    Material* made = GetMaterialFromImage(name, rgba, side, side, 0);
    if (made == nullptr) {
        Report("Failed to create : %s", name);
        return nullptr;
    }
    return CreateMaterial(made->texture, 0, 1, 0, 0, nullptr);
}

void FreeGroupTextures(PlateGroup& group)
{
    FreeMaterialAndTexture(group.plate);
    FreeMaterialAndTexture(group.twin);
}

// Makes a group's blank textures (a white plate, a black twin) when missing.
void EnsureGroupTextures(int g)
{
    PlateGroup& group = PlateCache.groups[g];
    if (group.plate != nullptr && group.twin != nullptr)
        return;
    if (!DeviceExists())
        return;
    std::vector<uint8_t> white(size_t(BlankSide) * BlankSide * 4, 255), black(white.size(), 0);
    for (size_t i = 3; i < black.size(); i += 4)
        black[i] = 255;
    char name[TextureNameLength + 1];
    std::snprintf(name, sizeof name, "PLATE~%d", g);
    if (group.plate == nullptr)
        group.plate = MakePlateMaterial(name, white.data(), BlankSide);
    std::snprintf(name, sizeof name, "PLATE~%dATEST", g);
    if (group.twin == nullptr)
        group.twin = MakePlateMaterial(name, black.data(), BlankSide);
}

int TakeSlot(int slot)
{
    EnsureGroupTextures(slot / PlatesPerGroup);
    PlateCache.slots[slot].references++;
    return slot;
}

// One plate's text into its band of the image.
void DrawPlate(int slotInGroup, const PlateSlot& slot)
{
    char text[PlateTextLength + 1] = {};
    std::memcpy(text, slot.text, PlateTextLength);
    const int bandTop = PlateBandRows * slotInGroup;
    SetFillWindowRows(bandTop, bandTop + PlateWindowRows - 1);
    const GraphicsTextHooks& hooks = GetGraphicsTextHooks();
    float xSize = PlateCharacterSize;
    float width = hooks.plateTextWidth(text, xSize);
    if (width > PlateMaxWidth) {
        xSize *= PlateMaxWidth / width;
        width = PlateMaxWidth;
    }
    hooks.drawPlateText(text, -width / 2, -0.93f + 0.5f * static_cast<float>(slotInGroup), xSize,
                        PlateCharacterSize);
}

// The image as 32-bit texels: the plate, and the twin whose alpha is the
// plate's darkness.
void MakeGroupTextures(int g)
{
    const uint16_t* pixels = OffscreenImagePixels();
    if (pixels == nullptr)
        return;
    const size_t count = size_t(PlateImageSide) * PlateImageSide;
    std::vector<uint8_t> plate(count * 4), twin(count * 4);
    for (size_t i = 0; i < count; ++i) {
        const ColourRecord colour = UnpackColour565(pixels[i]);
        uint8_t* p = &plate[i * 4];
        p[0] = colour.r, p[1] = colour.g, p[2] = colour.b, p[3] = 255;
        uint8_t* t = &twin[i * 4];
        t[0] = t[1] = t[2] = 255;
        t[3] = static_cast<uint8_t>(255 - colour.r);
    }
    PlateGroup& group = PlateCache.groups[g];
    char name[TextureNameLength + 1];
    std::snprintf(name, sizeof name, "PLATE~%d", g);
    group.plate = MakePlateMaterial(name, plate.data(), PlateImageSide);
    std::snprintf(name, sizeof name, "PLATE~%dATEST", g);
    group.twin = MakePlateMaterial(name, twin.data(), PlateImageSide);
}

} // namespace

void ClearPlateCache() { PlateCache = PlateCacheRecord{}; }

int GetNumberPlate(const char* plateText)
{
    const char* text = plateText != nullptr ? plateText : "";
    for (int s = 0; s < NumberPlateSlots; ++s)
        if (SameText(PlateCache.slots[s], text))
            return TakeSlot(s);
    for (int s = 0; s < NumberPlateSlots; ++s) {
        PlateSlot& slot = PlateCache.slots[s];
        if (slot.references != 0)
            continue;
        PlateCache.groups[s / PlatesPerGroup].dirty = true;
        std::strncpy(slot.text, text, PlateTextLength);
        return TakeSlot(s);
    }
    GetGraphicsMessageHooks().printMessage(GetText(TX_3q_noplate_), 9);
    return TakeSlot(0);
}

void ReleaseNumberPlate(int slot)
{
    if (slot >= 0 && slot < NumberPlateSlots && PlateCache.slots[slot].references > 0)
        PlateCache.slots[slot].references--;
}

int FindNumberPlate(const char* plateText)
{
    const char* text = plateText != nullptr ? plateText : "";
    for (int s = 0; s < NumberPlateSlots; ++s)
        if (SameText(PlateCache.slots[s], text))
            return s;
    return -1;
}

void RedrawPlateTextures()
{
    bool any = false;
    for (PlateGroup& group : PlateCache.groups)
        if (group.dirty) {
            FreeGroupTextures(group);
            any = true;
        }
    if (!any || !DeviceExists())
        return;
    BeginOffscreenImage16(PlateImageSide);
    for (int g = 0; g < PlateGroups; ++g) {
        PlateGroup& group = PlateCache.groups[g];
        if (!group.dirty)
            continue;
        group.dirty = false;
        ClearImage16(0xFFFF);
        for (int s = 0; s < PlatesPerGroup; ++s)
            DrawPlate(s, PlateCache.slots[g * PlatesPerGroup + s]);
        SetFillWindowRows(0, PlateImageSide - 1);
        MakeGroupTextures(g);
    }
    EndOffscreenImage16();
}

Material* NumberPlateMaterial(int slot, int twin)
{
    if (slot < 0 || slot >= NumberPlateSlots)
        return nullptr;
    const PlateGroup& group = PlateCache.groups[slot / PlatesPerGroup];
    return twin ? group.twin : group.plate;
}

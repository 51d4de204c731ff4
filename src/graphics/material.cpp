// Materials: how a surface is drawn (texture, second texture and four
// flags), unique by content so that drawing code can compare pointers.
#include <strings.h>

#include <cstring>

#include "graphics/local.h"
#include "platform/gfx.h"

using namespace platform;

std::set<Material*, MaterialLess> MaterialSet;
Material* DefaultMaterial = nullptr;
const Material* CurrentMaterial = nullptr;

bool MaterialLess::operator()(const Material* a, const Material* b) const
{
    std::less<const TextureRecord*> before;
    if (a->texture != b->texture)
        return before(a->texture, b->texture);
    if (a->secondTexture != b->secondTexture)
        return before(a->secondTexture, b->secondTexture);
    if (a->doubled != b->doubled)
        return a->doubled < b->doubled;
    if (a->lightMapped != b->lightMapped)
        return a->lightMapped < b->lightMapped;
    if (a->prelit != b->prelit)
        return a->prelit < b->prelit;
    return a->reflective < b->reflective;
}

namespace {
Material Describe(TextureRecord* texture, int doubled, int lightMapped, int prelit, int reflective,
                  TextureRecord* secondTexture)
{
    Material m;
    m.texture = texture;
    m.secondTexture = secondTexture;
    m.doubled = static_cast<uint8_t>(doubled);
    m.lightMapped = static_cast<uint8_t>(lightMapped);
    m.prelit = static_cast<uint8_t>(prelit);
    m.reflective = static_cast<uint8_t>(reflective);
    return m;
}
} // namespace

Material* FindMaterial(TextureRecord* texture, int doubled, int lightMapped, int prelit, int reflective,
                       TextureRecord* secondTexture)
{
    Material probe = Describe(texture, doubled, lightMapped, prelit, reflective, secondTexture);
    auto found = MaterialSet.find(&probe);
    return found == MaterialSet.end() ? nullptr : *found;
}

Material* CreateMaterial(TextureRecord* texture, int doubled, int lightMapped, int prelit, int reflective,
                         TextureRecord* secondTexture)
{
    if (Material* existing = FindMaterial(texture, doubled, lightMapped, prelit, reflective, secondTexture))
        return existing;
    auto* material = new Material(Describe(texture, doubled, lightMapped, prelit, reflective, secondTexture));
    MaterialSet.insert(material);
    return material;
}

void FreeMaterial(Material* material)
{
    if (!material || material->notInSet)
        return;
    auto found = MaterialSet.find(material);
    if (found != MaterialSet.end() && *found == material)
        MaterialSet.erase(found);
    if (CurrentMaterial == material)
        CurrentMaterial = nullptr;
    if (DefaultMaterial == material)
        DefaultMaterial = nullptr;
}

int FreeFirstMaterialOfTexture(TextureRecord* texture)
{
    for (Material* material : MaterialSet) {
        if (material->texture == texture) {
            FreeMaterial(material);
            delete material;
            return 1;
        }
    }
    return 0;
}

void FreeAllMaterials(int recreateDefault)
{
    CurrentMaterial = nullptr;
    for (int stage = 0; stage < TextureStageCount; ++stage)
        SetStageTexture(stage, nullptr);
    for (Material* material : MaterialSet)
        delete material;
    MaterialSet.clear();
    DefaultMaterial = nullptr;
    if (recreateDefault)
        DefaultMaterial = CreateMaterial(nullptr, 0, 0, 1, 0, nullptr);
}

void InitMaterials()
{
    DefaultMaterial = CreateMaterial(nullptr, 0, 0, 1, 0, nullptr);
    ResetLightSetup();
}

int VertexTypeOfMaterial(const Material* material)
{
    if (!material)
        return 0;
    if (material->reflective && !material->lightMapped)
        return 1;
    return material->prelit ? 10 : 4;
}

void BindMaterialForDrawing(const Material* material)
{
    if (!material)
        material = DefaultMaterial;
    CurrentMaterial = material;
    SetVertexShaderCached(GetVertexFvf(VertexTypeOfMaterial(material)));
    SetStageStateCached(0, TssColourOp, material && material->doubled ? TopModulate2x : TopModulate);
    if (material && material->texture) {
        BindTexture(material->texture, 0);
    } else {
        SetStageTexture(0, nullptr);
        SetRenderStateCached(RsAlphaTestEnable, 0);
    }
}

Material* FindMaterialByName(const char* textureName, int doubled, int lightMapped, int prelit, int reflective,
                             TextureRecord* secondTexture)
{
    TextureRecord* texture = nullptr;
    if (textureName && *textureName) {
        texture = FindTexture(textureName);
        if (!texture)
            return nullptr;
    }
    return FindMaterial(texture, doubled, lightMapped, prelit, reflective, secondTexture);
}

namespace {
// The material of a texture record; a missing texture (the default
// texture) gives a material without one.
Material* MaterialOfTexture(TextureRecord* texture, int doubled, int lightMapped, int prelit, int reflective,
                            TextureRecord* secondTexture)
{
    if (texture == MutableDefaultTexture)
        texture = nullptr;
    if (Material* found = FindMaterial(texture, doubled, lightMapped, prelit, reflective, secondTexture))
        return found;
    return CreateMaterial(texture, doubled, lightMapped, prelit, reflective, secondTexture);
}
} // namespace

Material* GetMaterial(const char* textureName, int doubled, int lightMapped, int prelit, int reflective,
                      int lodIndex, TextureRecord* secondTexture)
{
    TextureRecord* texture = textureName && *textureName ? FindOrLoadTexture(textureName, lodIndex) : nullptr;
    return MaterialOfTexture(texture, doubled, lightMapped, prelit, reflective, secondTexture);
}

Material* GetMaterialFromImage(const char* name, const uint8_t* rgba, int width, int height, int alphaOnly)
{
    constexpr const char* AlphaOnlyEnding = "AONLY";
    const size_t length = name ? std::strlen(name) : 0;
    const bool endsAlphaOnly = length >= 5 && strcasecmp(name + length - 5, AlphaOnlyEnding) == 0;
    if (!rgba || width <= 0 || width != height || length == 0 || std::strchr(name, '.') ||
        endsAlphaOnly != (alphaOnly != 0)) {
        LogPrintf("GetMaterialFromImage : image refused : %s", name ? name : "");
        return nullptr;
    }
    // The image stands in for the raw file of the name, so that no file is
    // read; the name is made again if it exists.
    const TextureLoadSettingsRecord saved = MutableTextureLoadSettings;
    MutableTextureLoadSettings.skinLoadMode = SkinLoadPictures;
    MutableTextureLoadSettings.preloadedSide = width;
    MutableTextureLoadSettings.preloadedPixels = rgba;
    TextureRecord* texture = LoadNamedTexture(name, 0);
    MutableTextureLoadSettings = saved;
    if (!texture || texture == MutableDefaultTexture)
        return nullptr;
    return MaterialOfTexture(texture, 0, 0, 1, 0, nullptr);
}

// Materials: how a surface is drawn (its texture, a second texture and four
// flags), unique by content, so that drawing code can compare material
// pointers to sort and batch. The registry owns them.
#pragma once

#include <cstdint>

struct TextureRecord;

struct Material {
    TextureRecord* texture = nullptr;       // none: untextured
    TextureRecord* secondTexture = nullptr; // the extra texture of light-mapped surfaces
    uint8_t notInSet = 0;    // 1: a temporary or duplicate, never removed from the set
    uint8_t lightMapped = 0; // the light map on stage 0, the texture on stage 1
    uint8_t prelit = 0;      // vertices carry their own colours (vertex type 10)
    uint8_t doubled = 0;     // stage-0 colour doubled (modulate-2x)
    uint8_t reflective = 0;  // environment-mapped from the normals
};

// The material with that texture (found, or loaded, by name; none for an
// empty name or a texture that cannot be loaded) and flags: an existing
// equal one, else a new one. Never null while the registry exists.
Material* GetMaterial(const char* textureName, int doubled, int lightMapped, int prelit, int reflective,
                      int lodIndex, TextureRecord* secondTexture);
// The equal material in the set, or null; by name, a non-empty name of an
// unregistered texture gives null.
Material* FindMaterial(TextureRecord* texture, int doubled, int lightMapped, int prelit, int reflective,
                       TextureRecord* secondTexture);
Material* FindMaterialByName(const char* textureName, int doubled, int lightMapped, int prelit, int reflective,
                             TextureRecord* secondTexture);
// Builds the material and puts it in the set; an equal one already there
// is returned instead.
Material* CreateMaterial(TextureRecord* texture, int doubled, int lightMapped, int prelit, int reflective,
                         TextureRecord* secondTexture);
// Takes the material out of the set unless it is marked not in the set;
// the caller deletes it.
void FreeMaterial(Material* material);
// Removes and deletes the first material (in set order) of the texture; 1
// when there was one. Callers repeat it until it returns 0.
int FreeFirstMaterialOfTexture(TextureRecord* texture);
// Deletes every material; with the flag the default material is made again.
void FreeAllMaterials(int recreateDefault);
// The vertex type a material's surfaces use: 1 reflective (not
// light-mapped), 10 pre-lit, 4 otherwise; 0 for no material.
int VertexTypeOfMaterial(const Material* material);

// A texture and material made from a square image in memory (bytes r, g,
// b, a per pixel, side × side), registered under the name; a name ending in
// "AONLY" keeps only the alpha (white texels). Null when it could not be
// made.
Material* GetMaterialFromImage(const char* name, const uint8_t* rgba, int width, int height, int alphaOnly);

// Colours: the 4-byte colour record and its packings, the 23 standard
// colours of messages and texts, the vertex lighting that turns a record
// and a normal into a lit colour for the current camera, and the car
// colour configuration with its file "data\colours\<code>_<name>.col".
#pragma once

#include <cstdint>

#include "core/services.h"
#include "vehicle/services.h"

// The 23 standard colours: 0 to 7 the caret-code colours (bit 1 red, 2
// green, 4 blue), 8 grey, 9 the error and usual message colour, 10 to 22
// the interface's light and dark tints. Users name single entries. Filled
// by InitStandardColours; read-only outside graphics; lives for the whole
// run.
constexpr int StandardColourCount = 23;
extern const ColourRecord (&StandardColours)[StandardColourCount];
void InitStandardColours();

// Packs ARGB 0xFFrrggbb.
constexpr uint32_t MakeColour(int r, int g, int b)
{
    return 0xFF000000u + uint32_t(r) * 65536u + uint32_t(g) * 256u + uint32_t(b);
}
// The same of a record (the colour-packing pointer's form).
uint32_t MakeColour(const ColourRecord& colour);
// Fills the record with r, g, b and a zero fourth byte; returns it.
ColourRecord& SetColourRecord(ColourRecord& record, int r, int g, int b);

// Packers of the software drawing target's formats, and unpackers.
uint32_t PackColour565(const ColourRecord& colour);
uint32_t PackColour555(const ColourRecord& colour);
uint32_t PackColourX888(const ColourRecord& colour);
ColourRecord UnpackColour565(uint32_t texel);
ColourRecord UnpackColour555(uint32_t texel);

// A colour's 4-byte file form: r, g, b, the fourth byte.
void ReadColour(ColourRecord& record, DataFile& reader);
void WriteColour(const ColourRecord& record, DataFile& writer);

// ---------------------------------------------------------------------------
// Vertex lighting. All arithmetic is 16.16 with 64-bit products, from the
// current camera's lighting (UpdateCameraLight): normals are 16.16 unit
// vectors, results packed ARGB with alpha 255. A record whose fourth byte
// has bit 0 set is unlit and keeps its colour.

constexpr uint8_t ColourUnlit = 1;

// A camera-space normal lit by the camera's light: hemisphere ambient from
// the normal's up component, and the sun when it faces it.
uint32_t LightVertexColour(const FixedVector& normal, const ColourRecord& colour);
// The same for the reversed normal.
uint32_t LightVertexColourBack(const FixedVector& normal, const ColourRecord& colour);
// The model-drawing form: the sun only when it faces the normal, each
// channel shifted right by shift more.
uint32_t LightModelVertex(const FixedVector& normal, const ColourRecord& colour, int shift);
// The highlight of a camera-space normal from the camera's two highlight
// directions.
uint32_t LightShine(const FixedVector& normal);
// A world-space normal lit by the world-space light.
uint32_t LightWorldVertex(const FixedVector& normal, const ColourRecord& colour);

// ---------------------------------------------------------------------------
// Car colour configurations.

// The record is the vehicle's (ColourConfig); a colour file holds one.
constexpr const char* ColourFileMagic = "QVNCFG";
constexpr int ColourFileVersion = 251;

// A colour file: 1 on success, 0 when it cannot be created, opened or is
// short (logged). A '.' in the name read is an end of the name.
int SaveColourConfig(const ColourConfig& config, const char* path);
int LoadColourConfig(ColourConfig& config, const char* path);

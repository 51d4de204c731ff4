// The textures no file provides: plain white and black, the render targets
// of the mirror and of the dashboard clocks, the number plates (their text
// drawn with the vector font into a 16-bit image in memory), the built-in
// alpha pictures loaded by name, the title picture and the screens'
// background picture; model texture names beginning "s_" that stand for
// them; and the mesh blocks drawn after the cars.
#pragma once

#include <cstdint>

class LightSetup;
struct Material;
struct NamedMesh;
struct TextureRecord;

// Start-up tables of the 2D drawing.
// Pending: no 2D drawing tables; does nothing.
void BuildSegmentTables();

// Makes every built-in texture (at start-up with graphics, and after the
// graphics resources were rebuilt): the font textures, plain white and
// black and their materials, the built-in pictures (a missing one is
// reported), the title and background pictures, the mirror and clock
// targets cleared. Without a device it only forgets them all. 1.
int CreateBuiltinTextures();
// Clears the mirror and clock targets again after a device reset: 0 while
// a scene is open (call again later), else 1.
int RestoreSpecialTextures();

// The built-in materials: plain white, plain black (both pre-lit), the
// light-mapped one without a texture of its own, and the light-mapped
// white one. Null until CreateBuiltinTextures.
struct BuiltinMaterialsRecord {
    Material* white = nullptr;
    Material* black = nullptr;
    Material* lightMapped = nullptr;
    Material* lightMappedWhite = nullptr;
    Material* title = nullptr;       // the fixed full-screen title picture
    Material* background = nullptr;  // the screens' background picture
};
extern const BuiltinMaterialsRecord& BuiltinMaterials;

// The material of a special model texture name ("s_mirr", "s_clock" ...,
// with plates allowed "s_plate" and "s_plate_atest"); null for any other.
Material* GetSpecialTexture(const char* name, int platesAllowed);
// The material of a model texture: special, the world's sky or
// environment ("s_sky", "s_env"), or the picture of the name (reported
// when missing).
Material* GetModelTexture(const char* name);
// "Can't open : <name>" in the error colour unless the material has a
// loaded texture.
void ReportMissingTexture(const Material* material, const char* name);
// Destroys the material's texture and the material; clears the reference.
void FreeMaterialAndTexture(Material*& material);
// The material's place in a table of at most 24 (added at the end when
// new); 0 for any material once 24 are held.
int MaterialSlotIndex(const Material* material);

// The screens' background picture "data\pic\bkg_<name>.jpg": a different
// name (or none) frees the current one; only in the front end with
// graphics. LoadEntryBackground loads the named one when its file exists.
void SetEntryBackground(const char* name);
void LoadEntryBackground();
// The loaded picture's name ("" none).
const char* EntryBackgroundName();
// Hides the background picture while set (the car choice screen).
void SetEntryBackgroundHidden(int hidden);
int EntryBackgroundHidden();

// ---------------------------------------------------------------------------
// Number plates: 32 slots of an 8-character text and a reference count, in
// 8 groups of 4 sharing a 512 × 512 plate texture (one plate a 128-row
// band) and its alpha-tested twin.

constexpr int NumberPlateSlots = 32;
constexpr int PlateTextLength = 8;
// The slot holding the text (a reference added); the first free one when
// none does; slot 0 with an error when all are taken.
int GetNumberPlate(const char* plateText);
void ReleaseNumberPlate(int slot);
// The slot holding the text; -1 when none.
int FindNumberPlate(const char* plateText);
// Draws the texts of the groups whose plates changed (start of every
// session scene).
void RedrawPlateTextures();
// The plate material of a slot's group and its twin; null before the group
// was made.
Material* NumberPlateMaterial(int slot, int twin);

// ---------------------------------------------------------------------------
// Mesh blocks drawn after the cars (at most 256 a frame).

constexpr int MaxQueuedMeshBlocks = 256;
// Queues one block of the mesh with its world matrix (16 floats, row
// major), light and mirroring; a null mesh or a full queue is ignored.
void QueueMeshBlockDraw(const float matrix[16], NamedMesh* mesh, int block, int mirrored, LightSetup* light);
// Draws and empties the queue; the world matrix is reset after.
void DrawQueuedMeshBlocks();
int QueuedMeshBlockCount();

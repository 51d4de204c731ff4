// Graphics and in-race display: the services other subsystems may use.
#pragma once

#include "core/services.h"
#include "graphics/builtin_textures.h"
#include "graphics/camera.h"
#include "graphics/colours.h"
#include "graphics/frame.h"
#include "graphics/hooks.h"
#include "graphics/materials.h"
#include "graphics/meshes.h"
#include "graphics/offscreen.h"
#include "graphics/textures.h"

// Resets every table this subsystem owns to its start-up state.
void ResetGraphicsTables();
// Gives the world the drawing services it asks for (world_hooks.cpp).
void InstallWorldGraphicsHooks();

// ---------------------------------------------------------------------------
// Views (temporary bodies in views_stub.cpp until the views are built).

// Sets the custom in-car view to its defaults (fields of view 90 and 120
// degrees). Called by the settings loader.
void SetDefaultViews();

// ---------------------------------------------------------------------------
// Device, adapters and card settings (device.cpp, adapters.cpp,
// card_config.cpp). The graphics device layer of the platform does the
// drawing; these are the program's rules around it.
//@@ device

namespace platform {
class GfxSystem;
class GfxDevice;
class GfxSurface;
class GfxTexture;
class GfxVertexBuffer;
class GfxIndexBuffer;
struct GfxCaps;
}

// Which back end PreInitDirect3D opens: the null device (tests, headless
// runs; the default) or OpenGL. Call before PreInitDirect3D.
void SetGraphicsBackEnd(bool openGl);

// One full-screen mode an adapter can show.
struct DisplayModeRecord {
    uint32_t width = 0, height = 0;
    uint32_t format = 0;          // device format number
    uint32_t behaviourFlags = 0;  // 0x80 mixed, 0x20 software vertex processing
    uint32_t depthFormat = 0;     // chosen by SelectDepthFormat
    uint8_t aspectClass = 0;      // 0 4:3 or 5:4, 1 three screens (12:3, 15:4), 2 other
    uint8_t sixteenBit = 0;       // 1 for R5G6B5 and X1R5G5B5
    uint8_t refreshRate = 0;      // Hz; 0 the adapter's default
};

// One graphics adapter with at least one usable mode.
struct AdapterRecord {
    char driver[512] = {};
    char description[512] = {};   // "Adapter Name " in the card settings
    uint32_t vendorId = 0, deviceId = 0;
    uint32_t desktopWidth = 0, desktopHeight = 0, desktopRefresh = 0, desktopFormat = 0;
    uint8_t canRenderWindowed = 0;
    uint8_t hardwareVertexProcessing = 0; // vs 1.1 and hardware transform and lighting
    uint32_t ordinal = 0;                 // the number the device layer knows it by
    int modeCount = 0;
    DisplayModeRecord* modes = nullptr;   // owned, modeCount records
    int currentMode = 0;
};

constexpr int MaxAdapters = 8;
// The usable adapters, packed in enumeration order, and the chosen one.
// Lives from PreInitDirect3D to ShutdownDirect3D.
struct AdapterTableRecord {
    AdapterRecord adapters[MaxAdapters];
    int count = 0;
    int chosen = 0;
};
extern AdapterTableRecord AdapterTable;

// The chosen adapter (an empty record before enumeration).
AdapterRecord* GetCurrentAdapter();

// "card_cfg.txt": chosen adapter, depth-buffer class and simple-track level.
// Lives for the whole run.
struct CardSettingsRecord {
    int adapterIndex = 0;   // "Adapter Select ", 0..7
    int depthClass = -1;    // "ZBD Select ", -1 automatic, 0 D15S1, 1 D16, 2 24-bit, 3 D32
    int simpleTrack = 0;    // "Simple Track ", 0..2
    int carFlag = 0;        // set to 0 by the loader; read by the car drawing
};
extern CardSettingsRecord CardSettings;

// Defaults, then "card_cfg.txt" when it exists (values clamped).
void LoadCardConfig();
// Writes "card_cfg.txt" through a temporary file; 1 when saved.
int SaveCardConfig();

// Direct3D set-up: 0 success, -1 no device layer, -2 no usable adapter or
// mode. A second call after success does nothing and returns 0.
int PreInitDirect3D(int hardwareVertexProcessingAllowed, int depthClass, int fogFlag, int verticalSync,
                    int adapterIndex);
// The depth class enumeration settled on, and whether hardware vertex
// processing is in use (start-up then sets "Simple Track " to 0).
int SettledDepthClass();
bool HardwareVertexProcessingInUse();
// The size, windowed flag and multisample type the next device is created
// with (start-up copies the window's client size and the options here).
void SetDisplaySettings(int width, int height, int windowed, int multisampleType);
// Creates the device on the window (nullptr with the null back end) in the
// mode modeIndex (-1 keeps the current one); 0 or -1.
int CreateRenderDevice(void* window, int lockableBackBuffer, int modeIndex);
void ShutdownDirect3D();
void ChangeDisplayMode(int width, int height, int modeIndex, int windowed, int multisampleType);
void ResetDevice();
// True when the device can be drawn to now; handles a lost device.
bool TestDeviceState();
void BeginDeviceScene();
void EndDeviceScene();
void PresentBackBuffer();
// flags: 1 colour, 2 depth, 3 both (depth 1.0, stencil 0).
void ClearTarget(uint32_t colour, int flags);
// Whole viewport of x, y, width, height (0 width or height: the target's).
void SetViewport(int x, int y, int width, int height);
// Frees every graphics resource before a rebuild; with recreateBatches set
// the default texture, material and the batches' buffers are made again.
void FreeAllGraphics(int recreateBatches);

// Device facts other subsystems read.
bool DeviceExists();
int DeviceWidth();                 // the current render target's size
int DeviceHeight();
int DeviceWindowed();
int DeviceMultisampleType();
uint32_t DeviceBackBufferFormat();
// Reads and clears the flag set each time the present parameters are filled.
int TakeBackBufferFormatChanged();
// The device's capabilities as read when it was created; nullptr without a
// device.
const platform::GfxCaps* DeviceCaps();
// True when the device can make textures of the format while the display
// is in the current mode's format.
bool DeviceTextureFormatUsable(uint32_t format);
// Reads and clears the flag set when the states were re-sent after a reset.
int TakeDeviceResetFlag();

// ---------------------------------------------------------------------------
// Render states, fog and blend presets (render_state.cpp). Every state goes
// through one deferred cache and reaches the device only when it differs.
//@@ render-state

// Queues a render state (device numbers); returns the value.
uint32_t SetRenderStateCached(uint32_t state, uint32_t value);
void SetStageStateCached(int stage, uint32_t type, uint32_t value);
// Sends what is queued.
void FlushStateCache();
// Fog switch (the "Haze Effect " option) and its colour modes: 0 off, 1 the
// fog colour, 2 half of it, 3 black, 4 white, 5 grey.
void SetFogEnabled(int on);
void SetFogColourMode(int mode);
// Fog colour (0x00RRGGBB) and linear range in eye-space units.
void SetFogRange(uint32_t colour, float start, float end);
// Blend presets: mode 0 opaque, 1 alpha blended, 2 additive, -1 blending
// on with the factors untouched; depth writes and test; flush at the end.
void SetBlendMode(int mode, int zWrite, int zTest, int flush);

// ---------------------------------------------------------------------------
// Vertex formats (vertex_format.cpp).
//@@ vertex-format

// Bytes and format code of the numbered vertex types 0..13; 0 for others.
uint32_t GetVertexStride(int type);
uint32_t GetVertexFvf(int type);

// ---------------------------------------------------------------------------
// Dynamic draw batches (draw_batch.cpp): the world batch of 3D vertices and
// the screen batch of pixel or screen-unit vertices. Only one is open.
//@@ draw-batch

struct Material;

void BeginWorldBatch(const Material* material);
void BeginScreenBatch(const Material* material);
int AddWorldVertex(float x, float y, float z, float u, float v, uint32_t colour);
int AddScreenVertexPixels(float x, float y, float u, float v, uint32_t colour);
int AddScreenVertex(float x, float y, float u, float v, uint32_t colour);
void AddBatchTriangle(int i0, int i1, int i2);
void AddBatchQuad(int i0, int i1, int i2, int i3);
void EndWorldBatch();
void EndScreenBatch();
void FlushBatches();
void SetScreenScale(int tripleScreen, float xOffset, float yOffset, float xScale, float yScale);

// ---------------------------------------------------------------------------
// What the program shell uses of the 2D tables, particles, the helmet and
// the replay bar (temporary bodies in shell_pending.cpp until those are
// built).

// Start-up tables of the 2D drawing.
void BuildSegmentTables();
void ClearParticles();
// The helmet model and textures.
int LoadHelmet();
void FreeHelmet();
// The helmet's textures alone: freed before the graphics resources are
// rebuilt, and built again after.
void FreeHelmetTextures();
void RebuildHelmetTextures();
// Ends a drag of the replay bar.
void EndReplayDrag();

// ---------------------------------------------------------------------------
// Tyres, skins and plates as the car data reader uses them
// (car_parts_stub.cpp: the readers are whole; the drawing parts of tyres,
// skins and plates come with car drawing).
//@@ car-parts

struct Axle;
class CarObject;
struct ObjectModel;

// Car colour configurations (ColourConfig) are the vehicle's records.

// Reads the 64-byte axle block of the car data into the axle (tyre, rim and
// suspension geometry) and clears its tyre model references.
void ReadAxleTyreGeometry(Axle& axle, DataFile& reader, int version);
// The axle's tyre shape: tyre radius, profile radius, tread width and the
// stiffness values the tyre model uses. The drawing profile is built by
// car drawing.
void BuildTyreProfile(Axle& axle, float wheelOffset, int unused, ObjectModel* body, int bikeTyre,
                      int classTen);
// The car's skin names and textures (nothing to load without car drawing).
void LoadCarSkins(CarObject& car, ObjectModel* body);

// ---------------------------------------------------------------------------
// The driver view's look state (temporary body in look_pending.cpp until
// the in-car view is built: the driver always looks ahead).

// The current look angle of the driver's view (rad, left positive: fixed
// look keys, head tracker, mouse look or steering look) and the view's two
// look thresholds, low < high (rad).
void GetDriverLookState(float& angle, float& lowThreshold, float& highThreshold);

// ---------------------------------------------------------------------------
// Skid marks and tyre particles (temporary bodies in car_step_pending.cpp
// until the track's marks and the particle system are built: nothing is
// laid or shown).

struct WorldTexture;

// Adds a skid mark segment between the two edges (world 16.16) of strength
// 0..1, joined to the running segment (-1 starts a new mark), near the
// path node. Returns the new segment's index, -1 when none was added.
int AddSkidMark(const FixedVector& leftEdge, const FixedVector& rightEdge, float strength, int runningSegment,
                int pathNode);
// Clears the open flag of a mark's last segment.
void CloseSkidMark(int segment);
// A smoke or dust particle at point (world 16.16), moving at velocity
// (m/s), growing from startSize to endSize (m), colour 0xAABBGGRR bytes
// (red lowest), living lifeMs.
void AddParticle(const FixedVector& point, const Vec3& velocity, float startSize, float endSize,
                 uint32_t colour, int lifeMs);
// The draw colour of a world texture (0x00BBGGRR).
uint32_t GetTextureDrawColour(const WorldTexture& texture);
// Stand-ins until the marks and particles are built: when set, AddSkidMark
// answers through the first and AddParticle hands its particle to the
// second (tests watch the tyres' marks and smoke with them). Cleared by
// ResetGraphicsTables.
extern int (*SkidMarkStandIn)(const FixedVector& leftEdge, const FixedVector& rightEdge, float strength,
                              int runningSegment, int pathNode);
extern void (*ParticleStandIn)(const FixedVector& point, const Vec3& velocity, float startSize, float endSize,
                               uint32_t colour, int lifeMs);

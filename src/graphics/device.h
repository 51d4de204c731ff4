// The graphics device and the program's rules around it: the adapters and
// their display modes, the card settings file, the device's creation, reset
// and presentation (device.cpp, adapters.cpp, card_config.cpp), the render
// states sent through one deferred cache (render_state.cpp), and the
// numbered vertex formats (vertex_format.cpp). The platform's graphics
// layer does the drawing.
#pragma once

#include <cstdint>

namespace platform {
class GfxSystem;
class GfxDevice;
class GfxSurface;
class GfxTexture;
class GfxVertexBuffer;
class GfxIndexBuffer;
struct GfxCaps;
}

// Which back end PreInitDirect3D opens, as the function that makes its
// graphics system: the null device (platform::CreateNullGfxSystem: tests,
// headless runs; the default) or OpenGL (platform::CreateGlGfxSystem, which
// the program passes). Graphics itself links only the null back end, so a
// program that never draws does not load the window system. Call before
// PreInitDirect3D.
using GfxSystemMaker = platform::GfxSystem* (*)();
void SetGraphicsBackEnd(GfxSystemMaker make);

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
// Read-only outside graphics. Lives from PreInitDirect3D to
// ShutdownDirect3D.
struct AdapterTableRecord {
    AdapterRecord adapters[MaxAdapters];
    int count = 0;
    int chosen = 0;
};
extern const AdapterTableRecord& AdapterTable;
// Replaces the adapter table by a copy of the given one (each adapter's
// modes copied too); the modes of the table it replaces are freed.
void SetAdapterTable(const AdapterTableRecord& table);

// The chosen adapter (an empty record before enumeration).
AdapterRecord* GetCurrentAdapter();

// "card_cfg.txt": chosen adapter, depth-buffer class and simple-track level.
// Read-only outside graphics; lives for the whole run.
struct CardSettingsRecord {
    int adapterIndex = 0;   // "Adapter Select ", 0..7
    int depthClass = -1;    // "ZBD Select ", -1 automatic, 0 D15S1, 1 D16, 2 24-bit, 3 D32
    int simpleTrack = 0;    // "Simple Track ", 0..2
    int carFlag = 0;        // set to 0 by the loader; read by the car drawing

    bool operator==(const CardSettingsRecord&) const = default;
};
extern const CardSettingsRecord& CardSettings;
// Replaces the card settings (start-up settles the depth class and the
// simple-track level after the adapters are enumerated).
void SetCardSettings(const CardSettingsRecord& settings);

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

// Render states, fog and blend presets (render_state.cpp). Every state goes
// through one deferred cache and reaches the device only when it differs.

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

// Vertex formats (vertex_format.cpp).

// Bytes and format code of the numbered vertex types 0..13; 0 for others.
uint32_t GetVertexStride(int type);
uint32_t GetVertexFvf(int type);

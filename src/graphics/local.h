// Declarations shared only inside the graphics subsystem: the device
// record, the state cache, buffer pools, vertex shaders, the texture and
// material registries and the transforms.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "graphics/services.h"
#include "platform/gfx.h"
#include "world/services.h"

// ---------------------------------------------------------------------------
// The writable forms of what graphics exports read-only.

extern AdapterTableRecord MutableAdapterTable;   // adapters.cpp
extern CardSettingsRecord MutableCardSettings;   // card_config.cpp
extern ColourRecord MutableStandardColours[StandardColourCount];  // colours.cpp
extern TextureRecord* MutableDefaultTexture;     // texture_registry.cpp
extern TextureLoadSettingsRecord MutableTextureLoadSettings;  // texture_files.cpp
// The stand-ins of the car effects (car_effects_pending.cpp).
extern CarEffectStandIns MutableCarEffectStandIns;

// Which services that are not built yet have said so in the log: each says
// it once. Lives for the whole run; set back by ResetGraphicsTables (reset.cpp).
struct PendingNoticesRecord {
    bool helmetMesh = false;

    bool operator==(const PendingNoticesRecord&) const = default;
};
extern PendingNoticesRecord MutablePendingNotices;

// ---------------------------------------------------------------------------
// The helmet (helmet.cpp).

constexpr int MaxHelmetNodes = 4;
// The helmet's model and its nodes, node n built from the model's level of
// detail n. Lives from LoadHelmet to FreeHelmet; the nodes are rebuilt with
// the graphics resources.
struct HelmetRecord {
    ObjectModel* model = nullptr;          // owned; null without a helmet
    MeshNode* nodes[MaxHelmetNodes] = {};  // owned
    int nodeCount = 0;
};
extern HelmetRecord Helmet;

// ---------------------------------------------------------------------------
// Camera, view and lighting (camera.cpp, view.cpp, free_camera.cpp,
// colours.cpp, light_setup.cpp, material.cpp, matrices.cpp).

// The camera made at start-up. Lives for the whole run.
extern Camera DefaultCamera;
// The current camera; the default one unless a preview or view set
// another. Every 3D drawer reads it.
extern Camera* CurrentCamera;
extern LightFactorsRecord LightFactors;
extern ViewStateRecord ViewState;
extern FreeCameraRecord FreeCamera;
// 1 while materials double the texture product (modulate-2x), so that lit
// colours are halved to match. Lives for the whole run.
extern int ColourShift;
// No texture, pre-lit: what the batches and the scene use when given none.
// Lives with the device.
extern Material* DefaultMaterial;
extern TransformRecord Transforms;
// The default light: white sun from straight above, white sky and ground.
// Lives for the whole run.
extern LightSetup DefaultLightSetup;
extern EnvironmentFactorsRecord EnvironmentFactors;

// ---------------------------------------------------------------------------
// Device (device.cpp, render_target.cpp).

// Everything about the one device. Lives from PreInitDirect3D to
// ShutdownDirect3D; ResetGraphicsTables shuts down and clears it.
struct DeviceRecord {
    int state = 0; // 0 nothing, 1 pre-initialised, 2 device created
    bool openGl = false;
    platform::GfxSystem* system = nullptr;
    platform::GfxDevice* device = nullptr;
    platform::GfxPresentParams presentParams;

    // Current display settings.
    int width = 800, height = 600; // back buffer, or the texture target while one is current
    int windowed = 1;
    int multisampleType = 0;
    int lockableBackBuffer = 0;
    void* window = nullptr;
    int hardwareVertexProcessing = 0;
    int depthClass = -1;
    int fogFlag = 0;      // "Haze Effect "
    int verticalSync = 0; // "Vertical Sync "
    uint32_t backBufferFormat = 0;
    int formatChanged = 0;
    bool depthClassAvailable[4] = {};

    // Render targets.
    platform::GfxSurface* backBufferSurface = nullptr;
    platform::GfxSurface* backDepthSurface = nullptr;
    platform::GfxSurface* textureTarget = nullptr; // not an extra reference
    int savedWidth = 0, savedHeight = 0;
    platform::GfxViewport viewport, savedViewport;
    std::map<int, platform::GfxSurface*> depthSurfaces; // by width
    bool inScene = false;

    // Caps copied at creation.
    platform::GfxCaps caps;
    int pixelShaderMajor = 0, pixelShaderMinor = 0;
    int vertexShaderMajor = 0, vertexShaderMinor = 0;
};
extern DeviceRecord Gfx;

void FillPresentParams(int lockableBackBuffer);
void ReleaseDefaultPoolResources();
void RecreateDefaultPoolResources();
// Sets the standard vertex shader constants c92, c93 and c95.
void SetStandardShaderConstants();
void SetViewportRecord(const platform::GfxViewport& viewport);

struct TextureRecord;
int BeginRenderToTexture(TextureRecord* texture, int withDepth);
void SetRenderTargetSurface(platform::GfxSurface* surface, int withDepth);
void EndRenderToTexture();
platform::GfxSurface* GetDepthSurface(int width);
void ReleaseDepthSurfaces();

// The back end chosen by SetGraphicsBackEnd. Lives for the whole run.
extern GfxSystemMaker MakeGfxSystem;

// ---------------------------------------------------------------------------
// Adapters (adapters.cpp).

// Caps of each adapter record, read during enumeration.
extern platform::GfxCaps AdapterCaps[MaxAdapters];
bool EnumerateAdapters(int adapterIndex);
// Returns 1 and the depth format when one of the candidates passes.
int SelectDepthFormat(uint32_t adapterOrdinal, uint32_t displayFormat, uint32_t& depthFormat);
void FreeAdapterTable();

// ---------------------------------------------------------------------------
// Render-state cache, fog (render_state.cpp).

struct StateEntry {
    uint32_t device = 0; // what the device holds
    uint32_t wanted = 0; // last value asked for
    int slot = -1;       // queue slot, -1 when not queued

    bool operator==(const StateEntry&) const = default;
};

constexpr int StateQueueSize = 16;
constexpr int RenderStateCount = 172;
constexpr int StageStateCount = 29;
constexpr int TextureStageCount = 8;

struct StateCacheRecord {
    StateEntry render[RenderStateCount];
    uint32_t renderQueue[StateQueueSize][2] = {};
    int renderCount = 0;
    StateEntry stage[TextureStageCount][StageStateCount];
    uint32_t stageQueue[TextureStageCount][StateQueueSize][2] = {};
    int stageCount[TextureStageCount] = {};
    bool read = false;
    bool deviceReset = false;

    bool operator==(const StateCacheRecord&) const = default;
};
// Lives with the device; ResetGraphicsTables clears it.
extern StateCacheRecord StateCache;

bool RenderStateExists(uint32_t state);
bool StageStateExists(uint32_t type);
int ReadDeviceStates();
int CloseStateCache();
void ReapplyStates();

struct FogStateRecord {
    int on = 0;            // switched by SetFogEnabled
    int mode = 0;          // 0..5
    uint32_t colour = 0;   // 0x00RRGGBB

    bool operator==(const FogStateRecord&) const = default;
};
extern FogStateRecord FogState;

uint32_t FloatAsState(float value);

// ---------------------------------------------------------------------------
// Vertex formats, buffer pools (vertex_format.cpp).

constexpr int VertexTypeCount = 14;
constexpr int VertexTypeFromMaterial = 14;
constexpr uint32_t BufferUsageDynamic = 0x200;

struct VertexBufferEntry {
    void* lock = nullptr; // null when unlocked
    platform::GfxVertexBuffer* buffer = nullptr;
    uint32_t usage = 0;
    int count = 0;
    int type = 0;
    uint32_t stride = 0;
};

struct IndexBufferEntry {
    void* lock = nullptr;
    platform::GfxIndexBuffer* buffer = nullptr;
    uint32_t usage = 0;
    int count = 0;
    bool is32 = false;
};

// Every buffer entry created and not yet freed; the entries belong to their
// creators. Live with the device.
extern std::vector<VertexBufferEntry*> VertexBufferPool;
extern std::vector<IndexBufferEntry*> IndexBufferPool;

// nullptr on failure.
VertexBufferEntry* NewVertexBuffer(int type, uint32_t usage, int count);
IndexBufferEntry* NewIndexBuffer(bool is32, uint32_t usage, int count);
// The locked memory (of the lock already held, when locked); nullptr on failure.
void* LockVertexBuffer(VertexBufferEntry* entry, uint32_t flags, int first, int count);
void* LockIndexBuffer(IndexBufferEntry* entry, uint32_t flags, int first, int count);
void UnlockVertexBuffer(VertexBufferEntry* entry);
void UnlockIndexBuffer(IndexBufferEntry* entry);
void FreeVertexBuffer(VertexBufferEntry* entry);
void FreeIndexBuffer(IndexBufferEntry* entry);
void SetStreamVertexBuffer(VertexBufferEntry* entry);
void SetIndexBufferSource(IndexBufferEntry* entry, int baseVertex);
void ReleaseDynamicBuffers();
int RecreateDynamicBuffers();
void FreeAllVertexBuffers();
void FreeAllIndexBuffers();

// ---------------------------------------------------------------------------
// Vertex shaders (vertex_shader.cpp).

constexpr int ShaderKindCount = 32;
constexpr int ShaderVariantCount = 4;
constexpr uint32_t NoShaderSet = 0xFFFFFFFFu;

struct VertexShaderTableRecord {
    uint32_t handles[ShaderKindCount][ShaderVariantCount] = {}; // 0 not built; an FVF after a failure
    uint32_t lastSet = NoShaderSet;

    bool operator==(const VertexShaderTableRecord&) const = default;
};
extern VertexShaderTableRecord VertexShaderTable;

void SetVertexShaderCached(uint32_t handleOrFvf);
void SelectVertexShader(int kind, int prelit, int doubled);
// The whole vs.1.1 text of a kind and variant with fog on or off; empty for
// a kind without text.
std::string BuildVertexShaderText(int kind, int prelit, int doubled, bool fog);
// Vertex type the shader of a kind reads.
int ShaderVertexType(int kind, int prelit);
// A shader handle, or the type's FVF code after a failure.
uint32_t AssembleVertexShader(const std::string& text, const std::vector<platform::GfxVertexElement>& declaration,
                              int vertexType);
std::vector<platform::GfxVertexElement> BuildVertexDeclaration(uint32_t fvf);
void DeleteVertexShaders();

// ---------------------------------------------------------------------------
// Texture registry (texture_registry.cpp) and texture files
// (texture_files.cpp, raw_image.cpp).

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
// Lives until FreeAllTextures.
extern std::map<std::string, TextureRecord*, CaseInsensitiveLess> TextureRegistry;
constexpr int BlockSurfaceCount = 2;
// What the registry keeps beside its records: the texture each device
// stage holds and the stages' LOD bias index (the bind cache), the two
// block surfaces, and the skin texture number last handed out (0 after
// FreeAllTextures). Lives with the device; set back by ResetGraphicsTables.
struct TextureStageRecord {
    platform::GfxTexture* stageTextures[TextureStageCount] = {};
    uint8_t stageLodIndex = 255;
    platform::GfxSurface* blockSurfaces[BlockSurfaceCount] = {};
    uint16_t skinTextureCounter = 0;

    bool operator==(const TextureStageRecord&) const = default;
};
extern TextureStageRecord TextureStages;

void InitTextureRegistry();
void ReleaseRenderTargets();
int RecreateRenderTargets();
float LodBiasSetting(int lodIndex);

// The alpha a raw image's file name asks for (its last nine characters).
enum DuzezMode : int {
    DuzezNone = 0,       // colour only, R5G6B5
    DuzezOneBit = 1,     // "ATEST.raw" (alpha tested) and "ALP15.raw": A1R5G5B5
    DuzezFourBit = 4,    // "DUZEZ.raw": A4R4G4B4
    DuzezEightBit = 8,   // "ALP24.raw": A8R8G8B8, one level
    DuzezAlphaOnly = 32, // "AONLY.raw": A4R4G4B4, white
};
struct DuzezInfo {
    int mode = DuzezNone;
    uint32_t format = 0;     // the texture format
    uint8_t alphaRef = 0;    // 128 for "ATEST.raw"
    bool singleLevel = false;
};
DuzezInfo DuzezModeFromName(const char* name);

// A raw image read for a texture: side × side pixels of r, g, b, a.
struct RawImage {
    int side = 0;
    int duzez = DuzezNone;
    std::vector<uint8_t> pixels;
    uint8_t average[3] = {};
    bool averaged = false;   // false for a preloaded image
};
// Reads the raw image of the path (the colour file and its alpha
// companion) or takes the preloaded one, halves it once with halve set
// (sides above 16) and then while its side exceeds maxSize. 0, or -1 when
// a file is missing, has no valid size or does not match its companion.
int ReadRawImage(const char* path, int maxSize, int halve, RawImage& image);
// Halves a raw image in place by the rule of its alpha mode.
void HalveRawImage(RawImage& image);
// One texel of a raw image in a texture format.
void PackRawTexel(uint32_t format, int duzez, const uint8_t* rgba, uint8_t* out);
// True when the name could leave the data folder as part of a path.
bool TextureNameUnsafe(const char* name);

// ---------------------------------------------------------------------------
// Materials (material.cpp).

struct MaterialLess {
    bool operator()(const Material* a, const Material* b) const;
};
// Owns its materials; lives until FreeAllMaterials.
extern std::set<Material*, MaterialLess> MaterialSet;
// The material the last batch Begin or mesh draw bound; null after a flush.
extern const Material* CurrentMaterial;

void InitMaterials();
// Vertex format, stage-0 colour operation and texture of the material (or
// the default); the material becomes current.
void BindMaterialForDrawing(const Material* material);

// ---------------------------------------------------------------------------
// Transforms and meshes (matrices.cpp, named_mesh.cpp, mesh_draw.cpp).

void BuildBitRunTables();
extern uint8_t LowestSetBit[256];
extern uint8_t RunEnd[256];
extern uint8_t LowRunLength[256];
void ResetStageSetup();
// The registry of named meshes (owns them). Lives until FreeAllMeshes.
extern std::map<std::string, NamedMesh*, CaseInsensitiveLess> MeshRegistry;
// Draws the marked runs of a part from a mark set (blocks first..last).
// Returns the number of draw calls.
int DrawMarkedRuns(MeshPart& part, const std::vector<uint32_t>& marks, int first, int last, int withSetup);
// The stage set-up of a part's material without shadows.
void SetUpPartDraw(MeshPart& part);
// Frees the meshes and returns the texture load settings, the camera, the
// view, the lighting and the free camera to their start-up state (part of
// ResetGraphicsTables).
void ResetDrawingTables();

// ---------------------------------------------------------------------------
// Draw batches (draw_batch.cpp).

constexpr int BatchBufferSize = 16384;
constexpr int BatchLockSize = 8192;

struct DrawBatch {
    int vertexType = 9;
    uint8_t* vertexCursor = nullptr;
    uint16_t* indexCursor = nullptr;
    int vertexLimit = 0, indexLimit = 0;
    int vertexCount = 0, triangleCount = 0;
    int vertexBase = 0, indexBase = 0;
    void* openMarker = nullptr; // non-null while the buffers are locked
    VertexBufferEntry* vertices = nullptr;
    IndexBufferEntry* indices = nullptr;
    bool fullLogged = false;
};
// Live with the device.
extern DrawBatch WorldBatch, ScreenBatch;
extern DrawBatch* OpenBatch;

struct ScreenScaleRecord {
    float xOffset = 1.0f, xScale = 400.0f, yOffset = 1.0f, yScale = 300.0f;

    bool operator==(const ScreenScaleRecord&) const = default;
};
extern ScreenScaleRecord ScreenScale;

void CreateBatchBuffers();
void FreeBatchBuffers();

// ---------------------------------------------------------------------------
// The software drawing target (span_fill.cpp).

struct ColourRecord;
// Where the span filler writes. Lives for the whole run; an offscreen image
// replaces it between BeginOffscreenImage16 and EndOffscreenImage16.
struct SoftwareTargetRecord {
    uint16_t* pixels = nullptr;  // the image; null while the screen is the target
    int width = 0, height = 0;   // pixels
    int pitch = 0;               // bytes from one row to the next
    int depth = 0;               // bits a pixel; fills draw only at 16
    uint32_t (*packer)(const ColourRecord& colour) = nullptr;  // colours into texels
    int windowTop = 0, windowBottom = -1;  // rows fills may touch, inclusive
    uint16_t fillColour = 0;     // texel of the spans
    uint32_t fillPair = 0;       // the same twice, for two texels a store
    int row = 0;                 // the row FillSpan16 fills
    bool ownsImage = false;      // the offscreen image, freed at its end
};
extern SoftwareTargetRecord SoftwareTarget;

// ---------------------------------------------------------------------------
// Built-in textures, plates, the frame and the mesh-block queue.

// Forgets every plate slot and group (their textures go with the registry).
void ClearPlateCache();
// The frame's own state: the background mode stack (exported read-only as
// BackgroundModeStack) and which of the two small synchronisation targets
// was drawn last. Lives for the whole run; set back by ResetFrameTables.
struct FrameRecord {
    BackgroundModeStackRecord backgroundModes;
    int syncTargetIndex = 0;

    bool operator==(const FrameRecord&) const = default;
};
extern FrameRecord MutableFrame;
// Opens the frame's scene: true when the device can be drawn to this pass;
// otherwise the pass is marked not drawn.
bool OpenFrameScene();
// The synchronisation targets start again from the first.
void ResetFrameSync();
// The parts of ResetGraphicsTables that belong to these files.
void ResetFrameTables();
void ResetBuiltinTextureTables();
void ResetMeshBlockQueue();

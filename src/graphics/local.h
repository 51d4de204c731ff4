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
extern bool UseOpenGlBackEnd;

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
// Texture registry (texture_registry.cpp; the file loading comes with the
// texture issue).

constexpr int TextureNameLength = 34;
constexpr uint8_t TextureFlagRenderTarget = 1;
constexpr uint8_t TextureFlagReleased = 2;

struct TextureRecord {
    platform::GfxTexture* texture = nullptr;
    uint32_t format = 0;
    uint8_t pool = 1;               // 0 default (render targets), 1 managed
    int width = 0, height = 0;
    uint8_t averageColour[4] = {};  // r, g, b, 0
    uint8_t alphaRef = 0;           // 128 for alpha-tested textures
    uint8_t flags = 0;              // TextureFlag...
    uint8_t lodIndex = 0;           // 0..3
    uint16_t id = 0;                // skin texture id
    int8_t levels = -1;             // -1 a full chain
    char sourcePath[64] = {};
    char name[TextureNameLength + 1] = {};
};

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
// Lives until FreeAllTextures.
extern std::map<std::string, TextureRecord*, CaseInsensitiveLess> TextureRegistry;
extern TextureRecord* DefaultTexture;
extern platform::GfxTexture* StageTextures[TextureStageCount];
extern uint8_t StageLodIndex;
constexpr int BlockSurfaceCount = 2;
extern platform::GfxSurface* BlockSurfaces[BlockSurfaceCount];

TextureRecord* FindTexture(const char* name);
int CreateNamedTexture(const char* name, int width, int height, uint32_t format, int renderTarget, int lodIndex,
                       int levels, uint16_t id, TextureRecord** out);
void ReleaseTexture(TextureRecord* record);
void DestroyTexture(TextureRecord* record);
void FreeTexture(TextureRecord* record);
void FreeAllTextures(int recreateDefault);
void InitTextureRegistry();
void ReleaseRenderTargets();
int RecreateRenderTargets();
void BindTexture(TextureRecord* record, int stage);
void UnbindTexture(TextureRecord* record);
float LodBiasSetting(int lodIndex);

// ---------------------------------------------------------------------------
// Materials (material.cpp).

struct Material {
    TextureRecord* texture = nullptr;
    TextureRecord* secondTexture = nullptr;
    uint8_t notInSet = 0;
    uint8_t lightMapped = 0;
    uint8_t prelit = 0;
    uint8_t doubled = 0;
    uint8_t reflective = 0;
};

struct MaterialLess {
    bool operator()(const Material* a, const Material* b) const;
};
// Owns its materials; lives until FreeAllMaterials.
extern std::set<Material*, MaterialLess> MaterialSet;
extern Material* DefaultMaterial;
// The material the last batch Begin or mesh draw bound; null after a flush.
extern const Material* CurrentMaterial;

Material* CreateMaterial(TextureRecord* texture, int doubled, int lightMapped, int prelit, int reflective,
                         TextureRecord* secondTexture);
Material* FindMaterial(TextureRecord* texture, int doubled, int lightMapped, int prelit, int reflective,
                       TextureRecord* secondTexture);
void FreeMaterial(Material* material);
int FreeFirstMaterialOfTexture(TextureRecord* texture);
void FreeAllMaterials(int recreateDefault);
void InitMaterials();
int VertexTypeOfMaterial(const Material* material);
// Vertex format, stage-0 colour operation and texture of the material (or
// the default); the material becomes current.
void BindMaterialForDrawing(const Material* material);

// ---------------------------------------------------------------------------
// Transforms and meshes (matrices.cpp; the meshes come with the mesh issue).

struct TransformRecord {
    platform::GfxMatrix world, worldInverse, view, projection;
    float widthFactor = 0.0f, nearZ = 0.0f, farZ = 0.0f;
};
extern TransformRecord Transforms;

void SetProjection(float widthFactor, float nearZ, float farZ);
void ResetWorldMatrix();
void SetWorldMatrix(const platform::GfxMatrix& matrix);
void ResetViewMatrix();
void SetViewMatrix(const platform::GfxMatrix& matrix);
void BuildBitRunTables();
extern uint8_t LowestSetBit[256];
extern uint8_t RunEnd[256];
extern uint8_t LowRunLength[256];
void FreeAllMeshes();
void ResetStageSetup();
void ResetLightSetup();

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
};
extern ScreenScaleRecord ScreenScale;

void CreateBatchBuffers();
void FreeBatchBuffers();

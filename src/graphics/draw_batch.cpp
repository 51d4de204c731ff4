// The two dynamic draw batches: vertices and indices written straight into
// locked dynamic buffers and drawn as one indexed triangle list per flush.
// The world batch takes 3D vertices, the screen batch pre-transformed ones.
#include <cstring>

#include "core/services.h"
#include "graphics/local.h"
#include "platform/gfx.h"

using namespace platform;

DrawBatch WorldBatch;
DrawBatch ScreenBatch;
DrawBatch* OpenBatch = nullptr;
ScreenScaleRecord ScreenScale;

namespace {

constexpr uint32_t BatchUsage = 0x218; // dynamic, write-only, software processing
constexpr int WorldVertexType = 9;
constexpr int ScreenVertexType = 12;

bool Locked(const DrawBatch& batch) { return batch.openMarker != nullptr; }

// Locks the first ranges of both buffers, discarding what they held.
bool LockFresh(DrawBatch& batch)
{
    auto* vertices = static_cast<uint8_t*>(LockVertexBuffer(batch.vertices, LockDiscard, 0, BatchLockSize));
    if (!vertices)
        return false;
    auto* indices = static_cast<uint16_t*>(LockIndexBuffer(batch.indices, LockDiscard, 0, BatchLockSize));
    if (!indices) {
        UnlockVertexBuffer(batch.vertices);
        return false;
    }
    batch.vertexCursor = vertices;
    batch.indexCursor = indices;
    batch.vertexLimit = BatchLockSize;
    batch.indexLimit = BatchLockSize;
    batch.vertexCount = 0;
    batch.triangleCount = 0;
    batch.openMarker = &batch;
    batch.fullLogged = false;
    return true;
}

void Unlock(DrawBatch& batch)
{
    UnlockVertexBuffer(batch.vertices);
    UnlockIndexBuffer(batch.indices);
    batch.vertexCursor = nullptr;
    batch.indexCursor = nullptr;
    batch.openMarker = nullptr;
}

// Draws the batch when it holds triangles and closes it.
void DrawAndClose(DrawBatch& batch)
{
    if (Locked(batch)) {
        Unlock(batch);
        if (batch.triangleCount > 0 && Gfx.device) {
            SetStreamVertexBuffer(batch.vertices);
            SetIndexBufferSource(batch.indices, batch.vertexBase);
            SetVertexShaderCached(GetVertexFvf(batch.vertexType));
            FlushStateCache();
            Gfx.device->DrawIndexedPrimitive(PrimTriangleList, 0, static_cast<uint32_t>(batch.vertexCount),
                                             static_cast<uint32_t>(batch.indexBase),
                                             static_cast<uint32_t>(batch.triangleCount));
        }
    }
    batch.vertexCount = 0;
    batch.triangleCount = 0;
    if (OpenBatch == &batch)
        OpenBatch = nullptr;
}

void LogFull(DrawBatch& batch, const char* what)
{
    if (batch.fullLogged)
        return;
    batch.fullLogged = true;
    LogPrintf("%s : batch full (%d)", what, BatchBufferSize);
}

void BeginBatch(DrawBatch& batch, const Material* material, bool screen)
{
    // A batch that holds triangles is drawn before another material is bound,
    // so that its triangles keep the texture and states they were added with.
    DrawBatch& other = screen ? WorldBatch : ScreenBatch;
    if (OpenBatch == &other && Locked(other))
        DrawAndClose(other);
    const Material* wanted = material ? material : DefaultMaterial;
    if (Locked(batch) && batch.triangleCount > 0 && wanted != CurrentMaterial)
        DrawAndClose(batch);

    if (screen && Gfx.fogFlag)
        SetFogColourMode(0);
    BindMaterialForDrawing(material);

    OpenBatch = &batch;
    if (!Locked(batch))
        LockFresh(batch);
}

// Makes sure the batch is locked before a vertex or index is written.
bool EnsureLocked(DrawBatch& batch) { return Locked(batch) || LockFresh(batch); }

int AddVertex(DrawBatch& batch, const void* vertex, const char* what)
{
    if (!EnsureLocked(batch))
        return -1;
    if (batch.vertexCount >= BatchBufferSize || !batch.vertexCursor) {
        LogFull(batch, what);
        return -1;
    }
    uint32_t stride = GetVertexStride(batch.vertexType);
    std::memcpy(batch.vertexCursor, vertex, stride);
    batch.vertexCursor += stride;
    ++batch.vertexCount;
    if (batch.vertexCount == batch.vertexLimit) {
        UnlockVertexBuffer(batch.vertices);
        batch.vertexCursor = nullptr;
        int first = batch.vertexBase + batch.vertexCount;
        if (first + BatchLockSize <= BatchBufferSize) {
            batch.vertexCursor =
                static_cast<uint8_t*>(LockVertexBuffer(batch.vertices, LockNoOverwrite, first, BatchLockSize));
            batch.vertexLimit = batch.vertexCount + BatchLockSize;
        }
    }
    return batch.vertexCount - 1;
}

// Relocks the index buffer from the first free index for up to 8192
// further indices, within the buffer.
void RelockIndices(DrawBatch& batch)
{
    UnlockIndexBuffer(batch.indices);
    batch.indexCursor = nullptr;
    int used = 3 * batch.triangleCount;
    int first = batch.indexBase + used;
    int count = BatchBufferSize - first < BatchLockSize ? BatchBufferSize - first : BatchLockSize;
    batch.indexLimit = used;
    if (count <= 0)
        return;
    batch.indexCursor = static_cast<uint16_t*>(LockIndexBuffer(batch.indices, LockNoOverwrite, first, count));
    if (batch.indexCursor)
        batch.indexLimit = used + count;
}

void AddIndices(const int* indices, int count)
{
    DrawBatch* batch = OpenBatch;
    if (!batch || !EnsureLocked(*batch))
        return;
    for (int i = 0; i < count; ++i) {
        // A triangle naming a vertex the batch does not hold would draw
        // from memory it never wrote.
        if (indices[i] < 0 || indices[i] >= batch->vertexCount)
            return;
    }
    int used = 3 * batch->triangleCount;
    if (batch->indexCursor && used + count > batch->indexLimit)
        RelockIndices(*batch);
    if (!batch->indexCursor || used + count > batch->indexLimit) {
        LogFull(*batch, "AddBatchTriangle");
        return;
    }
    for (int i = 0; i < count; ++i)
        *batch->indexCursor++ = static_cast<uint16_t>(indices[i]);
    batch->triangleCount += count / 3;
    used = 3 * batch->triangleCount;
    if (used >= batch->indexLimit - 3)
        RelockIndices(*batch);
}

} // namespace

void CreateBatchBuffers()
{
    FreeBatchBuffers();
    WorldBatch.vertexType = WorldVertexType;
    ScreenBatch.vertexType = ScreenVertexType;
    for (DrawBatch* batch : {&WorldBatch, &ScreenBatch}) {
        batch->vertices = NewVertexBuffer(batch->vertexType, BatchUsage, BatchBufferSize);
        batch->indices = NewIndexBuffer(false, BatchUsage, BatchBufferSize);
        batch->vertexCount = batch->triangleCount = 0;
        batch->vertexBase = batch->indexBase = 0;
    }
}

void FreeBatchBuffers()
{
    for (DrawBatch* batch : {&WorldBatch, &ScreenBatch}) {
        Unlock(*batch);
        FreeVertexBuffer(batch->vertices);
        FreeIndexBuffer(batch->indices);
        batch->vertices = nullptr;
        batch->indices = nullptr;
        batch->vertexCount = batch->triangleCount = 0;
    }
    OpenBatch = nullptr;
}

void BeginWorldBatch(const Material* material) { BeginBatch(WorldBatch, material, false); }

void BeginScreenBatch(const Material* material) { BeginBatch(ScreenBatch, material, true); }

int AddWorldVertex(float x, float y, float z, float u, float v, uint32_t colour)
{
    struct {
        float x, y, z;
        uint32_t colour;
        float u, v;
    } vertex{x, y, z, colour, u, v};
    static_assert(sizeof vertex == 24);
    return AddVertex(WorldBatch, &vertex, "AddWorldVertex");
}

int AddScreenVertexPixels(float x, float y, float u, float v, uint32_t colour)
{
    struct {
        float x, y, z, rhw;
        uint32_t colour;
        float u, v;
    } vertex{x, y, 0.0f, 1.0f, colour, u, v};
    static_assert(sizeof vertex == 28);
    return AddVertex(ScreenBatch, &vertex, "AddScreenVertex");
}

int AddScreenVertex(float x, float y, float u, float v, uint32_t colour)
{
    return AddScreenVertexPixels((ScreenScale.xOffset + x) * ScreenScale.xScale,
                                 (ScreenScale.yOffset + y) * ScreenScale.yScale, u, v, colour);
}

void AddBatchTriangle(int i0, int i1, int i2)
{
    const int indices[3] = {i0, i1, i2};
    AddIndices(indices, 3);
}

void AddBatchQuad(int i0, int i1, int i2, int i3)
{
    const int indices[6] = {i0, i1, i2, i2, i3, i0};
    AddIndices(indices, 6);
}

void EndWorldBatch() { DrawAndClose(WorldBatch); }

void EndScreenBatch()
{
    DrawAndClose(ScreenBatch);
    if (Gfx.fogFlag)
        SetFogColourMode(1);
}

void FlushBatches()
{
    // Both are closed even when neither holds a triangle: a batch left
    // locked would keep cursors into buffers that a device reset releases.
    DrawAndClose(WorldBatch);
    DrawAndClose(ScreenBatch);
    CurrentMaterial = nullptr;
    OpenBatch = nullptr;
}

void SetScreenScale(int tripleScreen, float xOffset, float yOffset, float xScale, float yScale)
{
    float halfWidth = static_cast<float>(Gfx.width / 2);
    float halfHeight = static_cast<float>(Gfx.height / 2);
    ScreenScale.xScale = halfWidth * xScale;
    if (tripleScreen)
        ScreenScale.xScale = ScreenScale.xScale / 3.0f;
    ScreenScale.xOffset = (xOffset + (tripleScreen ? 3.0f : 1.0f)) / xScale;
    ScreenScale.yScale = halfHeight * yScale;
    ScreenScale.yOffset = (yOffset + 1.0f) / yScale;
}

// The numbered vertex formats and the pools through which every vertex and
// index buffer is made, locked, and (in the default pool) released and
// made again around a device reset.
#include <algorithm>

#include "graphics/local.h"
#include "platform/gfx.h"

using namespace platform;

std::vector<VertexBufferEntry*> VertexBufferPool;
std::vector<IndexBufferEntry*> IndexBufferPool;

namespace {

struct VertexTypeInfo {
    uint32_t fvf;
    uint32_t stride;
};

// Types 6 and 11 are drawn by nothing; their strides are the sizes of their
// components like every other type's.
constexpr VertexTypeInfo VertexTypes[VertexTypeCount] = {
    {0x012, 24}, {0x052, 28}, {0x0D2, 32}, {0x112, 32}, {0x152, 36}, {0x1D2, 40}, {0x212, 40},
    {0x252, 44}, {0x2D2, 48}, {0x142, 24}, {0x1C2, 28}, {0x1D2, 40}, {0x144, 28}, {0x1C4, 32},
};

uint32_t PoolOf(uint32_t usage) { return (usage & BufferUsageDynamic) ? PoolDefault : PoolManaged; }

template <class T>
void Unregister(std::vector<T*>& pool, T* entry)
{
    pool.erase(std::remove(pool.begin(), pool.end(), entry), pool.end());
}

} // namespace

uint32_t GetVertexStride(int type) { return type >= 0 && type < VertexTypeCount ? VertexTypes[type].stride : 0; }

uint32_t GetVertexFvf(int type) { return type >= 0 && type < VertexTypeCount ? VertexTypes[type].fvf : 0; }

VertexBufferEntry* NewVertexBuffer(int type, uint32_t usage, int count)
{
    uint32_t stride = GetVertexStride(type);
    if (!Gfx.device || stride == 0 || count <= 0)
        return nullptr;
    GfxVertexBuffer* buffer = nullptr;
    if (!GfxSucceeded(Gfx.device->CreateVertexBuffer(static_cast<uint32_t>(count) * stride, usage,
                                                     GetVertexFvf(type), PoolOf(usage), &buffer)))
        return nullptr;
    auto* entry = new VertexBufferEntry;
    entry->buffer = buffer;
    entry->usage = usage;
    entry->count = count;
    entry->type = type;
    entry->stride = stride;
    VertexBufferPool.push_back(entry);
    return entry;
}

IndexBufferEntry* NewIndexBuffer(bool is32, uint32_t usage, int count)
{
    if (!Gfx.device || count <= 0)
        return nullptr;
    GfxIndexBuffer* buffer = nullptr;
    uint32_t size = static_cast<uint32_t>(count) * (is32 ? 4u : 2u);
    if (!GfxSucceeded(
            Gfx.device->CreateIndexBuffer(size, usage, is32 ? FmtIndex32 : FmtIndex16, PoolOf(usage), &buffer)))
        return nullptr;
    auto* entry = new IndexBufferEntry;
    entry->buffer = buffer;
    entry->usage = usage;
    entry->count = count;
    entry->is32 = is32;
    IndexBufferPool.push_back(entry);
    return entry;
}

void* LockVertexBuffer(VertexBufferEntry* entry, uint32_t flags, int first, int count)
{
    if (!entry || !entry->buffer)
        return nullptr;
    if (entry->lock)
        return entry->lock;
    if (first < 0 || count <= 0 || first + count > entry->count)
        return nullptr;
    void* data = nullptr;
    if (!GfxSucceeded(entry->buffer->Lock(static_cast<uint32_t>(first) * entry->stride,
                                          static_cast<uint32_t>(count) * entry->stride, &data, flags)))
        return nullptr;
    entry->lock = data;
    return data;
}

void* LockIndexBuffer(IndexBufferEntry* entry, uint32_t flags, int first, int count)
{
    if (!entry || !entry->buffer)
        return nullptr;
    if (entry->lock)
        return entry->lock;
    if (first < 0 || count <= 0 || first + count > entry->count)
        return nullptr;
    uint32_t size = entry->is32 ? 4u : 2u;
    void* data = nullptr;
    if (!GfxSucceeded(entry->buffer->Lock(static_cast<uint32_t>(first) * size, static_cast<uint32_t>(count) * size,
                                          &data, flags)))
        return nullptr;
    entry->lock = data;
    return data;
}

void UnlockVertexBuffer(VertexBufferEntry* entry)
{
    if (entry && entry->lock) {
        entry->buffer->Unlock();
        entry->lock = nullptr;
    }
}

void UnlockIndexBuffer(IndexBufferEntry* entry)
{
    if (entry && entry->lock) {
        entry->buffer->Unlock();
        entry->lock = nullptr;
    }
}

void FreeVertexBuffer(VertexBufferEntry* entry)
{
    if (!entry)
        return;
    SetStreamVertexBuffer(nullptr);
    UnlockVertexBuffer(entry);
    if (entry->buffer)
        entry->buffer->Release();
    Unregister(VertexBufferPool, entry);
    delete entry;
}

void FreeIndexBuffer(IndexBufferEntry* entry)
{
    if (!entry)
        return;
    UnlockIndexBuffer(entry);
    if (entry->buffer)
        entry->buffer->Release();
    Unregister(IndexBufferPool, entry);
    delete entry;
}

void SetStreamVertexBuffer(VertexBufferEntry* entry)
{
    if (!Gfx.device)
        return;
    if (entry)
        Gfx.device->SetStreamSource(0, entry->buffer, entry->stride);
    else
        Gfx.device->SetStreamSource(0, nullptr, 0);
}

void SetIndexBufferSource(IndexBufferEntry* entry, int baseVertex)
{
    if (!Gfx.device)
        return;
    if (entry)
        Gfx.device->SetIndices(entry->buffer, static_cast<uint32_t>(baseVertex));
    else
        Gfx.device->SetIndices(nullptr, 0);
}

void ReleaseDynamicBuffers()
{
    SetStreamVertexBuffer(nullptr);
    SetIndexBufferSource(nullptr, 0);
    for (VertexBufferEntry* entry : VertexBufferPool) {
        if ((entry->usage & BufferUsageDynamic) && entry->buffer) {
            UnlockVertexBuffer(entry);
            entry->buffer->Release();
            entry->buffer = nullptr;
        }
    }
    for (IndexBufferEntry* entry : IndexBufferPool) {
        if ((entry->usage & BufferUsageDynamic) && entry->buffer) {
            UnlockIndexBuffer(entry);
            entry->buffer->Release();
            entry->buffer = nullptr;
        }
    }
}

int RecreateDynamicBuffers()
{
    if (!Gfx.device)
        return -1;
    for (VertexBufferEntry* entry : VertexBufferPool) {
        if (!(entry->usage & BufferUsageDynamic) || entry->buffer)
            continue;
        if (!GfxSucceeded(Gfx.device->CreateVertexBuffer(static_cast<uint32_t>(entry->count) * entry->stride,
                                                         entry->usage, GetVertexFvf(entry->type), PoolDefault,
                                                         &entry->buffer)))
            return -1;
    }
    for (IndexBufferEntry* entry : IndexBufferPool) {
        if (!(entry->usage & BufferUsageDynamic) || entry->buffer)
            continue;
        uint32_t size = static_cast<uint32_t>(entry->count) * (entry->is32 ? 4u : 2u);
        if (!GfxSucceeded(Gfx.device->CreateIndexBuffer(size, entry->usage, entry->is32 ? FmtIndex32 : FmtIndex16,
                                                        PoolDefault, &entry->buffer)))
            return -1;
    }
    return 0;
}

void FreeAllVertexBuffers()
{
    SetStreamVertexBuffer(nullptr);
    while (!VertexBufferPool.empty())
        FreeVertexBuffer(VertexBufferPool.back());
}

void FreeAllIndexBuffers()
{
    SetIndexBufferSource(nullptr, 0);
    while (!IndexBufferPool.empty())
        FreeIndexBuffer(IndexBufferPool.back());
}

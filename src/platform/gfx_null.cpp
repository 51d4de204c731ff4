// The null graphics back end: adapters from a configuration, resources in
// memory, states held as a device holds them, every call optionally
// recorded, and a device that can be made lost on demand.
#include "platform/gfx_null.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/gfx_util.h"

namespace platform {

namespace {

// ---------------------------------------------------------------------------
// Module state: lives for the whole run; ResetNullGfx empties it.

struct Core;

NullGfxConfig& Config()
{
    static NullGfxConfig config = DefaultNullGfxConfig();
    return config;
}

bool Recording = false;
std::vector<GfxCall> Calls;
enum class Loss { None, Lost, NotReset };
Loss LossState = Loss::None;
uint32_t NextId = 1;
std::shared_ptr<Core> LatestCore;

struct ShaderRecord {
    vs11::Program program;
    std::vector<GfxVertexElement> declaration;
};

// What one device and its resources share; outlives the device while any
// resource holds it.
struct Core {
    NullGfxState state;
    std::map<uint32_t, ShaderRecord> shaders;
    uint32_t nextShader = 1;
    GfxCaps caps;
};

GfxCall* Record(GfxCallKind kind, std::initializer_list<uint32_t> args, GfxResult result = GfxResult::Ok)
{
    if (!Recording)
        return nullptr;
    GfxCall& call = Calls.emplace_back();
    call.kind = kind;
    call.result = result;
    for (uint32_t value : args)
        call.args[call.argCount++] = value;
    return &call;
}

void RecordValues(GfxCall* call, const float* values, int count)
{
    if (!call)
        return;
    for (int i = 0; i < count && i < 16; ++i)
        call->values[call->valueCount++] = values[i];
}

void RecordFault(GfxCall* call, const std::string& fault)
{
    if (call && call->fault.empty())
        call->fault = fault;
}

struct NullIdentity {
    uint32_t id = NextId++;
    virtual ~NullIdentity() = default;
};

uint32_t IdOf(GfxObject* object)
{
    auto* identity = dynamic_cast<NullIdentity*>(object);
    return identity ? identity->id : 0;
}

// The null back end's objects count their references and carry an identity.
template <class Interface>
using Counted = GfxCounted<Interface, NullIdentity>;

// Keeps the live count of the caller's default-pool resources.
class DefaultPoolToken {
public:
    DefaultPoolToken(std::shared_ptr<Core> owner, bool counts) : core(std::move(owner)), counted(counts)
    {
        if (counted)
            ++core->state.liveDefaultPool;
    }
    ~DefaultPoolToken()
    {
        if (counted)
            --core->state.liveDefaultPool;
    }
    DefaultPoolToken(const DefaultPoolToken&) = delete;
    DefaultPoolToken& operator=(const DefaultPoolToken&) = delete;

private:
    std::shared_ptr<Core> core;
    bool counted;
};

// Pixels of one surface or texture level, rows top first.
struct PixelStore {
    uint32_t format = FmtUnknown;
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> bytes;

    void Make(uint32_t f, uint32_t w, uint32_t h)
    {
        format = f;
        width = w;
        height = h;
        uint32_t size = GfxFormatLevelSize(f, w, h);
        if (size == 0 && !GfxFormatIsCompressed(f))
            size = w * h * 4; // depth and unknown formats: opaque storage
        bytes.assign(size, 0);
    }
    uint32_t Pitch() const
    {
        uint32_t pitch = GfxFormatPitch(format, width);
        return pitch ? pitch : width * 4;
    }
};

GfxResult LockStore(PixelStore& store, GfxLockedRect& locked, const GfxRect* area)
{
    uint32_t x = 0, y = 0;
    if (area) {
        if (area->left < 0 || area->top < 0 || area->right > static_cast<int32_t>(store.width) ||
            area->bottom > static_cast<int32_t>(store.height) || area->left >= area->right ||
            area->top >= area->bottom)
            return GfxResult::InvalidCall;
        x = static_cast<uint32_t>(area->left);
        y = static_cast<uint32_t>(area->top);
    }
    uint32_t pitch = store.Pitch();
    size_t offset;
    if (GfxFormatIsCompressed(store.format))
        offset = static_cast<size_t>(y / 4) * pitch + GfxFormatPitch(store.format, x - x % 4);
    else
        offset = static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * (pitch / std::max(store.width, 1u));
    locked.pitch = static_cast<int32_t>(pitch);
    locked.bits = store.bytes.data() + offset;
    return GfxResult::Ok;
}

// ---------------------------------------------------------------------------
// Surfaces and textures.

class NullSurface : public Counted<GfxSurface> {
public:
    NullSurface(std::shared_ptr<Core> core, uint32_t format, uint32_t width, uint32_t height, uint32_t usage,
                uint32_t multiSample, bool countsAsDefault)
        : token(core, countsAsDefault)
    {
        store.Make(format, width, height);
        desc.format = format;
        desc.type = ResourceSurface;
        desc.usage = usage;
        desc.pool = PoolDefault;
        desc.size = static_cast<uint32_t>(store.bytes.size());
        desc.multiSampleType = multiSample;
        desc.width = width;
        desc.height = height;
    }
    GfxResult GetDesc(GfxSurfaceDesc& out) override
    {
        out = desc;
        return GfxResult::Ok;
    }
    GfxResult LockRect(GfxLockedRect& locked, const GfxRect* area, uint32_t) override
    {
        if (GfxFormatIsDepth(desc.format) || locked_)
            return GfxResult::InvalidCall;
        GfxResult result = LockStore(store, locked, area);
        locked_ = GfxSucceeded(result);
        return result;
    }
    GfxResult UnlockRect() override
    {
        if (!locked_)
            return GfxResult::InvalidCall;
        locked_ = false;
        return GfxResult::Ok;
    }
    PixelStore& Store() { return store; }

private:
    DefaultPoolToken token;
    PixelStore store;
    GfxSurfaceDesc desc;
    bool locked_ = false;
};

class NullTexture;

// A level of a texture: shares the texture's reference count, so holding
// the level keeps the texture.
class NullLevelSurface : public GfxSurface, public NullIdentity {
public:
    NullLevelSurface(NullTexture* owner, uint32_t level) : texture(owner), level(level) {}
    uint32_t AddRef() override;
    uint32_t Release() override;
    GfxResult GetDesc(GfxSurfaceDesc& desc) override;
    GfxResult LockRect(GfxLockedRect& locked, const GfxRect* area, uint32_t flags) override;
    GfxResult UnlockRect() override;
    PixelStore& Store();

private:
    NullTexture* texture;
    uint32_t level;
};

class NullTexture : public Counted<GfxTexture> {
public:
    NullTexture(std::shared_ptr<Core> core, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                uint32_t format, uint32_t pool)
        : token(core, pool == PoolDefault), usage(usage), format(format), pool(pool)
    {
        uint32_t w = width, h = height;
        for (uint32_t i = 0; i < levels; ++i) {
            store.emplace_back().Make(format, w, h);
            locks.push_back(false);
            w = std::max(1u, w / 2);
            h = std::max(1u, h / 2);
        }
        for (uint32_t i = 0; i < levels; ++i)
            surfaces.push_back(std::make_unique<NullLevelSurface>(this, i));
    }
    uint32_t GetLevelCount() override { return static_cast<uint32_t>(store.size()); }
    GfxResult GetLevelDesc(uint32_t level, GfxSurfaceDesc& desc) override
    {
        if (level >= store.size())
            return GfxResult::InvalidCall;
        desc = GfxSurfaceDesc{};
        desc.format = format;
        desc.type = ResourceSurface;
        desc.usage = usage;
        desc.pool = pool;
        desc.size = static_cast<uint32_t>(store[level].bytes.size());
        desc.width = store[level].width;
        desc.height = store[level].height;
        return GfxResult::Ok;
    }
    GfxResult GetSurfaceLevel(uint32_t level, GfxSurface** surface) override
    {
        if (!surface || level >= store.size())
            return GfxResult::InvalidCall;
        AddRef();
        *surface = surfaces[level].get();
        return GfxResult::Ok;
    }
    GfxResult LockRect(uint32_t level, GfxLockedRect& locked, const GfxRect* area, uint32_t) override
    {
        if (level >= store.size() || locks[level])
            return GfxResult::InvalidCall;
        GfxResult result = LockStore(store[level], locked, area);
        locks[level] = GfxSucceeded(result);
        return result;
    }
    GfxResult UnlockRect(uint32_t level) override
    {
        if (level >= store.size() || !locks[level])
            return GfxResult::InvalidCall;
        locks[level] = false;
        return GfxResult::Ok;
    }
    PixelStore& Level(uint32_t level) { return store[level]; }

private:
    DefaultPoolToken token;
    uint32_t usage, format, pool;
    std::vector<PixelStore> store;
    std::vector<bool> locks;
    std::vector<std::unique_ptr<NullLevelSurface>> surfaces;
};

uint32_t NullLevelSurface::AddRef() { return texture->AddRef(); }
uint32_t NullLevelSurface::Release() { return texture->Release(); }
GfxResult NullLevelSurface::GetDesc(GfxSurfaceDesc& desc) { return texture->GetLevelDesc(level, desc); }
GfxResult NullLevelSurface::LockRect(GfxLockedRect& locked, const GfxRect* area, uint32_t flags)
{
    return texture->LockRect(level, locked, area, flags);
}
GfxResult NullLevelSurface::UnlockRect() { return texture->UnlockRect(level); }
PixelStore& NullLevelSurface::Store() { return texture->Level(level); }

PixelStore* StoreOf(GfxSurface* surface)
{
    if (auto* plain = dynamic_cast<NullSurface*>(surface))
        return &plain->Store();
    if (auto* level = dynamic_cast<NullLevelSurface*>(surface))
        return &level->Store();
    return nullptr;
}

// ---------------------------------------------------------------------------
// Buffers.

template <class Interface>
class NullBuffer : public Counted<Interface> {
public:
    NullBuffer(std::shared_ptr<Core> core, uint32_t length, uint32_t usage, uint32_t formatOrFvf, uint32_t pool,
               bool isIndex)
        : token(core, pool == PoolDefault), bytes(length, 0)
    {
        desc.type = isIndex ? ResourceIndexBuffer : ResourceVertexBuffer;
        desc.format = isIndex ? formatOrFvf : FmtUnknown;
        desc.fvf = isIndex ? 0 : formatOrFvf;
        desc.usage = usage;
        desc.pool = pool;
        desc.size = length;
    }
    GfxResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override
    {
        GfxCall* call = Record(desc.type == ResourceIndexBuffer ? GfxCallKind::LockIndexBuffer
                                                                : GfxCallKind::LockVertexBuffer,
                               {this->id, offset, size, flags});
        if (size == 0 && offset <= bytes.size())
            size = static_cast<uint32_t>(bytes.size()) - offset;
        if (!data || static_cast<uint64_t>(offset) + size > bytes.size()) {
            RecordFault(call, "lock outside the buffer");
            if (call)
                call->result = GfxResult::InvalidCall;
            return GfxResult::InvalidCall;
        }
        if (flags & LockDiscard)
            std::fill(bytes.begin(), bytes.end(), uint8_t{0xCD}); // old content is gone
        ++lockCount;
        *data = bytes.data() + offset;
        return GfxResult::Ok;
    }
    GfxResult Unlock() override
    {
        if (lockCount == 0)
            return GfxResult::InvalidCall;
        --lockCount;
        return GfxResult::Ok;
    }
    GfxResult GetDesc(GfxBufferDesc& out) override
    {
        out = desc;
        return GfxResult::Ok;
    }
    bool Locked() const { return lockCount > 0; }
    const std::vector<uint8_t>& Bytes() const { return bytes; }
    const GfxBufferDesc& Desc() const { return desc; }

private:
    DefaultPoolToken token;
    GfxBufferDesc desc;
    std::vector<uint8_t> bytes;
    int lockCount = 0;
};

using NullVertexBuffer = NullBuffer<GfxVertexBuffer>;
using NullIndexBuffer = NullBuffer<GfxIndexBuffer>;

// Holds one reference to whatever it is set to.
template <class T>
class Binding {
public:
    Binding() = default;
    ~Binding() { Set(nullptr); }
    Binding(const Binding&) = delete;
    Binding& operator=(const Binding&) = delete;
    void Set(T* object)
    {
        if (object)
            object->AddRef();
        if (held)
            held->Release();
        held = object;
    }
    T* Get() const { return held; }

private:
    T* held = nullptr;
};

// ---------------------------------------------------------------------------
// The device.

class NullDevice : public Counted<GfxDevice> {
public:
    NullDevice(std::shared_ptr<Core> core, const GfxPresentParams& params) : core(std::move(core))
    {
        MakeDefaults(params);
    }
    ~NullDevice() override
    {
        for (Binding<GfxTexture>& texture : textures)
            texture.Set(nullptr);
        stream.Set(nullptr);
        indices.Set(nullptr);
        renderTarget.Set(nullptr);
        depth.Set(nullptr);
        ReleaseOwnSurfaces();
        core->state.exists = false;
    }

    GfxResult TestCooperativeLevel() override
    {
        switch (LossState) {
        case Loss::Lost: return GfxResult::DeviceLost;
        case Loss::NotReset: return GfxResult::DeviceNotReset;
        default: return GfxResult::Ok;
        }
    }

    GfxResult Reset(GfxPresentParams& params) override
    {
        GfxCall* call = Record(GfxCallKind::Reset, {params.backBufferWidth, params.backBufferHeight,
                                                    params.backBufferFormat, params.windowed ? 1u : 0u});
        auto fail = [&](GfxResult result, const std::string& why) {
            if (call) {
                call->result = result;
                RecordFault(call, why);
            }
            return result;
        };
        if (LossState == Loss::Lost)
            return fail(GfxResult::DeviceLost, "device lost");
        uint32_t backRefs = backBuffer->RefCount() - 1 - (renderTarget.Get() == backBuffer ? 1 : 0);
        uint32_t depthRefs = autoDepth ? autoDepth->RefCount() - 1 - (depth.Get() == autoDepth ? 1 : 0) : 0;
        if (backRefs || depthRefs)
            return fail(GfxResult::InvalidCall, "back buffer or depth surface still held");
        if (core->state.liveDefaultPool > 0)
            return fail(GfxResult::InvalidCall,
                        std::to_string(core->state.liveDefaultPool) + " default-pool resources alive");
        if (core->state.inScene)
            return fail(GfxResult::InvalidCall, "inside a scene");
        for (Binding<GfxTexture>& texture : textures)
            texture.Set(nullptr);
        stream.Set(nullptr);
        indices.Set(nullptr);
        renderTarget.Set(nullptr);
        depth.Set(nullptr);
        ReleaseOwnSurfaces();
        MakeDefaults(params);
        ++core->state.resetCount;
        LossState = Loss::None;
        return GfxResult::Ok;
    }

    GfxResult Present() override
    {
        GfxCall* call = Record(GfxCallKind::Present, {});
        if (LossState != Loss::None) {
            if (call)
                call->result = GfxResult::DeviceLost;
            return GfxResult::DeviceLost;
        }
        if (core->state.inScene) {
            RecordFault(call, "present inside a scene");
            if (call)
                call->result = GfxResult::InvalidCall;
            return GfxResult::InvalidCall;
        }
        return GfxResult::Ok;
    }

    GfxResult BeginScene() override
    {
        GfxCall* call = Record(GfxCallKind::BeginScene, {});
        if (core->state.inScene) {
            RecordFault(call, "already inside a scene");
            return GfxResult::InvalidCall;
        }
        core->state.inScene = true;
        return GfxResult::Ok;
    }

    GfxResult EndScene() override
    {
        GfxCall* call = Record(GfxCallKind::EndScene, {});
        if (!core->state.inScene) {
            RecordFault(call, "not inside a scene");
            return GfxResult::InvalidCall;
        }
        core->state.inScene = false;
        return GfxResult::Ok;
    }

    GfxResult Clear(uint32_t rectCount, const GfxRect* rects, uint32_t flags, uint32_t colour, float z,
                    uint32_t stencil) override
    {
        GfxCall* call = Record(GfxCallKind::Clear, {rectCount, flags, colour, stencil});
        RecordValues(call, &z, 1);
        if (LossState != Loss::None)
            return GfxResult::Ok;
        if ((flags & ClearTarget) == 0)
            return GfxResult::Ok;
        PixelStore* store = StoreOf(renderTarget.Get());
        int bytesPerPixel = store ? GfxFormatBytesPerPixel(store->format) : 0;
        if (!store || bytesPerPixel == 0)
            return GfxResult::Ok;
        const GfxViewport& vp = core->state.viewport;
        GfxRect whole{static_cast<int32_t>(vp.x), static_cast<int32_t>(vp.y),
                      static_cast<int32_t>(vp.x + vp.width), static_cast<int32_t>(vp.y + vp.height)};
        uint8_t pixel[4];
        GfxArgbToPixel(store->format, colour, pixel);
        uint32_t count = rects ? rectCount : 1;
        for (uint32_t i = 0; i < count; ++i) {
            GfxRect r = rects ? rects[i] : whole;
            int32_t left = std::max({r.left, whole.left, 0}), top = std::max({r.top, whole.top, 0});
            int32_t right = std::min({r.right, whole.right, static_cast<int32_t>(store->width)});
            int32_t bottom = std::min({r.bottom, whole.bottom, static_cast<int32_t>(store->height)});
            for (int32_t y = top; y < bottom; ++y)
                for (int32_t x = left; x < right; ++x)
                    std::memcpy(store->bytes.data() + static_cast<size_t>(y) * store->Pitch() +
                                    static_cast<size_t>(x) * bytesPerPixel,
                                pixel, static_cast<size_t>(bytesPerPixel));
        }
        return GfxResult::Ok;
    }

    GfxResult GetDeviceCaps(GfxCaps& caps) override
    {
        caps = core->caps;
        return GfxResult::Ok;
    }

    GfxResult GetBackBuffer(uint32_t index, GfxSurface** surface) override
    {
        if (!surface || index != 0)
            return GfxResult::InvalidCall;
        backBuffer->AddRef();
        *surface = backBuffer;
        return GfxResult::Ok;
    }

    GfxResult GetDepthStencilSurface(GfxSurface** surface) override
    {
        if (!surface)
            return GfxResult::InvalidCall;
        *surface = depth.Get();
        if (!*surface)
            return GfxResult::NotAvailable;
        (*surface)->AddRef();
        return GfxResult::Ok;
    }

    GfxResult GetRenderTarget(GfxSurface** surface) override
    {
        if (!surface)
            return GfxResult::InvalidCall;
        *surface = renderTarget.Get();
        (*surface)->AddRef();
        return GfxResult::Ok;
    }

    GfxResult SetRenderTarget(GfxSurface* colour, GfxSurface* depthSurface) override
    {
        GfxCall* call = Record(GfxCallKind::SetRenderTarget, {IdOf(colour), IdOf(depthSurface)});
        GfxSurface* target = colour ? colour : renderTarget.Get();
        GfxSurfaceDesc colourDesc, depthDesc;
        target->GetDesc(colourDesc);
        if (depthSurface) {
            depthSurface->GetDesc(depthDesc);
            if (!GfxFormatIsDepth(depthDesc.format) || depthDesc.width < colourDesc.width ||
                depthDesc.height < colourDesc.height) {
                RecordFault(call, "depth surface does not fit the target");
                if (call)
                    call->result = GfxResult::InvalidCall;
                return GfxResult::InvalidCall;
            }
        }
        if (colour && (colourDesc.usage & UsageRenderTarget) == 0 && colour != backBuffer) {
            RecordFault(call, "not a render target");
            if (call)
                call->result = GfxResult::InvalidCall;
            return GfxResult::InvalidCall;
        }
        renderTarget.Set(target);
        depth.Set(depthSurface);
        core->state.renderTarget = IdOf(target);
        core->state.depthSurface = IdOf(depthSurface);
        core->state.viewport = GfxViewport{0, 0, colourDesc.width, colourDesc.height, 0.0f, 1.0f};
        return GfxResult::Ok;
    }

    GfxResult CreateDepthStencilSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample,
                                        GfxSurface** surface) override
    {
        GfxCall* call = Record(GfxCallKind::CreateDepthStencilSurface, {width, height, format, multiSample});
        if (!surface || width == 0 || height == 0 || !GfxFormatIsDepth(format)) {
            if (call)
                call->result = GfxResult::InvalidCall;
            return GfxResult::InvalidCall;
        }
        auto* made = new NullSurface(core, format, width, height, UsageDepthStencil, multiSample, true);
        *surface = made;
        if (call)
            call->args[call->argCount++] = made->id;
        return GfxResult::Ok;
    }

    GfxResult CreateRenderTarget(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample,
                                 bool lockable, GfxSurface** surface) override
    {
        GfxCall* call = Record(GfxCallKind::CreateRenderTarget, {width, height, format, lockable ? 1u : 0u});
        if (!surface || width == 0 || height == 0 || GfxFormatBytesPerPixel(format) == 0 ||
            GfxFormatIsDepth(format)) {
            if (call)
                call->result = GfxResult::InvalidCall;
            return GfxResult::InvalidCall;
        }
        auto* made = new NullSurface(core, format, width, height, UsageRenderTarget, multiSample, true);
        *surface = made;
        if (call)
            call->args[call->argCount++] = made->id;
        return GfxResult::Ok;
    }

    GfxResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                            uint32_t pool, GfxTexture** texture) override
    {
        GfxCall* call = Record(GfxCallKind::CreateTexture, {width, height, levels, usage, format, pool});
        bool formatOk = GfxFormatIsCompressed(format) ||
                        (GfxFormatBytesPerPixel(format) > 0 && !GfxFormatIsDepth(format));
        bool renderTargetOk = (usage & UsageRenderTarget) == 0 || pool == PoolDefault;
        if (!texture || width == 0 || height == 0 || !formatOk || !renderTargetOk ||
            width > core->caps.maxTextureWidth || height > core->caps.maxTextureHeight) {
            if (call)
                call->result = GfxResult::InvalidCall;
            return GfxResult::InvalidCall;
        }
        uint32_t full = 1;
        for (uint32_t side = std::max(width, height); side > 1; side /= 2)
            ++full;
        if (levels == 0 || levels > full)
            levels = full;
        *texture = new NullTexture(core, width, height, levels, usage, format, pool);
        return GfxResult::Ok;
    }

    GfxResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool,
                                 GfxVertexBuffer** buffer) override
    {
        GfxCall* call = Record(GfxCallKind::CreateVertexBuffer, {length, usage, fvf, pool});
        if (!buffer || length == 0) {
            if (call)
                call->result = GfxResult::InvalidCall;
            return GfxResult::InvalidCall;
        }
        auto* made = new NullVertexBuffer(core, length, usage, fvf, pool, false);
        *buffer = made;
        if (call)
            call->args[call->argCount++] = made->id;
        return GfxResult::Ok;
    }

    GfxResult CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                                GfxIndexBuffer** buffer) override
    {
        GfxCall* call = Record(GfxCallKind::CreateIndexBuffer, {length, usage, format, pool});
        if (!buffer || length == 0 || (format != FmtIndex16 && format != FmtIndex32)) {
            if (call)
                call->result = GfxResult::InvalidCall;
            return GfxResult::InvalidCall;
        }
        auto* made = new NullIndexBuffer(core, length, usage, format, pool, true);
        *buffer = made;
        if (call)
            call->args[call->argCount++] = made->id;
        return GfxResult::Ok;
    }

    GfxResult SetTransform(uint32_t which, const GfxMatrix& matrix) override
    {
        GfxCall* call = Record(GfxCallKind::SetTransform, {which});
        RecordValues(call, &matrix.m[0][0], 16);
        switch (which) {
        case TransformWorld: core->state.world = matrix; break;
        case TransformView: core->state.view = matrix; break;
        case TransformProjection: core->state.projection = matrix; break;
        default:
            if (which < TransformTexture0 || which >= TransformTexture0 + GfxStageCount)
                return GfxResult::InvalidCall;
        }
        return GfxResult::Ok;
    }

    GfxResult GetTransform(uint32_t which, GfxMatrix& matrix) override
    {
        switch (which) {
        case TransformWorld: matrix = core->state.world; return GfxResult::Ok;
        case TransformView: matrix = core->state.view; return GfxResult::Ok;
        case TransformProjection: matrix = core->state.projection; return GfxResult::Ok;
        default: return GfxResult::InvalidCall;
        }
    }

    GfxResult SetViewport(const GfxViewport& viewport) override
    {
        GfxCall* call = Record(GfxCallKind::SetViewport, {viewport.x, viewport.y, viewport.width, viewport.height});
        float z[2] = {viewport.minZ, viewport.maxZ};
        RecordValues(call, z, 2);
        GfxSurfaceDesc desc;
        renderTarget.Get()->GetDesc(desc);
        if (viewport.width == 0 || viewport.height == 0 || viewport.x + viewport.width > desc.width ||
            viewport.y + viewport.height > desc.height) {
            RecordFault(call, "viewport outside the target");
            if (call)
                call->result = GfxResult::InvalidCall;
            return GfxResult::InvalidCall;
        }
        core->state.viewport = viewport;
        return GfxResult::Ok;
    }

    GfxResult GetViewport(GfxViewport& viewport) override
    {
        viewport = core->state.viewport;
        return GfxResult::Ok;
    }

    GfxResult SetRenderState(uint32_t state, uint32_t value) override
    {
        GfxCall* call = Record(GfxCallKind::SetRenderState, {state, value});
        if (state >= GfxRenderStateCount) {
            RecordFault(call, "no such render state");
            return GfxResult::InvalidCall;
        }
        core->state.renderStates[state] = value;
        return GfxResult::Ok;
    }

    GfxResult GetRenderState(uint32_t state, uint32_t& value) override
    {
        if (state >= GfxRenderStateCount)
            return GfxResult::InvalidCall;
        value = core->state.renderStates[state];
        return GfxResult::Ok;
    }

    GfxResult SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) override
    {
        GfxCall* call = Record(GfxCallKind::SetTextureStageState, {stage, type, value});
        if (stage >= GfxStageCount || type >= GfxStageStateCount) {
            RecordFault(call, "no such stage state");
            return GfxResult::InvalidCall;
        }
        core->state.stageStates[stage][type] = value;
        return GfxResult::Ok;
    }

    GfxResult GetTextureStageState(uint32_t stage, uint32_t type, uint32_t& value) override
    {
        if (stage >= GfxStageCount || type >= GfxStageStateCount)
            return GfxResult::InvalidCall;
        value = core->state.stageStates[stage][type];
        return GfxResult::Ok;
    }

    GfxResult SetTexture(uint32_t stage, GfxTexture* texture) override
    {
        GfxCall* call = Record(GfxCallKind::SetTexture, {stage, IdOf(texture)});
        if (stage >= GfxStageCount) {
            RecordFault(call, "no such stage");
            return GfxResult::InvalidCall;
        }
        textures[stage].Set(texture);
        core->state.textures[stage] = IdOf(texture);
        return GfxResult::Ok;
    }

    GfxResult SetStreamSource(uint32_t streamNumber, GfxVertexBuffer* buffer, uint32_t stride) override
    {
        GfxCall* call = Record(GfxCallKind::SetStreamSource, {streamNumber, IdOf(buffer), stride});
        if (streamNumber != 0) {
            RecordFault(call, "only stream 0 is used");
            return GfxResult::InvalidCall;
        }
        stream.Set(dynamic_cast<NullVertexBuffer*>(buffer));
        core->state.streamBuffer = IdOf(buffer);
        core->state.streamStride = stride;
        return GfxResult::Ok;
    }

    GfxResult SetIndices(GfxIndexBuffer* buffer, uint32_t baseVertexIndex) override
    {
        Record(GfxCallKind::SetIndices, {IdOf(buffer), baseVertexIndex});
        indices.Set(dynamic_cast<NullIndexBuffer*>(buffer));
        core->state.indexBuffer = IdOf(buffer);
        core->state.baseVertex = baseVertexIndex;
        return GfxResult::Ok;
    }

    GfxResult DrawIndexedPrimitive(uint32_t type, uint32_t minIndex, uint32_t numVertices, uint32_t startIndex,
                                   uint32_t primitiveCount) override
    {
        GfxCall* call =
            Record(GfxCallKind::DrawIndexedPrimitive, {type, minIndex, numVertices, startIndex, primitiveCount});
        if (LossState != Loss::None)
            return GfxResult::Ok;
        ++core->state.drawCount;
        if (!call)
            return GfxResult::Ok;
        NullGfxState& s = core->state;
        call->vertexShader = s.vertexShader;
        call->stride = s.streamStride;
        if (!s.inScene)
            RecordFault(call, "draw outside a scene");
        NullVertexBuffer* vertices = stream.Get();
        NullIndexBuffer* indexBuffer = indices.Get();
        if (!vertices || !indexBuffer) {
            RecordFault(call, "no stream or no indices");
            return GfxResult::InvalidCall;
        }
        if (vertices->Locked() || indexBuffer->Locked())
            RecordFault(call, "draw from a locked buffer");
        uint32_t expectedStride = 0;
        if (s.vertexShader == 0) {
            RecordFault(call, "no vertex shader or format set");
        } else if (GfxIsShaderHandle(s.vertexShader)) {
            auto found = core->shaders.find(s.vertexShader);
            if (found == core->shaders.end()) {
                RecordFault(call, "deleted vertex shader");
            } else {
                for (const GfxVertexElement& element : found->second.declaration)
                    expectedStride += GfxElementSize(element.type);
                call->constants.assign(&s.constants[0][0], &s.constants[0][0] + 96 * 4);
            }
        } else {
            expectedStride = GfxFvfStride(s.vertexShader);
        }
        if (expectedStride && expectedStride != s.streamStride)
            RecordFault(call, std::string("stride ") + std::to_string(s.streamStride) + " but the format takes " +
                                  std::to_string(expectedStride));
        uint32_t indexCount = 0;
        switch (type) {
        case PrimTriangleList: indexCount = primitiveCount * 3; break;
        case PrimTriangleStrip:
        case PrimTriangleFan: indexCount = primitiveCount + 2; break;
        case PrimLineList: indexCount = primitiveCount * 2; break;
        case PrimLineStrip: indexCount = primitiveCount + 1; break;
        default: indexCount = primitiveCount; break;
        }
        uint32_t indexSize = indexBuffer->Desc().format == FmtIndex32 ? 4 : 2;
        const std::vector<uint8_t>& indexBytes = indexBuffer->Bytes();
        if (static_cast<uint64_t>(startIndex + indexCount) * indexSize > indexBytes.size()) {
            RecordFault(call, "indices beyond the index buffer");
            return GfxResult::InvalidCall;
        }
        for (uint32_t i = 0; i < indexCount; ++i) {
            uint32_t value = 0;
            std::memcpy(&value, indexBytes.data() + static_cast<size_t>(startIndex + i) * indexSize, indexSize);
            call->indices.push_back(value);
            if (value < minIndex || value >= minIndex + numVertices)
                RecordFault(call, std::string("index ") + std::to_string(value) + std::string(" outside ") + std::to_string(minIndex) +
                                      std::string("..") + std::to_string(minIndex + numVertices - 1));
        }
        const std::vector<uint8_t>& vertexBytes = vertices->Bytes();
        uint64_t first = static_cast<uint64_t>(s.baseVertex + minIndex) * s.streamStride;
        uint64_t size = static_cast<uint64_t>(numVertices) * s.streamStride;
        if (first + size > vertexBytes.size()) {
            RecordFault(call, "vertices beyond the vertex buffer");
            return GfxResult::InvalidCall;
        }
        call->vertexBytes.assign(vertexBytes.begin() + static_cast<std::ptrdiff_t>(first),
                                 vertexBytes.begin() + static_cast<std::ptrdiff_t>(first + size));
        return GfxResult::Ok;
    }

    GfxResult CreateVertexShader(const GfxVertexElement* declaration, uint32_t elementCount,
                                 const vs11::Program& program, uint32_t* handle, uint32_t) override
    {
        GfxCall* call = Record(GfxCallKind::CreateVertexShader, {elementCount});
        auto fail = [&](const char* why) {
            RecordFault(call, why);
            if (call)
                call->result = GfxResult::InvalidCall;
            return GfxResult::InvalidCall;
        };
        if (!handle || (elementCount && !declaration))
            return fail("no declaration");
        if (Config().failCreateVertexShader)
            return fail("vertex shaders refused by the configuration");
        if (program.code.empty())
            return fail("empty program");
        ShaderRecord record;
        for (uint32_t i = 0; i < elementCount; ++i) {
            if (declaration[i].stream != 0 || declaration[i].inputRegister >= vs11::InputCount)
                return fail("bad declaration");
            record.declaration.push_back(declaration[i]);
        }
        record.program = program;
        uint32_t made = core->nextShader * 2 + 1;
        ++core->nextShader;
        core->shaders.emplace(made, std::move(record));
        core->state.liveShaders = static_cast<int>(core->shaders.size());
        *handle = made;
        if (call)
            call->args[call->argCount++] = made;
        return GfxResult::Ok;
    }

    GfxResult SetVertexShader(uint32_t handleOrFvf) override
    {
        GfxCall* call = Record(GfxCallKind::SetVertexShader, {handleOrFvf});
        bool known = GfxIsShaderHandle(handleOrFvf) ? core->shaders.count(handleOrFvf) > 0
                                                     : GfxFvfStride(handleOrFvf) > 0;
        if (!known) {
            RecordFault(call, "unknown shader or format");
            return GfxResult::InvalidCall;
        }
        core->state.vertexShader = handleOrFvf;
        return GfxResult::Ok;
    }

    GfxResult DeleteVertexShader(uint32_t handle) override
    {
        GfxCall* call = Record(GfxCallKind::DeleteVertexShader, {handle});
        if (core->shaders.erase(handle) == 0) {
            RecordFault(call, "unknown shader");
            return GfxResult::InvalidCall;
        }
        core->state.liveShaders = static_cast<int>(core->shaders.size());
        if (core->state.vertexShader == handle)
            core->state.vertexShader = 0;
        return GfxResult::Ok;
    }

    GfxResult SetVertexShaderConstant(uint32_t firstRegister, const float* values, uint32_t count) override
    {
        GfxCall* call = Record(GfxCallKind::SetVertexShaderConstant, {firstRegister, count});
        RecordValues(call, values, static_cast<int>(std::min(count * 4, 16u)));
        if (!values || firstRegister + count > 96) {
            RecordFault(call, "constant register out of range");
            return GfxResult::InvalidCall;
        }
        std::memcpy(&core->state.constants[firstRegister][0], values, sizeof(float) * 4 * count);
        return GfxResult::Ok;
    }

private:
    void MakeDefaults(const GfxPresentParams& params)
    {
        NullGfxState& s = core->state;
        s.exists = true;
        s.inScene = false;
        s.params = params;
        uint32_t width = std::max(1u, params.backBufferWidth);
        uint32_t height = std::max(1u, params.backBufferHeight);
        backBuffer = new NullSurface(core, params.backBufferFormat, width, height, UsageRenderTarget,
                                     params.multiSampleType, false);
        autoDepth = params.enableAutoDepthStencil
                        ? new NullSurface(core, params.autoDepthStencilFormat, width, height, UsageDepthStencil,
                                          params.multiSampleType, false)
                        : nullptr;
        renderTarget.Set(backBuffer);
        depth.Set(autoDepth);
        s.backBuffer = s.renderTarget = backBuffer->id;
        s.autoDepthSurface = s.depthSurface = autoDepth ? autoDepth->id : 0;
        for (uint32_t state = 0; state < GfxRenderStateCount; ++state)
            s.renderStates[state] = GfxDefaultRenderState(state, autoDepth != nullptr);
        for (uint32_t stage = 0; stage < GfxStageCount; ++stage) {
            for (uint32_t type = 0; type < GfxStageStateCount; ++type)
                s.stageStates[stage][type] = GfxDefaultStageState(stage, type);
            s.textures[stage] = 0;
        }
        s.world = s.view = s.projection = GfxIdentityMatrix();
        s.viewport = GfxViewport{0, 0, width, height, 0.0f, 1.0f};
        std::memset(s.constants, 0, sizeof s.constants);
        s.vertexShader = 0;
        s.streamBuffer = s.streamStride = s.indexBuffer = s.baseVertex = 0;
    }

    void ReleaseOwnSurfaces()
    {
        if (backBuffer)
            backBuffer->Release();
        if (autoDepth)
            autoDepth->Release();
        backBuffer = autoDepth = nullptr;
    }

    std::shared_ptr<Core> core;
    NullSurface* backBuffer = nullptr;
    NullSurface* autoDepth = nullptr;
    Binding<GfxSurface> renderTarget, depth;
    Binding<GfxTexture> textures[GfxStageCount];
    Binding<NullVertexBuffer> stream;
    Binding<NullIndexBuffer> indices;
};

// ---------------------------------------------------------------------------
// The system.

bool Contains(const std::vector<uint32_t>& list, uint32_t value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

class NullSystem : public Counted<GfxSystem> {
public:
    NullSystem() : adapters(Config().adapters) {}

    uint32_t GetAdapterCount() override { return static_cast<uint32_t>(adapters.size()); }

    GfxResult GetAdapterIdentifier(uint32_t adapter, uint32_t, GfxAdapterIdentifier& identifier) override
    {
        if (adapter >= adapters.size())
            return GfxResult::InvalidCall;
        identifier = GfxAdapterIdentifier{};
        std::snprintf(identifier.driver, sizeof identifier.driver, "null");
        std::snprintf(identifier.description, sizeof identifier.description, "%s",
                      adapters[adapter].description.c_str());
        return GfxResult::Ok;
    }

    GfxResult GetAdapterDisplayMode(uint32_t adapter, GfxDisplayMode& mode) override
    {
        if (adapter >= adapters.size())
            return GfxResult::InvalidCall;
        mode = adapters[adapter].desktop;
        return GfxResult::Ok;
    }

    uint32_t GetAdapterModeCount(uint32_t adapter) override
    {
        return adapter < adapters.size() ? static_cast<uint32_t>(adapters[adapter].modes.size()) : 0;
    }

    GfxResult EnumAdapterModes(uint32_t adapter, uint32_t mode, GfxDisplayMode& out) override
    {
        if (adapter >= adapters.size() || mode >= adapters[adapter].modes.size())
            return GfxResult::InvalidCall;
        out = adapters[adapter].modes[mode];
        return GfxResult::Ok;
    }

    GfxResult GetDeviceCaps(uint32_t adapter, uint32_t deviceType, GfxCaps& caps) override
    {
        if (adapter >= adapters.size() || deviceType != DeviceHal)
            return GfxResult::InvalidCall;
        caps = adapters[adapter].caps;
        caps.adapterOrdinal = adapter;
        return GfxResult::Ok;
    }

    GfxResult CheckDeviceType(uint32_t adapter, uint32_t deviceType, uint32_t displayFormat,
                              uint32_t backBufferFormat, bool windowed) override
    {
        if (adapter >= adapters.size() || deviceType != DeviceHal)
            return GfxResult::InvalidCall;
        if (!Contains(adapters[adapter].displayFormats, displayFormat))
            return GfxResult::NotAvailable;
        if (!windowed && backBufferFormat != displayFormat)
            return GfxResult::NotAvailable;
        return GfxResult::Ok;
    }

    GfxResult CheckDeviceFormat(uint32_t adapter, uint32_t deviceType, uint32_t, uint32_t usage, uint32_t,
                                uint32_t checkFormat) override
    {
        if (adapter >= adapters.size() || deviceType != DeviceHal)
            return GfxResult::InvalidCall;
        if (usage & UsageDepthStencil)
            return Contains(adapters[adapter].depthFormats, checkFormat) ? GfxResult::Ok : GfxResult::NotAvailable;
        bool colour = (GfxFormatIsCompressed(checkFormat) && adapters[adapter].compressedTextures) ||
                      (GfxFormatBytesPerPixel(checkFormat) > 0 && !GfxFormatIsDepth(checkFormat) &&
                       checkFormat != FmtR8G8B8);
        return colour ? GfxResult::Ok : GfxResult::NotAvailable;
    }

    GfxResult CheckDepthStencilMatch(uint32_t adapter, uint32_t deviceType, uint32_t, uint32_t,
                                     uint32_t depthFormat) override
    {
        if (adapter >= adapters.size() || deviceType != DeviceHal)
            return GfxResult::InvalidCall;
        return Contains(adapters[adapter].depthFormats, depthFormat) ? GfxResult::Ok : GfxResult::NotAvailable;
    }

    GfxResult CheckDeviceMultiSampleType(uint32_t adapter, uint32_t deviceType, uint32_t, bool,
                                         uint32_t multiSampleType) override
    {
        if (adapter >= adapters.size() || deviceType != DeviceHal)
            return GfxResult::InvalidCall;
        bool ok = multiSampleType == MultiSampleNone ||
                  (multiSampleType >= 2 && multiSampleType <= adapters[adapter].maxMultiSamples);
        return ok ? GfxResult::Ok : GfxResult::NotAvailable;
    }

    GfxResult CreateDevice(uint32_t adapter, uint32_t deviceType, WindowHandle, uint32_t behaviourFlags,
                           GfxPresentParams& params, GfxDevice** device) override
    {
        GfxCall* call = Record(GfxCallKind::CreateDevice, {adapter, behaviourFlags, params.backBufferWidth,
                                                           params.backBufferHeight, params.backBufferFormat,
                                                           params.windowed ? 1u : 0u});
        GfxResult result = GfxResult::Ok;
        if (!device || adapter >= adapters.size() || deviceType != DeviceHal ||
            (behaviourFlags & CreatePureDevice))
            result = GfxResult::InvalidCall;
        else if (Config().failCreateDevice)
            result = GfxResult::NotAvailable;
        if (!GfxSucceeded(result)) {
            if (call)
                call->result = result;
            return result;
        }
        if (params.backBufferFormat == FmtUnknown)
            params.backBufferFormat = adapters[adapter].desktop.format;
        auto core = std::make_shared<Core>();
        core->caps = adapters[adapter].caps;
        core->caps.adapterOrdinal = adapter;
        LatestCore = core;
        LossState = Loss::None;
        *device = new NullDevice(core, params);
        return GfxResult::Ok;
    }

private:
    std::vector<NullGfxAdapter> adapters;
};

const char* CallName(GfxCallKind kind)
{
    static constexpr const char* Names[] = {
        "CreateDevice", "Reset", "Present", "BeginScene", "EndScene", "Clear",
        "SetRenderTarget", "CreateDepthStencilSurface", "CreateRenderTarget",
        "CreateTexture", "CreateVertexBuffer", "CreateIndexBuffer",
        "SetTransform", "SetViewport", "SetRenderState", "SetTextureStageState", "SetTexture",
        "SetStreamSource", "SetIndices", "DrawIndexedPrimitive",
        "CreateVertexShader", "SetVertexShader", "DeleteVertexShader", "SetVertexShaderConstant",
        "LockVertexBuffer", "LockIndexBuffer",
    };
    return Names[static_cast<int>(kind)];
}

} // namespace

// ---------------------------------------------------------------------------
// Public controls.

NullGfxConfig DefaultNullGfxConfig()
{
    NullGfxAdapter adapter;
    static constexpr uint32_t Sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
    for (uint32_t format : {FmtX8R8G8B8, FmtR5G6B5})
        for (const auto& size : Sizes)
            adapter.modes.push_back(GfxDisplayMode{size[0], size[1], 60, format});
    adapter.displayFormats = {FmtX8R8G8B8, FmtR5G6B5};
    adapter.depthFormats = {FmtD16, FmtD24X8, FmtD24S8, FmtD32};
    GfxCaps& caps = adapter.caps;
    caps.caps2 = Caps2CanRenderWindowed | Caps2DynamicTextures;
    caps.devCaps = DevCapsHwTransformAndLight;
    caps.textureAddressCaps =
        TextureAddressCapsWrap | TextureAddressCapsMirror | TextureAddressCapsClamp | TextureAddressCapsBorder;
    caps.srcBlendCaps = caps.destBlendCaps = BlendCapsAll;
    caps.textureOpCaps = TextureOpCapsModulate | TextureOpCapsModulate2x | TextureOpCapsAdd;
    caps.maxTextureWidth = caps.maxTextureHeight = 4096;
    caps.maxTextureBlendStages = 8;
    caps.maxSimultaneousTextures = 8;
    caps.maxAnisotropy = 16;
    caps.vertexShaderVersion = VertexShaderVersion(1, 1);
    caps.maxVertexShaderConst = 96;
    caps.pixelShaderVersion = PixelShaderVersion(0, 0);
    NullGfxConfig config;
    config.adapters.push_back(adapter);
    return config;
}

void SetNullGfxConfig(const NullGfxConfig& config) { Config() = config; }

void ResetNullGfx()
{
    Config() = DefaultNullGfxConfig();
    Recording = false;
    Calls.clear();
    LossState = Loss::None;
    LatestCore.reset();
}

void NullGfxRecord(bool on) { Recording = on; }
const std::vector<GfxCall>& NullGfxCalls() { return Calls; }
void NullGfxClearCalls() { Calls.clear(); }

std::string NullGfxDescribe(const GfxCall& call)
{
    std::string text = CallName(call.kind);
    for (int i = 0; i < call.argCount; ++i)
        text += std::string(" ") + std::to_string(call.args[i]);
    for (int i = 0; i < call.valueCount; ++i) {
        char number[32];
        std::snprintf(number, sizeof number, " %g", static_cast<double>(call.values[i]));
        text += number;
    }
    return text;
}

std::vector<std::string> NullGfxDescribeAll(GfxCallKind kind)
{
    std::vector<std::string> out;
    for (const GfxCall& call : Calls)
        if (call.kind == kind)
            out.push_back(NullGfxDescribe(call));
    return out;
}

std::vector<std::string> NullGfxFaults()
{
    std::vector<std::string> out;
    for (const GfxCall& call : Calls)
        if (!call.fault.empty())
            out.push_back(NullGfxDescribe(call) + " : " + call.fault);
    return out;
}

bool NullGfxEvaluateDraw(const GfxCall& draw, std::vector<vs11::VertexOutputs>& outputs)
{
    outputs.clear();
    if (draw.kind != GfxCallKind::DrawIndexedPrimitive || !GfxIsShaderHandle(draw.vertexShader) || !LatestCore ||
        draw.constants.size() != 96 * 4)
        return false;
    auto found = LatestCore->shaders.find(draw.vertexShader);
    if (found == LatestCore->shaders.end())
        return false;
    const ShaderRecord& shader = found->second;
    vs11::Vec4 constants[96];
    for (int i = 0; i < 96; ++i)
        constants[i] = {draw.constants[i * 4], draw.constants[i * 4 + 1], draw.constants[i * 4 + 2],
                        draw.constants[i * 4 + 3]};
    uint32_t minIndex = draw.args[1];
    for (uint32_t index : draw.indices) {
        vs11::VertexInputs inputs;
        for (vs11::Vec4& v : inputs.v)
            v = {0.0f, 0.0f, 0.0f, 1.0f};
        size_t offset = static_cast<size_t>(index - minIndex) * draw.stride;
        if (index < minIndex || offset + draw.stride > draw.vertexBytes.size())
            return false;
        const uint8_t* vertex = draw.vertexBytes.data() + offset;
        for (const GfxVertexElement& element : shader.declaration) {
            vs11::Vec4& v = inputs.v[element.inputRegister];
            inputs.present |= 1u << element.inputRegister;
            if (element.type == GfxElementType::Colour) {
                uint32_t argb;
                std::memcpy(&argb, vertex, 4);
                v = {((argb >> 16) & 255) / 255.0f, ((argb >> 8) & 255) / 255.0f, (argb & 255) / 255.0f,
                     (argb >> 24) / 255.0f};
            } else {
                float f[4] = {0.0f, 0.0f, 0.0f, 1.0f};
                std::memcpy(f, vertex, GfxElementSize(element.type));
                v = {f[0], f[1], f[2], f[3]};
            }
            vertex += GfxElementSize(element.type);
        }
        vs11::Evaluate(shader.program, inputs, constants, outputs.emplace_back());
    }
    return true;
}

const NullGfxState& NullGfxCurrentState()
{
    static const NullGfxState None;
    return LatestCore ? LatestCore->state : None;
}

uint32_t NullGfxId(GfxObject* object) { return IdOf(object); }

void NullGfxLoseDevice() { LossState = Loss::Lost; }

void NullGfxAllowReset()
{
    if (LossState == Loss::Lost)
        LossState = Loss::NotReset;
}

GfxSystem* CreateNullGfxSystem() { return new NullSystem(); }

} // namespace platform

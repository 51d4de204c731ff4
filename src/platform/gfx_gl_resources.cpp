// The OpenGL back end's resources: textures and colour surfaces kept in GL
// textures with a lockable copy, depth surfaces in renderbuffers, vertex
// and index buffers in GL buffers filled when a lock ends.
#include <algorithm>
#include <cstring>

#include "platform/gfx_gl_local.h"
#include "platform/gfx_util.h"

namespace platform::gl {

ContextToken::ContextToken(ContextPtr owner, bool countsAsDefault) : context(std::move(owner)), counted(countsAsDefault)
{
    if (counted)
        ++context->liveDefaultPool;
}

ContextToken::~ContextToken()
{
    if (counted)
        --context->liveDefaultPool;
}

// ---------------------------------------------------------------------------
// Images.

Image::Image(const ContextPtr& owner, uint32_t width, uint32_t height, uint32_t levelCount, uint32_t imageFormat,
             bool isRenderTarget)
    : context(owner), format(imageFormat), renderTarget(isRenderTarget)
{
    TextureFormat tf = TextureFormatOf(format);
    if (!tf.internalFormat || (tf.compressed && !context->facts.compressedDxt))
        return;
    MakeCurrent(*context);
    while (Api.GetError() != GL_NO_ERROR) {
    }
    Api.GenTextures(1, &texture);
    Api.ActiveTexture(UploadUnit);
    Api.BindTexture(GL_TEXTURE_2D, texture);
    uint32_t w = width, h = height;
    for (uint32_t i = 0; i < levelCount; ++i) {
        Level& level = levels.emplace_back();
        level.width = w;
        level.height = h;
        if (tf.compressed)
            Api.CompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), tf.internalFormat, static_cast<GLsizei>(w),
                                     static_cast<GLsizei>(h), 0,
                                     static_cast<GLsizei>(GfxFormatLevelSize(format, w, h)), nullptr);
        else
            Api.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), static_cast<GLint>(tf.internalFormat),
                           static_cast<GLsizei>(w), static_cast<GLsizei>(h), 0, tf.format, tf.type, nullptr);
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
    Api.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    Api.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levelCount) - 1);
    if (tf.alphaOne)
        Api.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    if (Api.GetError() != GL_NO_ERROR) {
        Api.DeleteTextures(1, &texture);
        texture = 0;
        levels.clear();
    }
}

Image::~Image()
{
    if (texture) {
        MakeCurrent(*context);
        Api.DeleteTextures(1, &texture);
    }
}

GfxResult Image::Lock(uint32_t index, GfxLockedRect& locked, const GfxRect* area, uint32_t flags)
{
    if (index >= levels.size() || levels[index].locked)
        return GfxResult::InvalidCall;
    Level& level = levels[index];
    uint32_t x = 0, y = 0;
    if (area) {
        if (area->left < 0 || area->top < 0 || area->right > static_cast<int32_t>(level.width) ||
            area->bottom > static_cast<int32_t>(level.height) || area->left >= area->right ||
            area->top >= area->bottom)
            return GfxResult::InvalidCall;
        x = static_cast<uint32_t>(area->left);
        y = static_cast<uint32_t>(area->top);
    }
    if (level.bytes.empty())
        level.bytes.assign(GfxFormatLevelSize(format, level.width, level.height), 0);
    if (renderTarget)
        ReadBack(index);
    uint32_t pitch = GfxFormatPitch(format, level.width);
    size_t offset;
    if (GfxFormatIsCompressed(format))
        offset = static_cast<size_t>(y / 4) * pitch + GfxFormatPitch(format, x - x % 4);
    else
        offset = static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * GfxFormatBytesPerPixel(format);
    locked.pitch = static_cast<int32_t>(pitch);
    locked.bits = level.bytes.data() + offset;
    level.locked = true;
    level.readOnly = (flags & LockReadOnly) != 0;
    return GfxResult::Ok;
}

GfxResult Image::Unlock(uint32_t index)
{
    if (index >= levels.size() || !levels[index].locked)
        return GfxResult::InvalidCall;
    levels[index].locked = false;
    if (!levels[index].readOnly)
        Upload(index);
    return GfxResult::Ok;
}

void Image::ReadBack(uint32_t index)
{
    Level& level = levels[index];
    TextureFormat tf = TextureFormatOf(format);
    MakeCurrent(*context);
    Api.BindFramebuffer(GL_READ_FRAMEBUFFER, context->readFramebuffer);
    Api.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture,
                             static_cast<GLint>(index));
    Api.ReadBuffer(GL_COLOR_ATTACHMENT0);
    Api.ReadPixels(0, 0, static_cast<GLsizei>(level.width), static_cast<GLsizei>(level.height), tf.format, tf.type,
                   level.bytes.data());
    Api.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
}

void Image::Upload(uint32_t index)
{
    Level& level = levels[index];
    TextureFormat tf = TextureFormatOf(format);
    MakeCurrent(*context);
    Api.ActiveTexture(UploadUnit);
    Api.BindTexture(GL_TEXTURE_2D, texture);
    if (tf.compressed)
        Api.CompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(index), tf.internalFormat,
                                 static_cast<GLsizei>(level.width), static_cast<GLsizei>(level.height), 0,
                                 static_cast<GLsizei>(level.bytes.size()), level.bytes.data());
    else
        Api.TexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(index), 0, 0, static_cast<GLsizei>(level.width),
                          static_cast<GLsizei>(level.height), tf.format, tf.type, level.bytes.data());
}

// ---------------------------------------------------------------------------
// Surfaces.

GlSurface::GlSurface(const ContextPtr& context, uint32_t width, uint32_t height, uint32_t format, uint32_t usage,
                     bool countsAsDefault)
    : token(std::make_unique<ContextToken>(context, countsAsDefault)),
      ownImage(std::make_unique<Image>(context, width, height, 1, format, true))
{
    image = ownImage.get();
    desc.format = format;
    desc.type = ResourceSurface;
    desc.usage = usage;
    desc.pool = PoolDefault;
    desc.size = GfxFormatLevelSize(format, width, height);
    desc.width = width;
    desc.height = height;
}

GlSurface::GlSurface(const ContextPtr& context, uint32_t width, uint32_t height, uint32_t format,
                     bool countsAsDefault)
    : token(std::make_unique<ContextToken>(context, countsAsDefault))
{
    desc.format = format;
    desc.type = ResourceSurface;
    desc.usage = UsageDepthStencil;
    desc.pool = PoolDefault;
    desc.size = width * height * static_cast<uint32_t>(GfxFormatBytesPerPixel(format));
    desc.width = width;
    desc.height = height;
    GLenum internal = DepthFormatOf(format);
    if (!internal)
        return;
    MakeCurrent(*context);
    while (Api.GetError() != GL_NO_ERROR) {
    }
    Api.GenRenderbuffers(1, &renderbuffer);
    Api.BindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    Api.RenderbufferStorage(GL_RENDERBUFFER, internal, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    if (Api.GetError() != GL_NO_ERROR) {
        Api.DeleteRenderbuffers(1, &renderbuffer);
        renderbuffer = 0;
    }
}

GlSurface::GlSurface(GlTexture* texture, Image* levelImage, uint32_t levelIndex, const GfxSurfaceDesc& levelDesc)
    : desc(levelDesc), image(levelImage), level(levelIndex), owner(texture)
{
}

GlSurface::~GlSurface()
{
    if (renderbuffer) {
        MakeCurrent(token->Get());
        Api.DeleteRenderbuffers(1, &renderbuffer);
    }
}

uint32_t GlSurface::AddRef()
{
    if (owner)
        return owner->AddRef();
    return ++refs;
}

uint32_t GlSurface::Release()
{
    if (owner)
        return owner->Release();
    uint32_t left = --refs;
    if (left == 0)
        delete this;
    return left;
}

GfxResult GlSurface::LockRect(GfxLockedRect& locked, const GfxRect* area, uint32_t flags)
{
    if (!image)
        return GfxResult::InvalidCall; // depth surfaces cannot be locked
    return image->Lock(level, locked, area, flags);
}

GfxResult GlSurface::UnlockRect()
{
    if (!image)
        return GfxResult::InvalidCall;
    return image->Unlock(level);
}

// ---------------------------------------------------------------------------
// Textures.

GlTexture::GlTexture(const ContextPtr& context, uint32_t width, uint32_t height, uint32_t levels, uint32_t textureUsage,
                     uint32_t textureFormat, uint32_t texturePool)
    : token(context, texturePool == PoolDefault),
      image(context, width, height, levels, textureFormat, (textureUsage & UsageRenderTarget) != 0),
      usage(textureUsage), format(textureFormat), pool(texturePool)
{
    for (uint32_t i = 0; i < image.LevelCount(); ++i) {
        GfxSurfaceDesc desc;
        GetLevelDesc(i, desc);
        surfaces.push_back(std::make_unique<GlSurface>(this, &image, i, desc));
    }
}

GfxResult GlTexture::GetLevelDesc(uint32_t level, GfxSurfaceDesc& desc)
{
    if (level >= image.LevelCount())
        return GfxResult::InvalidCall;
    desc = GfxSurfaceDesc{};
    desc.format = format;
    desc.type = ResourceSurface;
    desc.usage = usage;
    desc.pool = pool;
    desc.width = image.LevelWidth(level);
    desc.height = image.LevelHeight(level);
    desc.size = GfxFormatLevelSize(format, desc.width, desc.height);
    return GfxResult::Ok;
}

GfxResult GlTexture::GetSurfaceLevel(uint32_t level, GfxSurface** surface)
{
    if (!surface || level >= surfaces.size())
        return GfxResult::InvalidCall;
    AddRef();
    *surface = surfaces[level].get();
    return GfxResult::Ok;
}

GfxResult GlTexture::LockRect(uint32_t level, GfxLockedRect& locked, const GfxRect* area, uint32_t flags)
{
    return image.Lock(level, locked, area, flags);
}

GfxResult GlTexture::UnlockRect(uint32_t level) { return image.Unlock(level); }

// ---------------------------------------------------------------------------
// Buffers.

template <class Interface>
GlBuffer<Interface>::GlBuffer(const ContextPtr& context, uint32_t length, uint32_t usage, uint32_t formatOrFvf,
                              uint32_t pool, bool isIndex)
    : token(context, pool == PoolDefault), bytes(length, 0)
{
    desc.type = isIndex ? ResourceIndexBuffer : ResourceVertexBuffer;
    desc.format = isIndex ? formatOrFvf : FmtUnknown;
    desc.fvf = isIndex ? 0 : formatOrFvf;
    desc.usage = usage;
    desc.pool = pool;
    desc.size = length;
    MakeCurrent(*context);
    Api.GenBuffers(1, &buffer);
    Api.BindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    Api.BufferData(GL_COPY_WRITE_BUFFER, length, bytes.data(), (usage & UsageDynamic) ? GL_STREAM_DRAW : GL_STATIC_DRAW);
}

template <class Interface>
GlBuffer<Interface>::~GlBuffer()
{
    MakeCurrent(token.Get());
    Api.DeleteBuffers(1, &buffer);
}

template <class Interface>
GfxResult GlBuffer<Interface>::Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags)
{
    if (size == 0 && offset <= bytes.size())
        size = static_cast<uint32_t>(bytes.size()) - offset;
    if (!data || static_cast<uint64_t>(offset) + size > bytes.size())
        return GfxResult::InvalidCall;
    if (lockCount == 0) {
        dirtyBegin = offset;
        dirtyEnd = offset + size;
        lockFlags = flags;
    } else {
        dirtyBegin = std::min(dirtyBegin, offset);
        dirtyEnd = std::max(dirtyEnd, offset + size);
        lockFlags &= flags;
    }
    ++lockCount;
    *data = bytes.data() + offset;
    return GfxResult::Ok;
}

template <class Interface>
GfxResult GlBuffer<Interface>::Unlock()
{
    if (lockCount == 0)
        return GfxResult::InvalidCall;
    if (--lockCount > 0 || (lockFlags & LockReadOnly) || dirtyEnd <= dirtyBegin)
        return GfxResult::Ok;
    MakeCurrent(token.Get());
    Api.BindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    GLbitfield access = GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT;
    if (lockFlags & LockDiscard) {
        // The old content may go: a fresh store lets draws still reading
        // the old one run on.
        Api.BufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(bytes.size()), nullptr,
                       (desc.usage & UsageDynamic) ? GL_STREAM_DRAW : GL_STATIC_DRAW);
        access |= GL_MAP_UNSYNCHRONIZED_BIT;
    } else if (lockFlags & LockNoOverwrite) {
        access |= GL_MAP_UNSYNCHRONIZED_BIT;
    } else {
        Api.BufferSubData(GL_COPY_WRITE_BUFFER, dirtyBegin, dirtyEnd - dirtyBegin, bytes.data() + dirtyBegin);
        return GfxResult::Ok;
    }
    void* target = Api.MapBufferRange(GL_COPY_WRITE_BUFFER, dirtyBegin, dirtyEnd - dirtyBegin, access);
    if (target) {
        std::memcpy(target, bytes.data() + dirtyBegin, dirtyEnd - dirtyBegin);
        Api.UnmapBuffer(GL_COPY_WRITE_BUFFER);
    } else {
        Api.BufferSubData(GL_COPY_WRITE_BUFFER, dirtyBegin, dirtyEnd - dirtyBegin, bytes.data() + dirtyBegin);
    }
    return GfxResult::Ok;
}

template class GlBuffer<GfxVertexBuffer>;
template class GlBuffer<GfxIndexBuffer>;

} // namespace platform::gl

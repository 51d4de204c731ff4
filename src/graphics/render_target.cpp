// Render targets: drawing into a texture and back into the back buffer,
// the square depth surfaces kept per width, and the viewport.
#include "graphics/local.h"
#include "platform/gfx.h"

using namespace platform;

void SetViewportRecord(const GfxViewport& viewport)
{
    if (Gfx.device)
        Gfx.device->SetViewport(viewport);
    Gfx.viewport = viewport;
}

void SetViewport(int x, int y, int width, int height)
{
    GfxViewport viewport;
    viewport.x = static_cast<uint32_t>(x);
    viewport.y = static_cast<uint32_t>(y);
    viewport.width = static_cast<uint32_t>(width ? width : Gfx.width);
    viewport.height = static_cast<uint32_t>(height ? height : Gfx.height);
    viewport.minZ = 0.0f;
    viewport.maxZ = 1.0f;
    SetViewportRecord(viewport);
}

GfxSurface* GetDepthSurface(int width)
{
    if (width == 0)
        return Gfx.backDepthSurface;
    auto found = Gfx.depthSurfaces.find(width);
    if (found != Gfx.depthSurfaces.end())
        return found->second;
    GfxSurface* surface = nullptr;
    if (!Gfx.device || width < 0 ||
        !GfxSucceeded(Gfx.device->CreateDepthStencilSurface(static_cast<uint32_t>(width),
                                                            static_cast<uint32_t>(width), FmtD16, MultiSampleNone,
                                                            &surface)))
        return nullptr;
    Gfx.depthSurfaces[width] = surface;
    return surface;
}

void ReleaseDepthSurfaces()
{
    for (auto& [width, surface] : Gfx.depthSurfaces)
        surface->Release();
    Gfx.depthSurfaces.clear();
}

void SetRenderTargetSurface(GfxSurface* surface, int withDepth)
{
    if (!Gfx.textureTarget) {
        Gfx.savedWidth = Gfx.width;
        Gfx.savedHeight = Gfx.height;
    }
    Gfx.textureTarget = surface;
    if (surface && Gfx.device) {
        GfxSurfaceDesc desc;
        surface->GetDesc(desc);
        Gfx.width = static_cast<int>(desc.width);
        Gfx.height = static_cast<int>(desc.height);
        GfxSurface* depth = withDepth ? GetDepthSurface(Gfx.width) : nullptr;
        Gfx.device->SetRenderTarget(surface, depth);
        Gfx.savedViewport = Gfx.viewport;
        SetViewport(0, 0, 0, 0);
        SetRenderStateCached(RsZEnable, withDepth ? 1 : 0);
        FlushStateCache();
    }
    CurrentMaterial = nullptr;
}

int BeginRenderToTexture(TextureRecord* texture, int withDepth)
{
    if (!texture || !texture->texture)
        return 0;
    EndDeviceScene();
    GfxSurface* surface = nullptr;
    if (!GfxSucceeded(texture->texture->GetSurfaceLevel(0, &surface))) {
        BeginDeviceScene();
        return 0;
    }
    SetRenderTargetSurface(surface, withDepth);
    surface->Release(); // the device holds the target while it is current
    return 1;
}

void EndRenderToTexture()
{
    if (Gfx.textureTarget) {
        EndDeviceScene();
        Gfx.width = Gfx.savedWidth;
        Gfx.height = Gfx.savedHeight;
        if (Gfx.device)
            Gfx.device->SetRenderTarget(Gfx.backBufferSurface, Gfx.backDepthSurface);
        Gfx.textureTarget = nullptr;
        SetViewportRecord(Gfx.savedViewport);
    }
    SetRenderStateCached(RsZEnable, 1);
    FlushStateCache();
    CurrentMaterial = nullptr;
}

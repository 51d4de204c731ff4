// The OpenGL graphics system: adapters are SDL's displays, described by the
// GL renderer; what the context can draw into and sample is probed once;
// devices get their own GL context on the window they are given (or on a
// hidden window of their own). The context made for the probe becomes the
// first device's, so that a run makes one context, not two: making a
// context costs more than everything the probe asks of it.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "platform/gfx_gl_local.h"

namespace platform {

namespace gl {

namespace {

uint32_t FormatOfSdl(uint32_t sdlFormat)
{
    switch (SDL_BITSPERPIXEL(sdlFormat)) {
    case 15: return FmtX1R5G5B5;
    case 16: return FmtR5G6B5;
    default: return FmtX8R8G8B8;
    }
}

// Which of the formats can be attached to a framebuffer and drawn into.
std::vector<uint32_t> ProbeFormats(std::initializer_list<uint32_t> formats, bool depthFormats)
{
    std::vector<uint32_t> usable;
    GLuint framebuffer = 0, colour = 0;
    Api.GenFramebuffers(1, &framebuffer);
    Api.BindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    Api.GenTextures(1, &colour);
    Api.BindTexture(GL_TEXTURE_2D, colour);
    Api.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    for (uint32_t format : formats) {
        while (Api.GetError() != GL_NO_ERROR) {
        }
        bool ok = false;
        if (depthFormats) {
            GLuint renderbuffer = 0;
            Api.GenRenderbuffers(1, &renderbuffer);
            Api.BindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
            Api.RenderbufferStorage(GL_RENDERBUFFER, DepthFormatOf(format), 4, 4);
            Api.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
            Api.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffer);
            ok = Api.GetError() == GL_NO_ERROR &&
                 Api.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
            Api.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
            Api.DeleteRenderbuffers(1, &renderbuffer);
        } else {
            TextureFormat tf = TextureFormatOf(format);
            GLuint texture = 0;
            Api.GenTextures(1, &texture);
            Api.BindTexture(GL_TEXTURE_2D, texture);
            Api.TexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(tf.internalFormat), 4, 4, 0, tf.format, tf.type,
                           nullptr);
            Api.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
            ok = Api.GetError() == GL_NO_ERROR &&
                 Api.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
            Api.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
            Api.DeleteTextures(1, &texture);
        }
        if (ok)
            usable.push_back(format);
    }
    Api.BindFramebuffer(GL_FRAMEBUFFER, 0);
    Api.DeleteFramebuffers(1, &framebuffer);
    Api.DeleteTextures(1, &colour);
    return usable;
}

bool Contains(const std::vector<uint32_t>& list, uint32_t value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

class GlSystem : public Counted<GfxSystem> {
public:
    GlSystem(const ContextFacts& contextFacts, const AdapterFacts& adapterFacts)
        : facts(contextFacts), adapterFacts(adapterFacts)
    {
        // The GL library stays loaded while the system lives, rather than
        // coming and going with each device's window.
        SDL_InitSubSystem(SDL_INIT_VIDEO);
        libraryLoaded = SDL_GL_LoadLibrary(nullptr) == 0;
        displayCount = std::clamp(SDL_GetNumVideoDisplays(), 1, 8);
    }
    ~GlSystem() override
    {
        DropSpareContext();
        if (libraryLoaded)
            SDL_GL_UnloadLibrary();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    uint32_t GetAdapterCount() override { return static_cast<uint32_t>(displayCount); }

    GfxResult GetAdapterIdentifier(uint32_t adapter, uint32_t, GfxAdapterIdentifier& identifier) override
    {
        if (adapter >= GetAdapterCount())
            return GfxResult::InvalidCall;
        identifier = GfxAdapterIdentifier{};
        std::snprintf(identifier.driver, sizeof identifier.driver, "OpenGL %s (%s)", facts.version.c_str(),
                      facts.vendor.c_str());
        std::snprintf(identifier.description, sizeof identifier.description, "%s", facts.renderer.c_str());
        return GfxResult::Ok;
    }

    GfxResult GetAdapterDisplayMode(uint32_t adapter, GfxDisplayMode& mode) override
    {
        SDL_DisplayMode sdlMode;
        if (adapter >= GetAdapterCount() || SDL_GetDesktopDisplayMode(static_cast<int>(adapter), &sdlMode) != 0)
            return GfxResult::InvalidCall;
        mode = {static_cast<uint32_t>(sdlMode.w), static_cast<uint32_t>(sdlMode.h),
                static_cast<uint32_t>(sdlMode.refresh_rate), FormatOfSdl(sdlMode.format)};
        return GfxResult::Ok;
    }

    uint32_t GetAdapterModeCount(uint32_t adapter) override
    {
        if (adapter >= GetAdapterCount())
            return 0;
        return static_cast<uint32_t>(std::max(0, SDL_GetNumDisplayModes(static_cast<int>(adapter))));
    }

    GfxResult EnumAdapterModes(uint32_t adapter, uint32_t index, GfxDisplayMode& out) override
    {
        SDL_DisplayMode sdlMode;
        if (adapter >= GetAdapterCount() || index >= GetAdapterModeCount(adapter) ||
            SDL_GetDisplayMode(static_cast<int>(adapter), static_cast<int>(index), &sdlMode) != 0)
            return GfxResult::InvalidCall;
        out = {static_cast<uint32_t>(sdlMode.w), static_cast<uint32_t>(sdlMode.h),
               static_cast<uint32_t>(sdlMode.refresh_rate), FormatOfSdl(sdlMode.format)};
        return GfxResult::Ok;
    }

    GfxResult GetDeviceCaps(uint32_t adapter, uint32_t deviceType, GfxCaps& caps) override
    {
        if (adapter >= GetAdapterCount() || deviceType != DeviceHal)
            return GfxResult::InvalidCall;
        caps = adapterFacts.caps;
        caps.adapterOrdinal = adapter;
        return GfxResult::Ok;
    }

    GfxResult CheckDeviceType(uint32_t adapter, uint32_t deviceType, uint32_t displayFormat,
                              uint32_t backBufferFormat, bool windowed) override
    {
        if (adapter >= GetAdapterCount() || deviceType != DeviceHal)
            return GfxResult::InvalidCall;
        if (!DisplayFormats(adapter).count(displayFormat))
            return GfxResult::NotAvailable;
        if (!windowed && backBufferFormat != displayFormat)
            return GfxResult::NotAvailable;
        return Contains(adapterFacts.renderTargetFormats, backBufferFormat) ? GfxResult::Ok : GfxResult::NotAvailable;
    }

    GfxResult CheckDeviceFormat(uint32_t adapter, uint32_t deviceType, uint32_t, uint32_t usage, uint32_t,
                                uint32_t checkFormat) override
    {
        if (adapter >= GetAdapterCount() || deviceType != DeviceHal)
            return GfxResult::InvalidCall;
        if (usage & UsageDepthStencil)
            return Contains(adapterFacts.depthFormats, checkFormat) ? GfxResult::Ok : GfxResult::NotAvailable;
        if (usage & UsageRenderTarget)
            return Contains(adapterFacts.renderTargetFormats, checkFormat) ? GfxResult::Ok : GfxResult::NotAvailable;
        TextureFormat tf = TextureFormatOf(checkFormat);
        bool ok = tf.internalFormat != 0 && (!tf.compressed || facts.compressedDxt);
        return ok ? GfxResult::Ok : GfxResult::NotAvailable;
    }

    GfxResult CheckDepthStencilMatch(uint32_t adapter, uint32_t deviceType, uint32_t, uint32_t,
                                     uint32_t depthFormat) override
    {
        if (adapter >= GetAdapterCount() || deviceType != DeviceHal)
            return GfxResult::InvalidCall;
        return Contains(adapterFacts.depthFormats, depthFormat) ? GfxResult::Ok : GfxResult::NotAvailable;
    }

    GfxResult CheckDeviceMultiSampleType(uint32_t adapter, uint32_t deviceType, uint32_t, bool,
                                         uint32_t multiSampleType) override
    {
        if (adapter >= GetAdapterCount() || deviceType != DeviceHal)
            return GfxResult::InvalidCall;
        // Drawing goes to single-sample framebuffer objects.
        return multiSampleType == MultiSampleNone ? GfxResult::Ok : GfxResult::NotAvailable;
    }

    GfxResult CreateDevice(uint32_t adapter, uint32_t deviceType, WindowHandle focusWindow, uint32_t behaviourFlags,
                           GfxPresentParams& params, GfxDevice** device) override
    {
        if (!device || adapter >= GetAdapterCount() || deviceType != DeviceHal || (behaviourFlags & CreatePureDevice))
            return GfxResult::InvalidCall;
        if (params.multiSampleType != MultiSampleNone ||
            (params.enableAutoDepthStencil && !Contains(adapterFacts.depthFormats, params.autoDepthStencilFormat)))
            return GfxResult::InvalidCall;
        if (params.backBufferFormat == FmtUnknown) {
            GfxDisplayMode desktop;
            GetAdapterDisplayMode(adapter, desktop);
            params.backBufferFormat = desktop.format;
        }
        if (!Contains(adapterFacts.renderTargetFormats, params.backBufferFormat))
            return GfxResult::InvalidCall;
        auto context = std::make_shared<Context>();
        SDL_InitSubSystem(SDL_INIT_VIDEO); // the context's own hold, given back by its destructor
        WindowHandle window = params.deviceWindow ? params.deviceWindow : focusWindow;
        if (window) {
            context->window = static_cast<SDL_Window*>(window);
        } else {
            SetWindowAttributes();
            context->window = SDL_CreateWindow("Quorvan", SDL_WINDOWPOS_CENTERED_DISPLAY(adapter),
                                               SDL_WINDOWPOS_CENTERED_DISPLAY(adapter),
                                               static_cast<int>(std::max(1u, params.backBufferWidth)),
                                               static_cast<int>(std::max(1u, params.backBufferHeight)),
                                               SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
            context->ownsWindow = true;
        }
        if (context->window && spareContext) {
            // The probe's context is made for windows of the same GL
            // attributes; on any other window a context of its own is made.
            if (SDL_GL_MakeCurrent(context->window, spareContext) == 0) {
                context->glContext = spareContext;
                spareContext = nullptr;
            }
            DropSpareContext();
        }
        if (context->window && !context->glContext)
            context->glContext = SDL_GL_CreateContext(context->window);
        if (!context->glContext) {
            std::fprintf(stderr, "CreateDevice : no OpenGL context : %s\n", SDL_GetError());
            return GfxResult::NotAvailable;
        }
        MakeCurrent(*context);
        context->facts = facts;
        *device = gl::CreateDevice(context, adapterFacts, params);
        return GfxResult::Ok;
    }

    // Keeps the probe's window and context for the first device.
    void KeepSpareContext(SDL_Window* window, SDL_GLContext glContext)
    {
        spareWindow = window;
        spareContext = glContext;
    }

private:
    void DropSpareContext()
    {
        if (spareContext)
            SDL_GL_DeleteContext(spareContext);
        if (spareWindow)
            SDL_DestroyWindow(spareWindow);
        spareContext = nullptr;
        spareWindow = nullptr;
    }

    std::set<uint32_t> DisplayFormats(uint32_t adapter)
    {
        std::set<uint32_t> formats;
        GfxDisplayMode mode;
        if (GfxSucceeded(GetAdapterDisplayMode(adapter, mode)))
            formats.insert(mode.format);
        for (uint32_t i = 0; i < GetAdapterModeCount(adapter); ++i)
            if (GfxSucceeded(EnumAdapterModes(adapter, i, mode)))
                formats.insert(mode.format);
        return formats;
    }

    ContextFacts facts;
    AdapterFacts adapterFacts;
    int displayCount = 1;
    bool libraryLoaded = false;
    SDL_Window* spareWindow = nullptr;     // the probe's hidden window, until the first device
    SDL_GLContext spareContext = nullptr;  // the probe's context, for the first device
};

// Opens a hidden window and context to learn what the machine offers; on
// success both are handed back, the context no longer current.
bool Probe(ContextFacts& facts, AdapterFacts& adapter, SDL_Window*& probeWindow, SDL_GLContext& probeContext)
{
    SetWindowAttributes();
    SDL_Window* window = SDL_CreateWindow("Quorvan", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
        std::fprintf(stderr, "CreateGlGfxSystem : no window : %s\n", SDL_GetError());
        return false;
    }
    SDL_GLContext glContext = SDL_GL_CreateContext(window);
    if (!glContext) {
        std::fprintf(stderr, "CreateGlGfxSystem : no OpenGL context : %s\n", SDL_GetError());
        SDL_DestroyWindow(window);
        return false;
    }
    SDL_GL_MakeCurrent(window, glContext);
    std::string missing;
    bool ok = LoadFunctions(missing);
    if (!ok) {
        std::fprintf(stderr, "CreateGlGfxSystem : OpenGL entry point missing : %s\n", missing.c_str());
    } else {
        facts = ReadContextFacts();
        if (!facts.unusable.empty()) {
            std::fprintf(stderr, "CreateGlGfxSystem : %s : %s\n", facts.unusable.c_str(), facts.renderer.c_str());
            ok = false;
        }
    }
    if (ok) {
        adapter.depthFormats = ProbeFormats({FmtD16, FmtD24X8, FmtD24S8, FmtD32}, true);
        adapter.renderTargetFormats =
            ProbeFormats({FmtA8R8G8B8, FmtX8R8G8B8, FmtR5G6B5, FmtX1R5G5B5, FmtA1R5G5B5, FmtA4R4G4B4}, false);
        GfxCaps& caps = adapter.caps;
        caps.caps2 = Caps2CanRenderWindowed | Caps2DynamicTextures;
        caps.devCaps = DevCapsHwTransformAndLight;
        caps.textureAddressCaps =
            TextureAddressCapsWrap | TextureAddressCapsMirror | TextureAddressCapsClamp | TextureAddressCapsBorder;
        // Every factor of the interface is a core blend factor of the GL
        // versions the device needs, as source and as destination.
        caps.srcBlendCaps = caps.destBlendCaps = BlendCapsAll;
        caps.textureOpCaps = TextureOpCapsModulate | TextureOpCapsModulate2x | TextureOpCapsAdd;
        caps.maxTextureWidth = caps.maxTextureHeight = static_cast<uint32_t>(std::min(facts.maxTextureSize, 4096));
        caps.maxTextureBlendStages = GfxStageCount;
        caps.maxSimultaneousTextures = GfxStageCount;
        caps.maxAnisotropy = static_cast<uint32_t>(std::max(1.0f, facts.maxAnisotropy));
        caps.vertexShaderVersion = VertexShaderVersion(1, 1);
        caps.maxVertexShaderConst = vs11::ConstantCount;
        caps.pixelShaderVersion = PixelShaderVersion(0, 0);
    }
    SDL_GL_MakeCurrent(window, nullptr);
    if (!ok) {
        SDL_GL_DeleteContext(glContext);
        SDL_DestroyWindow(window);
        return false;
    }
    probeWindow = window;
    probeContext = glContext;
    return true;
}

} // namespace

void ApplyWindowMode(Context& context, const GfxPresentParams& params)
{
    int width = static_cast<int>(std::max(1u, params.backBufferWidth));
    int height = static_cast<int>(std::max(1u, params.backBufferHeight));
    if (params.windowed) {
        SDL_SetWindowFullscreen(context.window, 0);
        if (context.ownsWindow)
            SDL_SetWindowSize(context.window, width, height);
        // A window shows each frame at once.
        SDL_GL_SetSwapInterval(0);
    } else {
        SDL_DisplayMode mode{};
        mode.format = params.backBufferFormat == FmtR5G6B5 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
        mode.w = width;
        mode.h = height;
        mode.refresh_rate = static_cast<int>(params.fullScreenRefreshRate);
        if (SDL_SetWindowDisplayMode(context.window, &mode) != 0 ||
            SDL_SetWindowFullscreen(context.window, SDL_WINDOW_FULLSCREEN) != 0)
            std::fprintf(stderr, "Reset : full screen refused : %s\n", SDL_GetError());
        SDL_GL_SetSwapInterval(params.presentationInterval == PresentIntervalImmediate ? 0 : 1);
    }
}

} // namespace gl

GfxSystem* CreateGlGfxSystem()
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "CreateGlGfxSystem : no video : %s\n", SDL_GetError());
        return nullptr;
    }
    gl::ContextFacts facts;
    gl::AdapterFacts adapter;
    SDL_Window* probeWindow = nullptr;
    SDL_GLContext probeContext = nullptr;
    gl::GlSystem* system = nullptr;
    if (gl::Probe(facts, adapter, probeWindow, probeContext)) {
        system = new gl::GlSystem(facts, adapter);
        system->KeepSpareContext(probeWindow, probeContext);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return system;
}

WindowHandle GfxGlOpenWindow(const char* title, uint32_t width, uint32_t height, bool shown)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    gl::SetWindowAttributes();
    SDL_Window* window = SDL_CreateWindow(title ? title : "Quorvan", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          static_cast<int>(std::max(1u, width)), static_cast<int>(std::max(1u, height)),
                                          SDL_WINDOW_OPENGL | (shown ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN));
    if (!window)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return window;
}

void GfxGlCloseWindow(WindowHandle window)
{
    if (!window)
        return;
    SDL_DestroyWindow(static_cast<SDL_Window*>(window));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace platform

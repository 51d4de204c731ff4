// What the files of the OpenGL graphics back end share: the GL entry points
// loaded at run time, the context every object of one device keeps alive,
// and the program generators that turn device states and vs.1.1 programs
// into ARB vertex and fragment programs.
#pragma once

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx.h"
#include "platform/vs11.h"

struct SDL_Window;

namespace platform::gl {

// ---------------------------------------------------------------------------
// Entry points. All come through SDL_GL_GetProcAddress once a context is
// current, so the back end needs no link-time GL library.

#define QV_GL_FUNCTIONS(X)                                                                        \
    X(GetError) X(GetString) X(GetStringi) X(GetIntegerv) X(GetFloatv) X(Enable) X(Disable)       \
    X(Clear) X(ClearColor) X(ClearDepth) X(Viewport) X(Scissor) X(DepthFunc) X(DepthMask)         \
    X(DepthRange) X(BlendFunc) X(BlendEquation) X(CullFace) X(FrontFace) X(PolygonMode)          \
    X(AlphaFunc) X(ColorMask) X(ReadPixels) X(PixelStorei) X(Finish) X(Flush) X(DrawArrays)      \
    X(DrawRangeElements) X(DrawBuffers) X(GenTextures) X(DeleteTextures) X(BindTexture) X(ActiveTexture)        \
    X(TexImage2D) X(TexSubImage2D) X(CompressedTexImage2D) X(TexParameteri) X(TexParameteriv)    \
    X(GenFramebuffers) X(DeleteFramebuffers) X(BindFramebuffer) X(FramebufferTexture2D)         \
    X(FramebufferRenderbuffer) X(CheckFramebufferStatus) X(BlitFramebuffer) X(DrawBuffer)        \
    X(ReadBuffer) X(GenRenderbuffers) X(DeleteRenderbuffers) X(BindRenderbuffer)                 \
    X(RenderbufferStorage) X(GenBuffers) X(DeleteBuffers) X(BindBuffer) X(BufferData)            \
    X(BufferSubData) X(MapBufferRange) X(UnmapBuffer) X(GenVertexArrays) X(BindVertexArray)      \
    X(DeleteVertexArrays) X(VertexAttribPointer) X(EnableVertexAttribArray)                      \
    X(DisableVertexAttribArray) X(VertexAttrib4f) X(GenSamplers) X(DeleteSamplers)               \
    X(BindSampler) X(SamplerParameteri) X(SamplerParameterf) X(SamplerParameterfv)               \
    X(GenProgramsARB) X(DeleteProgramsARB) X(BindProgramARB) X(ProgramStringARB)                 \
    X(ProgramEnvParameter4fvARB) X(ProgramEnvParameters4fvEXT) X(GetProgramivARB)

struct Functions {
#define QV_GL_MEMBER(name) decltype(&::gl##name) name = nullptr;
    QV_GL_FUNCTIONS(QV_GL_MEMBER)
#undef QV_GL_MEMBER
};
extern Functions Api;

// Loads every entry point for the current context; false (with the first
// missing name) when one is missing.
bool LoadFunctions(std::string& missing);

// What the current context offers; empty text when it cannot serve.
struct ContextFacts {
    std::string renderer, vendor, version;
    int major = 0, minor = 0;
    int maxTextureSize = 0;
    float maxAnisotropy = 1.0f;
    bool compressedDxt = false;
    bool anisotropic = false;
    std::string unusable; // why the context cannot serve the device, empty when it can
};
ContextFacts ReadContextFacts();

// Sets the GL attributes a device window needs (compatibility profile,
// double buffered, no depth in the window: drawing goes to framebuffer
// objects). Call before making a window that a device will draw into.
void SetWindowAttributes();

// ---------------------------------------------------------------------------
// Formats.

struct TextureFormat {
    GLenum internalFormat = 0;
    GLenum format = 0, type = 0;  // upload and read-back layout of the device format
    bool compressed = false;
    bool alphaOne = false;        // sampled alpha is 1 (X formats)
};
// The GL layout of a device colour format; internalFormat 0 when not offered.
TextureFormat TextureFormatOf(uint32_t format);
// The GL renderbuffer format of a device depth format; 0 when not offered.
GLenum DepthFormatOf(uint32_t format);

// ---------------------------------------------------------------------------
// The context: one per device, shared by the device and every object it
// made, so that objects outliving the device can still free their GL names.

struct Context {
    SDL_Window* window = nullptr;
    bool ownsWindow = false;
    void* glContext = nullptr;    // SDL_GLContext
    ContextFacts facts;
    GLuint readFramebuffer = 0;   // for read-backs and uploads of render targets
    int liveDefaultPool = 0;      // default-pool resources the caller holds
    bool deviceAlive = false;
    ~Context();
};
using ContextPtr = std::shared_ptr<Context>;

// Makes the context current (a no-op when it already is).
void MakeCurrent(const Context& context);

// ---------------------------------------------------------------------------
// Objects.

template <class Interface>
using Counted = GfxCounted<Interface>;

// Holds the context and counts a default-pool resource the caller made,
// which a Reset refuses to run past.
class ContextToken {
public:
    ContextToken(ContextPtr context, bool countsAsDefault);
    ~ContextToken();
    ContextToken(const ContextToken&) = delete;
    ContextToken& operator=(const ContextToken&) = delete;
    Context& Get() const { return *context; }
    const ContextPtr& Shared() const { return context; }

private:
    ContextPtr context;
    bool counted;
};

// The pixels of a colour texture or colour surface: a GL texture and, per
// level, the bytes a lock hands out (kept after the first lock; read back
// from GL first when the image is a render target).
class Image {
public:
    Image(const ContextPtr& context, uint32_t width, uint32_t height, uint32_t levels, uint32_t format,
          bool renderTarget);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    bool Valid() const { return texture != 0; }
    GfxResult Lock(uint32_t level, GfxLockedRect& locked, const GfxRect* area, uint32_t flags);
    GfxResult Unlock(uint32_t level);
    uint32_t LevelWidth(uint32_t level) const { return levels[level].width; }
    uint32_t LevelHeight(uint32_t level) const { return levels[level].height; }
    uint32_t LevelCount() const { return static_cast<uint32_t>(levels.size()); }

    ContextPtr context;
    GLuint texture = 0;
    uint32_t format = FmtUnknown;
    bool renderTarget = false;

private:
    struct Level {
        uint32_t width = 0, height = 0;
        std::vector<uint8_t> bytes;
        bool locked = false, readOnly = false;
    };
    void ReadBack(uint32_t level);
    void Upload(uint32_t level);
    std::vector<Level> levels;
};

class GlTexture;

// A colour surface (back buffer, render target or texture level) or a
// depth surface.
class GlSurface : public GfxSurface {
public:
    // A colour surface with its own image.
    GlSurface(const ContextPtr& context, uint32_t width, uint32_t height, uint32_t format, uint32_t usage,
              bool countsAsDefault);
    // A depth surface.
    GlSurface(const ContextPtr& context, uint32_t width, uint32_t height, uint32_t format, bool countsAsDefault);
    // A level of a texture (shares the texture's count).
    GlSurface(GlTexture* owner, Image* image, uint32_t level, const GfxSurfaceDesc& desc);
    ~GlSurface() override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    GfxResult GetDesc(GfxSurfaceDesc& out) override
    {
        out = desc;
        return GfxResult::Ok;
    }
    GfxResult LockRect(GfxLockedRect& locked, const GfxRect* area, uint32_t flags) override;
    GfxResult UnlockRect() override;
    bool Valid() const { return image ? image->Valid() : renderbuffer != 0; }
    uint32_t RefCount() const { return refs; }

    GfxSurfaceDesc desc;
    Image* image = nullptr;   // colour surfaces
    uint32_t level = 0;
    GLuint renderbuffer = 0;  // depth surfaces

private:
    std::unique_ptr<ContextToken> token;
    std::unique_ptr<Image> ownImage;
    GlTexture* owner = nullptr;
    uint32_t refs = 1;
};

class GlTexture : public Counted<GfxTexture> {
public:
    GlTexture(const ContextPtr& context, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
              uint32_t format, uint32_t pool);
    uint32_t GetLevelCount() override { return image.LevelCount(); }
    GfxResult GetLevelDesc(uint32_t level, GfxSurfaceDesc& desc) override;
    GfxResult GetSurfaceLevel(uint32_t level, GfxSurface** surface) override;
    GfxResult LockRect(uint32_t level, GfxLockedRect& locked, const GfxRect* area, uint32_t flags) override;
    GfxResult UnlockRect(uint32_t level) override;
    bool Valid() const { return image.Valid(); }

    ContextToken token;
    Image image;
    uint32_t usage, format, pool;

private:
    std::vector<std::unique_ptr<GlSurface>> surfaces;
};

// A vertex or index buffer: a GL buffer and the bytes a lock hands out,
// sent to GL when the last lock ends.
template <class Interface>
class GlBuffer : public Counted<Interface> {
public:
    GlBuffer(const ContextPtr& context, uint32_t length, uint32_t usage, uint32_t formatOrFvf, uint32_t pool,
             bool isIndex);
    ~GlBuffer() override;
    GfxResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override;
    GfxResult Unlock() override;
    GfxResult GetDesc(GfxBufferDesc& out) override
    {
        out = desc;
        return GfxResult::Ok;
    }

    ContextToken token;
    GLuint buffer = 0;
    GfxBufferDesc desc;
    int lockCount = 0;

private:
    std::vector<uint8_t> bytes;
    uint32_t dirtyBegin = 0, dirtyEnd = 0;
    uint32_t lockFlags = 0;
};
using GlVertexBuffer = GlBuffer<GfxVertexBuffer>;
using GlIndexBuffer = GlBuffer<GfxIndexBuffer>;

// The texture unit uploads bind to, out of the stages' way.
constexpr GLenum UploadUnit = GL_TEXTURE0 + 15;

// What the system found the context can do, for the device's checks.
struct AdapterFacts {
    GfxCaps caps;
    std::vector<uint32_t> depthFormats;        // usable depth-stencil formats
    std::vector<uint32_t> renderTargetFormats; // colour formats that can be drawn into
};

// Makes the device over a context whose GL context is current.
GfxDevice* CreateDevice(const ContextPtr& context, const AdapterFacts& adapter, GfxPresentParams& params);

// Applies the present parameters' size, full-screen state and swap interval
// to the device's window.
void ApplyWindowMode(Context& context, const GfxPresentParams& params);

// ---------------------------------------------------------------------------
// Program generation.

// Environment parameters: c0..c95 of the vertex shaders, then what the
// fixed-function vertex programs read.
constexpr int EnvWorldViewProjection = 96; // 4 rows: columns of world x view x projection
constexpr int EnvWorldViewZ = 100;         // column 2 of world x view (eye depth)
constexpr int EnvFog = 101;                // (-1 / (end - start), end / (end - start), 0, 0)
constexpr int EnvScreenScale = 102;        // pre-transformed: pixels to normalised scale
constexpr int EnvScreenOffset = 103;       // and offset
constexpr int EnvVertexCount = 104;

// Fragment program environment parameters.
constexpr int EnvTextureFactor = 0;
constexpr int EnvFogColour = 1;
constexpr int EnvAlphaRef = 2;             // x: reference 0..255

// Input registers the fixed-function vertex programs read, as the
// declaration of an FVF code places them.
constexpr int AttribPosition = 0;
constexpr int AttribDiffuse = 5;
constexpr int AttribSpecular = 6;
constexpr int AttribTexCoord0 = 8;

// A fixed-function vertex program for an FVF code; fogLinear computes the
// linear fog factor from the eye depth.
std::string FixedVertexProgram(uint32_t fvf, bool fogLinear);

// One texture stage as the fragment program sees it.
struct StageKey {
    uint8_t colourOp = 0, colourArg1 = 0, colourArg2 = 0;
    uint8_t alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
    uint8_t texCoord = 0;
    uint8_t hasTexture = 0;
};
struct PixelKey {
    StageKey stages[GfxStageCount];
    uint8_t stageCount = 0;   // stages before the first disabled one
    uint8_t alphaFunc = 0;    // 0: no alpha test, else GfxCmp
    uint8_t fog = 0;
    uint8_t specular = 0;
    std::string Bytes() const;
};
std::string FragmentProgram(const PixelKey& key);

// Translates a vs.1.1 program whose inputs are the given registers (bit n:
// vn supplied). capture >= 0 makes the program a read-back one for pass
// `capture`: it places each vertex at the clip position in input register
// captureInput and passes output groups capture x 8 onwards (see
// CaptureGroup) in texture coordinates 0 to 7.
enum CaptureGroup : int {
    CapturePosition = 0, CaptureColour0 = 1, CaptureColour1 = 2, CaptureTexCoord0 = 3,
    CaptureFog = 11, CaptureGroupCount = 12,
};
constexpr int CaptureGroupsPerPass = 8;
constexpr int CapturePassCount = (CaptureGroupCount + CaptureGroupsPerPass - 1) / CaptureGroupsPerPass;
std::string TranslateVertexShader(const vs11::Program& program, uint32_t inputsSupplied, int capture = -1,
                                  int captureInput = 0);

// Compiles program text for target; 0 with the GL error text in error.
GLuint CompileProgram(GLenum target, const std::string& text, std::string& error);

} // namespace platform::gl

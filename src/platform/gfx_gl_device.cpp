// The OpenGL device: states kept as the device holds them and sent to GL as
// they change, drawing through generated vertex and fragment programs into
// framebuffer objects whose row 0 is the top of the picture, and present
// by one turned-over copy to the window.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <unordered_map>

#include "platform/gfx_gl_local.h"
#include "platform/gfx_util.h"

namespace platform::gl {

namespace {

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

float FloatOf(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

GLenum CompareFunction(uint32_t cmp)
{
    switch (cmp) {
    case CmpNever: return GL_NEVER;
    case CmpLess: return GL_LESS;
    case CmpEqual: return GL_EQUAL;
    case CmpLessEqual: return GL_LEQUAL;
    case CmpGreater: return GL_GREATER;
    case CmpNotEqual: return GL_NOTEQUAL;
    case CmpGreaterEqual: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLenum BlendFactor(uint32_t blend)
{
    switch (blend) {
    case BlendZero: return GL_ZERO;
    case BlendOne: return GL_ONE;
    case BlendSrcColour: return GL_SRC_COLOR;
    case BlendInvSrcColour: return GL_ONE_MINUS_SRC_COLOR;
    case BlendSrcAlpha: return GL_SRC_ALPHA;
    case BlendInvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case BlendDestAlpha: return GL_DST_ALPHA;
    case BlendInvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case BlendDestColour: return GL_DST_COLOR;
    case BlendInvDestColour: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
    }
}

GLenum AddressMode(uint32_t address)
{
    switch (address) {
    case AddressMirror: return GL_MIRRORED_REPEAT;
    case AddressClamp: return GL_CLAMP_TO_EDGE;
    case AddressBorder: return GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
    }
}

void ArgbToFloats(uint32_t argb, float out[4])
{
    out[0] = static_cast<float>((argb >> 16) & 255) / 255.0f;
    out[1] = static_cast<float>((argb >> 8) & 255) / 255.0f;
    out[2] = static_cast<float>(argb & 255) / 255.0f;
    out[3] = static_cast<float>(argb >> 24) / 255.0f;
}

struct ShaderRecord {
    GLuint program = 0;
    vs11::Program code;
    std::vector<GfxVertexElement> declaration;
    uint32_t inputs = 0; // bit n: vn is in the declaration
};

// The targets a shader's outputs are captured in: float textures one pixel
// per vertex, one for each output group of a pass, on a framebuffer of
// their own.
struct CaptureTargets {
    GLuint textures[CaptureGroupsPerPass] = {};
    GLenum attachments[CaptureGroupsPerPass] = {};
    GLuint framebuffer = 0;
};

// The input register that carries each vertex's place on the capture
// targets: the highest one the shader's declaration leaves free.
int CaptureInputRegister(const ShaderRecord& shader)
{
    int captureInput = vs11::InputCount - 1;
    while (captureInput > 0 && (shader.inputs & (1u << captureInput)))
        --captureInput;
    return captureInput;
}

// Bytes from one vertex to the next in a stream of the declaration.
uint32_t DeclarationStride(const std::vector<GfxVertexElement>& declaration)
{
    uint32_t stride = 0;
    for (const GfxVertexElement& element : declaration)
        stride += GfxElementSize(element.type);
    return stride;
}

// Makes the capture targets for `count` vertices and points drawing at
// them, over their whole row, with the full depth range.
CaptureTargets CaptureTargetsOpen(uint32_t count)
{
    CaptureTargets targets;
    Api.GenTextures(CaptureGroupsPerPass, targets.textures);
    Api.GenFramebuffers(1, &targets.framebuffer);
    Api.BindFramebuffer(GL_DRAW_FRAMEBUFFER, targets.framebuffer);
    Api.BindFramebuffer(GL_READ_FRAMEBUFFER, targets.framebuffer);
    Api.ActiveTexture(UploadUnit);
    for (int i = 0; i < CaptureGroupsPerPass; ++i) {
        Api.BindTexture(GL_TEXTURE_2D, targets.textures[i]);
        Api.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, static_cast<GLsizei>(count), 1, 0, GL_RGBA, GL_FLOAT, nullptr);
        targets.attachments[i] = GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(i);
        Api.FramebufferTexture2D(GL_DRAW_FRAMEBUFFER, targets.attachments[i], GL_TEXTURE_2D, targets.textures[i], 0);
    }
    Api.DrawBuffers(CaptureGroupsPerPass, targets.attachments);
    Api.Viewport(0, 0, static_cast<GLsizei>(count), 1);
    Api.DepthRange(0.0, 1.0);
    return targets;
}

void CaptureTargetsClose(CaptureTargets& targets)
{
    Api.DeleteFramebuffers(1, &targets.framebuffer);
    Api.DeleteTextures(CaptureGroupsPerPass, targets.textures);
    targets = CaptureTargets{};
}

// The clip-space places of `count` vertices, vertex i at the centre of
// pixel i of the capture targets, four floats each.
std::vector<float> CapturePlaces(uint32_t count)
{
    std::vector<float> places(static_cast<size_t>(count) * 4);
    for (uint32_t i = 0; i < count; ++i) {
        places[i * 4] = (static_cast<float>(i) + 0.5f) / static_cast<float>(count) * 2.0f - 1.0f;
        places[i * 4 + 1] = 0.0f;
        places[i * 4 + 2] = 0.0f;
        places[i * 4 + 3] = 1.0f;
    }
    return places;
}

// The fragment program of the capture: each texture coordinate set, which
// holds one output group, to the target of the same number; 0 when GL
// refuses it.
GLuint CaptureCompilePassThrough()
{
    std::string text = "!!ARBfp1.0\nOPTION ARB_draw_buffers;\n";
    for (int i = 0; i < CaptureGroupsPerPass; ++i)
        text += "MOV result.color[" + std::to_string(i) + "], fragment.texcoord[" + std::to_string(i) + "];\n";
    text += "END\n";
    std::string error;
    GLuint passThrough = CompileProgram(GL_FRAGMENT_PROGRAM_ARB, text, error);
    if (!passThrough)
        std::fprintf(stderr, "CaptureShader : fragment program refused : %s\n", error.c_str());
    return passThrough;
}

// Puts one captured value into the output that its group names.
void CaptureStoreGroup(int group, const vs11::Vec4& value, vs11::VertexOutputs& out)
{
    if (group == CapturePosition)
        out.position = value;
    else if (group == CaptureColour0)
        out.colour[0] = value;
    else if (group == CaptureColour1)
        out.colour[1] = value;
    else if (group == CaptureFog)
        out.fog = value.x;
    else
        out.texCoord[group - CaptureTexCoord0] = value;
}

// Reads back the output groups that a pass wrote into the targets.
void CaptureReadPass(int pass, const CaptureTargets& targets, uint32_t count,
                     std::vector<vs11::VertexOutputs>& outputs)
{
    std::vector<float> pixels(static_cast<size_t>(count) * 4);
    for (int slot = 0; slot < CaptureGroupsPerPass; ++slot) {
        int group = pass * CaptureGroupsPerPass + slot;
        if (group >= CaptureGroupCount)
            break;
        Api.ReadBuffer(targets.attachments[slot]);
        Api.ReadPixels(0, 0, static_cast<GLsizei>(count), 1, GL_RGBA, GL_FLOAT, pixels.data());
        for (uint32_t i = 0; i < count; ++i) {
            vs11::Vec4 value{pixels[i * 4], pixels[i * 4 + 1], pixels[i * 4 + 2], pixels[i * 4 + 3]};
            CaptureStoreGroup(group, value, outputs[i]);
        }
    }
}

// Draws the bound vertices as points once per pass, with blending, depth,
// culling and wireframe off, each pass writing its share of the output
// groups, and reads every group back into outputs (one a vertex). False
// when GL refuses a program.
bool CaptureRunPasses(const ShaderRecord& shader, uint32_t count, int captureInput, const CaptureTargets& targets,
                      std::vector<vs11::VertexOutputs>& outputs)
{
    GLuint passThrough = CaptureCompilePassThrough();
    Api.Disable(GL_BLEND);
    Api.Disable(GL_DEPTH_TEST);
    Api.Disable(GL_CULL_FACE);
    Api.PolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    outputs.assign(count, vs11::VertexOutputs{});
    bool ok = passThrough != 0;
    for (int pass = 0; ok && pass < CapturePassCount; ++pass) {
        std::string error;
        GLuint program =
            CompileProgram(GL_VERTEX_PROGRAM_ARB, TranslateVertexShader(shader.code, shader.inputs, pass, captureInput),
                           error);
        if (!program) {
            std::fprintf(stderr, "CaptureShader : vertex program refused : %s\n", error.c_str());
            ok = false;
            break;
        }
        Api.BindProgramARB(GL_FRAGMENT_PROGRAM_ARB, passThrough);
        Api.DrawArrays(GL_POINTS, 0, static_cast<GLsizei>(count));
        Api.DeleteProgramsARB(1, &program);
        CaptureReadPass(pass, targets, count, outputs);
    }
    if (passThrough)
        Api.DeleteProgramsARB(1, &passThrough);
    return ok;
}

} // namespace

class GlDevice : public Counted<GfxDevice> {
public:
    GlDevice(const ContextPtr& shared, const AdapterFacts& adapterFacts, const GfxPresentParams& presentParams)
        : context(shared), adapter(adapterFacts)
    {
        context->deviceAlive = true;
        Api.GenFramebuffers(1, &drawFramebuffer);
        Api.GenFramebuffers(1, &presentFramebuffer);
        Api.GenFramebuffers(1, &context->readFramebuffer);
        Api.GenVertexArrays(1, &vertexArray);
        Api.BindVertexArray(vertexArray);
        Api.GenSamplers(GfxStageCount, samplers);
        for (uint32_t stage = 0; stage < GfxStageCount; ++stage)
            Api.BindSampler(stage, samplers[stage]);
        Api.PixelStorei(GL_PACK_ALIGNMENT, 1);
        Api.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
        Api.Enable(GL_VERTEX_PROGRAM_ARB);
        Api.Enable(GL_FRAGMENT_PROGRAM_ARB);
        // Targets hold the picture top row first, so GL's counter-clockwise
        // (y up) is clockwise as the picture is seen.
        Api.FrontFace(GL_CCW);
        Api.BindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFramebuffer);
        MakeDefaults(presentParams);
    }

    ~GlDevice() override
    {
        MakeCurrent(*context);
        for (auto& texture : textures)
            texture.Set(nullptr);
        stream.Set(nullptr);
        indices.Set(nullptr);
        renderTarget.Set(nullptr);
        depth.Set(nullptr);
        ReleaseOwnSurfaces();
        for (auto& entry : shaders)
            Api.DeleteProgramsARB(1, &entry.second.program);
        for (auto& entry : fixedPrograms)
            Api.DeleteProgramsARB(1, &entry.second);
        for (auto& entry : pixelPrograms)
            Api.DeleteProgramsARB(1, &entry.second);
        Api.DeleteSamplers(GfxStageCount, samplers);
        Api.DeleteVertexArrays(1, &vertexArray);
        Api.BindFramebuffer(GL_FRAMEBUFFER, 0);
        Api.DeleteFramebuffers(1, &drawFramebuffer);
        Api.DeleteFramebuffers(1, &presentFramebuffer);
        context->deviceAlive = false;
    }

    // -----------------------------------------------------------------------
    // Life and frame.

    GfxResult TestCooperativeLevel() override { return GfxResult::Ok; }

    GfxResult Reset(GfxPresentParams& presentParams) override
    {
        uint32_t backRefs = backBuffer->RefCount() - 1 - (renderTarget.Get() == backBuffer ? 1 : 0);
        uint32_t depthRefs = autoDepth ? autoDepth->RefCount() - 1 - (depth.Get() == autoDepth ? 1 : 0) : 0;
        if (backRefs || depthRefs || context->liveDefaultPool > 0 || inScene)
            return GfxResult::InvalidCall;
        MakeCurrent(*context);
        for (auto& texture : textures)
            texture.Set(nullptr);
        stream.Set(nullptr);
        indices.Set(nullptr);
        renderTarget.Set(nullptr);
        depth.Set(nullptr);
        ReleaseOwnSurfaces();
        if (presentParams.backBufferFormat == FmtUnknown)
            presentParams.backBufferFormat = params.backBufferFormat;
        MakeDefaults(presentParams);
        return backBuffer->Valid() ? GfxResult::Ok : GfxResult::OutOfVideoMemory;
    }

    GfxResult Present() override
    {
        if (inScene)
            return GfxResult::InvalidCall;
        MakeCurrent(*context);
        int width = 0, height = 0;
        SDL_GL_GetDrawableSize(context->window, &width, &height);
        GfxSurfaceDesc desc = backBuffer->desc;
        Api.BindFramebuffer(GL_READ_FRAMEBUFFER, presentFramebuffer);
        Api.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                 backBuffer->image->texture, 0);
        Api.ReadBuffer(GL_COLOR_ATTACHMENT0);
        Api.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        Api.DrawBuffer(GL_BACK);
        bool sameSize = width == static_cast<int>(desc.width) && height == static_cast<int>(desc.height);
        // Row 0 of the back buffer is the top: the window's row 0 is its bottom.
        Api.BlitFramebuffer(0, 0, static_cast<GLint>(desc.width), static_cast<GLint>(desc.height), 0, height, width, 0,
                            GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
        SDL_GL_SwapWindow(context->window);
        Api.BindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFramebuffer);
        return GfxResult::Ok;
    }

    GfxResult BeginScene() override
    {
        if (inScene)
            return GfxResult::InvalidCall;
        inScene = true;
        return GfxResult::Ok;
    }

    GfxResult EndScene() override
    {
        if (!inScene)
            return GfxResult::InvalidCall;
        inScene = false;
        return GfxResult::Ok;
    }

    GfxResult Clear(uint32_t rectCount, const GfxRect* rects, uint32_t flags, uint32_t colour, float z,
                    uint32_t stencil) override
    {
        MakeCurrent(*context);
        GLbitfield mask = 0;
        if (flags & ClearTarget)
            mask |= GL_COLOR_BUFFER_BIT;
        GfxSurface* depthSurface = depth.Get();
        if ((flags & ClearZBuffer) && depthSurface)
            mask |= GL_DEPTH_BUFFER_BIT;
        if ((flags & ClearStencil) && depthSurface && HasStencil(depthSurface))
            mask |= GL_STENCIL_BUFFER_BIT;
        if (!mask)
            return GfxResult::Ok;
        float rgba[4];
        ArgbToFloats(colour, rgba);
        Api.ClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
        Api.ClearDepth(z);
        Api.DepthMask(GL_TRUE);
        Api.Enable(GL_SCISSOR_TEST);
        (void)stencil;
        GfxRect whole{static_cast<int32_t>(viewport.x), static_cast<int32_t>(viewport.y),
                      static_cast<int32_t>(viewport.x + viewport.width),
                      static_cast<int32_t>(viewport.y + viewport.height)};
        uint32_t count = rects ? rectCount : 1;
        for (uint32_t i = 0; i < count; ++i) {
            GfxRect r = rects ? rects[i] : whole;
            int32_t left = std::max(r.left, whole.left), top = std::max(r.top, whole.top);
            int32_t right = std::min(r.right, whole.right), bottom = std::min(r.bottom, whole.bottom);
            if (right <= left || bottom <= top)
                continue;
            Api.Scissor(left, top, right - left, bottom - top);
            Api.Clear(mask);
        }
        Api.Disable(GL_SCISSOR_TEST);
        Api.DepthMask(renderStates[RsZWriteEnable] ? GL_TRUE : GL_FALSE);
        return GfxResult::Ok;
    }

    GfxResult GetDeviceCaps(GfxCaps& out) override
    {
        out = adapter.caps;
        return GfxResult::Ok;
    }

    // -----------------------------------------------------------------------
    // Surfaces and render targets.

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
        auto* target = colour ? dynamic_cast<GlSurface*>(colour) : renderTarget.Get();
        auto* newDepth = depthSurface ? dynamic_cast<GlSurface*>(depthSurface) : nullptr;
        if (!target || !target->image || (depthSurface && (!newDepth || !newDepth->renderbuffer)))
            return GfxResult::InvalidCall;
        if (newDepth && (newDepth->desc.width < target->desc.width || newDepth->desc.height < target->desc.height))
            return GfxResult::InvalidCall;
        if (colour && (target->desc.usage & UsageRenderTarget) == 0)
            return GfxResult::InvalidCall;
        renderTarget.Set(target);
        depth.Set(newDepth);
        AttachTargets();
        SetViewport(GfxViewport{0, 0, target->desc.width, target->desc.height, 0.0f, 1.0f});
        return GfxResult::Ok;
    }

    GfxResult CreateDepthStencilSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample,
                                        GfxSurface** surface) override
    {
        if (!surface || width == 0 || height == 0 || !GfxFormatIsDepth(format) || multiSample != MultiSampleNone)
            return GfxResult::InvalidCall;
        MakeCurrent(*context);
        auto* made = new GlSurface(context, width, height, format, true);
        if (!made->Valid()) {
            made->Release();
            return GfxResult::InvalidCall;
        }
        *surface = made;
        return GfxResult::Ok;
    }

    GfxResult CreateRenderTarget(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample, bool,
                                 GfxSurface** surface) override
    {
        if (!surface || width == 0 || height == 0 || GfxFormatIsDepth(format) || multiSample != MultiSampleNone ||
            !Contains(adapter.renderTargetFormats, format))
            return GfxResult::InvalidCall;
        MakeCurrent(*context);
        auto* made = new GlSurface(context, width, height, format, UsageRenderTarget, true);
        if (!made->Valid()) {
            made->Release();
            return GfxResult::InvalidCall;
        }
        *surface = made;
        return GfxResult::Ok;
    }

    // -----------------------------------------------------------------------
    // Resources.

    GfxResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                            uint32_t pool, GfxTexture** texture) override
    {
        bool renderTargetOk = (usage & UsageRenderTarget) == 0 ||
                              (pool == PoolDefault && Contains(adapter.renderTargetFormats, format));
        if (!texture || width == 0 || height == 0 || !renderTargetOk || width > adapter.caps.maxTextureWidth ||
            height > adapter.caps.maxTextureHeight || GfxFormatIsDepth(format))
            return GfxResult::InvalidCall;
        uint32_t full = 1;
        for (uint32_t side = std::max(width, height); side > 1; side /= 2)
            ++full;
        if (levels == 0 || levels > full)
            levels = full;
        MakeCurrent(*context);
        auto* made = new GlTexture(context, width, height, levels, usage, format, pool);
        if (!made->Valid()) {
            made->Release();
            return GfxResult::InvalidCall;
        }
        *texture = made;
        return GfxResult::Ok;
    }

    GfxResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool,
                                 GfxVertexBuffer** buffer) override
    {
        if (!buffer || length == 0)
            return GfxResult::InvalidCall;
        *buffer = new GlVertexBuffer(context, length, usage, fvf, pool, false);
        return GfxResult::Ok;
    }

    GfxResult CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                                GfxIndexBuffer** buffer) override
    {
        if (!buffer || length == 0 || (format != FmtIndex16 && format != FmtIndex32))
            return GfxResult::InvalidCall;
        *buffer = new GlIndexBuffer(context, length, usage, format, pool, true);
        return GfxResult::Ok;
    }

    // -----------------------------------------------------------------------
    // Transforms and viewport.

    GfxResult SetTransform(uint32_t which, const GfxMatrix& matrix) override
    {
        switch (which) {
        case TransformWorld: world = matrix; break;
        case TransformView: view = matrix; break;
        case TransformProjection: projection = matrix; break;
        default:
            if (which < TransformTexture0 || which >= TransformTexture0 + GfxStageCount)
                return GfxResult::InvalidCall;
            return GfxResult::Ok;
        }
        transformsDirty = true;
        return GfxResult::Ok;
    }

    GfxResult GetTransform(uint32_t which, GfxMatrix& matrix) override
    {
        switch (which) {
        case TransformWorld: matrix = world; return GfxResult::Ok;
        case TransformView: matrix = view; return GfxResult::Ok;
        case TransformProjection: matrix = projection; return GfxResult::Ok;
        default: return GfxResult::InvalidCall;
        }
    }

    GfxResult SetViewport(const GfxViewport& wanted) override
    {
        const GfxSurfaceDesc& desc = renderTarget.Get()->desc;
        if (wanted.width == 0 || wanted.height == 0 || wanted.x + wanted.width > desc.width ||
            wanted.y + wanted.height > desc.height)
            return GfxResult::InvalidCall;
        viewport = wanted;
        MakeCurrent(*context);
        // GL's window rows count from row 0 of the target as the device's do.
        Api.Viewport(static_cast<GLint>(viewport.x), static_cast<GLint>(viewport.y),
                     static_cast<GLsizei>(viewport.width), static_cast<GLsizei>(viewport.height));
        Api.DepthRange(viewport.minZ, viewport.maxZ);
        float w = static_cast<float>(viewport.width), h = static_cast<float>(viewport.height);
        float depthSpan = viewport.maxZ - viewport.minZ;
        float zScale = depthSpan != 0.0f ? 2.0f / depthSpan : 0.0f;
        float zOffset = depthSpan != 0.0f ? -2.0f * viewport.minZ / depthSpan - 1.0f : -1.0f;
        float scale[4] = {2.0f / w, 2.0f / h, zScale, 0.0f};
        // Pixel centres at integers become GL's centres at half-integers.
        float offset[4] = {(0.5f - static_cast<float>(viewport.x)) * 2.0f / w - 1.0f,
                           (0.5f - static_cast<float>(viewport.y)) * 2.0f / h - 1.0f, zOffset, 0.0f};
        Api.ProgramEnvParameter4fvARB(GL_VERTEX_PROGRAM_ARB, EnvScreenScale, scale);
        Api.ProgramEnvParameter4fvARB(GL_VERTEX_PROGRAM_ARB, EnvScreenOffset, offset);
        return GfxResult::Ok;
    }

    GfxResult GetViewport(GfxViewport& out) override
    {
        out = viewport;
        return GfxResult::Ok;
    }

    // -----------------------------------------------------------------------
    // States.

    GfxResult SetRenderState(uint32_t state, uint32_t value) override
    {
        if (state >= GfxRenderStateCount)
            return GfxResult::InvalidCall;
        if (renderStates[state] == value)
            return GfxResult::Ok;
        renderStates[state] = value;
        MakeCurrent(*context);
        ApplyRenderState(state);
        return GfxResult::Ok;
    }

    GfxResult GetRenderState(uint32_t state, uint32_t& value) override
    {
        if (state >= GfxRenderStateCount)
            return GfxResult::InvalidCall;
        value = renderStates[state];
        return GfxResult::Ok;
    }

    GfxResult SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) override
    {
        if (stage >= GfxStageCount || type >= GfxStageStateCount)
            return GfxResult::InvalidCall;
        if (stageStates[stage][type] == value)
            return GfxResult::Ok;
        stageStates[stage][type] = value;
        MakeCurrent(*context);
        ApplyStageState(stage, type);
        return GfxResult::Ok;
    }

    GfxResult GetTextureStageState(uint32_t stage, uint32_t type, uint32_t& value) override
    {
        if (stage >= GfxStageCount || type >= GfxStageStateCount)
            return GfxResult::InvalidCall;
        value = stageStates[stage][type];
        return GfxResult::Ok;
    }

    GfxResult SetTexture(uint32_t stage, GfxTexture* texture) override
    {
        if (stage >= GfxStageCount)
            return GfxResult::InvalidCall;
        auto* glTexture = texture ? dynamic_cast<GlTexture*>(texture) : nullptr;
        if (texture && !glTexture)
            return GfxResult::InvalidCall;
        if (glTexture == textures[stage].Get())
            return GfxResult::Ok;
        textures[stage].Set(glTexture);
        MakeCurrent(*context);
        Api.ActiveTexture(GL_TEXTURE0 + stage);
        Api.BindTexture(GL_TEXTURE_2D, glTexture ? glTexture->image.texture : 0);
        pixelDirty = true;
        return GfxResult::Ok;
    }

    // -----------------------------------------------------------------------
    // Geometry.

    GfxResult SetStreamSource(uint32_t streamNumber, GfxVertexBuffer* buffer, uint32_t stride) override
    {
        if (streamNumber != 0)
            return GfxResult::InvalidCall;
        auto* glBuffer = buffer ? dynamic_cast<GlVertexBuffer*>(buffer) : nullptr;
        if (buffer && !glBuffer)
            return GfxResult::InvalidCall;
        if (glBuffer != stream.Get() || stride != streamStride)
            attribsDirty = true;
        stream.Set(glBuffer);
        streamStride = stride;
        return GfxResult::Ok;
    }

    GfxResult SetIndices(GfxIndexBuffer* buffer, uint32_t baseVertexIndex) override
    {
        auto* glBuffer = buffer ? dynamic_cast<GlIndexBuffer*>(buffer) : nullptr;
        if (buffer && !glBuffer)
            return GfxResult::InvalidCall;
        if (baseVertexIndex != baseVertex)
            attribsDirty = true;
        indices.Set(glBuffer);
        baseVertex = baseVertexIndex;
        return GfxResult::Ok;
    }

    GfxResult DrawIndexedPrimitive(uint32_t type, uint32_t minIndex, uint32_t numVertices, uint32_t startIndex,
                                   uint32_t primitiveCount) override
    {
        GlVertexBuffer* vertices = stream.Get();
        GlIndexBuffer* indexBuffer = indices.Get();
        if (!vertices || !indexBuffer || vertexShader == 0 || numVertices == 0 || primitiveCount == 0)
            return GfxResult::InvalidCall;
        GLenum mode;
        uint32_t indexCount;
        switch (type) {
        case PrimTriangleList: mode = GL_TRIANGLES; indexCount = primitiveCount * 3; break;
        case PrimTriangleStrip: mode = GL_TRIANGLE_STRIP; indexCount = primitiveCount + 2; break;
        case PrimTriangleFan: mode = GL_TRIANGLE_FAN; indexCount = primitiveCount + 2; break;
        case PrimLineList: mode = GL_LINES; indexCount = primitiveCount * 2; break;
        case PrimLineStrip: mode = GL_LINE_STRIP; indexCount = primitiveCount + 1; break;
        case PrimPointList: mode = GL_POINTS; indexCount = primitiveCount; break;
        default: return GfxResult::InvalidCall;
        }
        uint32_t indexSize = indexBuffer->desc.format == FmtIndex32 ? 4 : 2;
        if (static_cast<uint64_t>(startIndex + indexCount) * indexSize > indexBuffer->desc.size)
            return GfxResult::InvalidCall;
        MakeCurrent(*context);
        if (!PrepareDraw())
            return GfxResult::InvalidCall;
        if (boundIndexBuffer != indexBuffer->buffer) {
            Api.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer->buffer);
            boundIndexBuffer = indexBuffer->buffer;
        }
        Api.DrawRangeElements(mode, minIndex, minIndex + numVertices - 1, static_cast<GLsizei>(indexCount),
                              indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                              reinterpret_cast<const void*>(static_cast<uintptr_t>(startIndex) * indexSize));
        return GfxResult::Ok;
    }

    // -----------------------------------------------------------------------
    // Vertex shaders.

    GfxResult CreateVertexShader(const GfxVertexElement* declaration, uint32_t elementCount,
                                 const vs11::Program& program, uint32_t* handle, uint32_t) override
    {
        if (!handle || (elementCount && !declaration) || program.code.empty())
            return GfxResult::InvalidCall;
        ShaderRecord record;
        for (uint32_t i = 0; i < elementCount; ++i) {
            if (declaration[i].stream != 0 || declaration[i].inputRegister >= vs11::InputCount)
                return GfxResult::InvalidCall;
            record.declaration.push_back(declaration[i]);
            record.inputs |= 1u << declaration[i].inputRegister;
        }
        record.code = program;
        MakeCurrent(*context);
        std::string error;
        record.program = CompileProgram(GL_VERTEX_PROGRAM_ARB, TranslateVertexShader(program, record.inputs), error);
        boundVertexProgram = 0;
        if (!record.program) {
            std::fprintf(stderr, "CreateVertexShader : vertex program refused : %s\n", error.c_str());
            return GfxResult::InvalidCall;
        }
        uint32_t made = nextShader * 2 + 1;
        ++nextShader;
        shaders.emplace(made, std::move(record));
        *handle = made;
        return GfxResult::Ok;
    }

    GfxResult SetVertexShader(uint32_t handleOrFvf) override
    {
        bool known = GfxIsShaderHandle(handleOrFvf) ? shaders.count(handleOrFvf) > 0 : GfxFvfStride(handleOrFvf) > 0;
        if (!known)
            return GfxResult::InvalidCall;
        if (handleOrFvf != vertexShader) {
            vertexShader = handleOrFvf;
            attribsDirty = true;
        }
        return GfxResult::Ok;
    }

    GfxResult DeleteVertexShader(uint32_t handle) override
    {
        auto found = shaders.find(handle);
        if (found == shaders.end())
            return GfxResult::InvalidCall;
        MakeCurrent(*context);
        if (boundVertexProgram == found->second.program)
            boundVertexProgram = 0;
        Api.DeleteProgramsARB(1, &found->second.program);
        shaders.erase(found);
        if (vertexShader == handle)
            vertexShader = 0;
        return GfxResult::Ok;
    }

    GfxResult SetVertexShaderConstant(uint32_t firstRegister, const float* values, uint32_t count) override
    {
        if (!values || firstRegister + count > vs11::ConstantCount)
            return GfxResult::InvalidCall;
        if (count == 0)
            return GfxResult::Ok;
        std::memcpy(&constants[firstRegister][0], values, sizeof(float) * 4 * count);
        MakeCurrent(*context);
        Api.ProgramEnvParameters4fvEXT(GL_VERTEX_PROGRAM_ARB, firstRegister, static_cast<GLsizei>(count), values);
        return GfxResult::Ok;
    }

    // Runs a shader over vertices into float targets, one output group a
    // target, and reads the outputs back.
    bool CaptureShader(uint32_t handle, const void* vertexData, uint32_t count,
                       std::vector<vs11::VertexOutputs>& outputs);

private:
    void CaptureBindVertices(const ShaderRecord& shader, const void* vertexData, uint32_t count, int captureInput,
                             GLuint (&buffers)[2]);
    void CaptureRestoreState();

    static bool Contains(const std::vector<uint32_t>& list, uint32_t value)
    {
        return std::find(list.begin(), list.end(), value) != list.end();
    }

    static bool HasStencil(GfxSurface* surface)
    {
        GfxSurfaceDesc desc;
        surface->GetDesc(desc);
        return desc.format == FmtD24S8;
    }

    void MakeDefaults(const GfxPresentParams& presentParams)
    {
        params = presentParams;
        ApplyWindowMode(*context, params);
        uint32_t width = std::max(1u, params.backBufferWidth);
        uint32_t height = std::max(1u, params.backBufferHeight);
        uint32_t format = params.backBufferFormat == FmtUnknown ? FmtX8R8G8B8 : params.backBufferFormat;
        backBuffer = new GlSurface(context, width, height, format, UsageRenderTarget, false);
        autoDepth = params.enableAutoDepthStencil
                        ? new GlSurface(context, width, height, params.autoDepthStencilFormat, false)
                        : nullptr;
        if (autoDepth && !autoDepth->Valid()) {
            autoDepth->Release();
            autoDepth = nullptr;
        }
        renderTarget.Set(backBuffer);
        depth.Set(autoDepth);
        AttachTargets();
        for (uint32_t state = 0; state < GfxRenderStateCount; ++state) {
            renderStates[state] = GfxDefaultRenderState(state, autoDepth != nullptr);
            ApplyRenderState(state);
        }
        for (uint32_t stage = 0; stage < GfxStageCount; ++stage) {
            for (uint32_t type = 0; type < GfxStageStateCount; ++type)
                stageStates[stage][type] = GfxDefaultStageState(stage, type);
            ApplySampler(stage);
            Api.ActiveTexture(GL_TEXTURE0 + stage);
            Api.BindTexture(GL_TEXTURE_2D, 0);
        }
        world = view = projection = GfxIdentityMatrix();
        transformsDirty = true;
        SetViewport(GfxViewport{0, 0, width, height, 0.0f, 1.0f});
        std::memset(constants, 0, sizeof constants);
        Api.ProgramEnvParameters4fvEXT(GL_VERTEX_PROGRAM_ARB, 0, vs11::ConstantCount, &constants[0][0]);
        vertexShader = 0;
        streamStride = 0;
        baseVertex = 0;
        inScene = false;
        attribsDirty = pixelDirty = true;
        boundVertexProgram = boundFragmentProgram = 0;
        boundIndexBuffer = 0;
        Api.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }

    void ReleaseOwnSurfaces()
    {
        if (backBuffer)
            backBuffer->Release();
        if (autoDepth)
            autoDepth->Release();
        backBuffer = autoDepth = nullptr;
    }

    void AttachTargets()
    {
        MakeCurrent(*context);
        Api.BindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFramebuffer);
        GlSurface* colour = renderTarget.Get();
        Api.FramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                 colour && colour->image ? colour->image->texture : 0,
                                 colour ? static_cast<GLint>(colour->level) : 0);
        GlSurface* depthSurface = depth.Get();
        GLuint renderbuffer = depthSurface ? depthSurface->renderbuffer : 0;
        bool stencil = depthSurface && HasStencil(depthSurface);
        Api.FramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffer);
        Api.FramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                    stencil ? renderbuffer : 0);
        Api.DrawBuffer(GL_COLOR_ATTACHMENT0);
    }

    void ApplyRenderState(uint32_t state)
    {
        uint32_t value = renderStates[state];
        switch (state) {
        case RsZEnable:
            if (value)
                Api.Enable(GL_DEPTH_TEST);
            else
                Api.Disable(GL_DEPTH_TEST);
            break;
        case RsZWriteEnable: Api.DepthMask(value ? GL_TRUE : GL_FALSE); break;
        case RsZFunc: Api.DepthFunc(CompareFunction(value)); break;
        case RsAlphaBlendEnable:
            if (value)
                Api.Enable(GL_BLEND);
            else
                Api.Disable(GL_BLEND);
            break;
        case RsSrcBlend:
        case RsDestBlend:
            Api.BlendFunc(BlendFactor(renderStates[RsSrcBlend]), BlendFactor(renderStates[RsDestBlend]));
            break;
        case RsBlendOp: {
            static constexpr GLenum Ops[] = {GL_FUNC_ADD, GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT,
                                             GL_MIN, GL_MAX};
            Api.BlendEquation(value < 6 ? Ops[value] : GL_FUNC_ADD);
            break;
        }
        case RsCullMode:
            if (value == CullCw || value == CullCcw) {
                Api.Enable(GL_CULL_FACE);
                Api.CullFace(value == CullCw ? GL_FRONT : GL_BACK);
            } else {
                Api.Disable(GL_CULL_FACE);
            }
            break;
        case RsFillMode:
            Api.PolygonMode(GL_FRONT_AND_BACK, value == FillPoint ? GL_POINT : value == FillWireframe ? GL_LINE : GL_FILL);
            break;
        case RsAlphaTestEnable:
        case RsAlphaFunc:
        case RsFogEnable:
        case RsSpecularEnable: pixelDirty = true; break;
        case RsFogVertexMode: attribsDirty = true; break;
        case RsAlphaRef: {
            float ref[4] = {static_cast<float>(value & 255), 0.0f, 0.0f, 0.0f};
            Api.ProgramEnvParameter4fvARB(GL_FRAGMENT_PROGRAM_ARB, EnvAlphaRef, ref);
            break;
        }
        case RsFogColour: {
            float colour[4];
            ArgbToFloats(value | 0xFF000000u, colour);
            Api.ProgramEnvParameter4fvARB(GL_FRAGMENT_PROGRAM_ARB, EnvFogColour, colour);
            break;
        }
        case RsTextureFactor: {
            float colour[4];
            ArgbToFloats(value, colour);
            Api.ProgramEnvParameter4fvARB(GL_FRAGMENT_PROGRAM_ARB, EnvTextureFactor, colour);
            break;
        }
        case RsFogStart:
        case RsFogEnd: {
            float start = FloatOf(renderStates[RsFogStart]), end = FloatOf(renderStates[RsFogEnd]);
            float span = end - start;
            float fog[4] = {span != 0.0f ? -1.0f / span : 0.0f, span != 0.0f ? end / span : 1.0f, 0.0f, 0.0f};
            Api.ProgramEnvParameter4fvARB(GL_VERTEX_PROGRAM_ARB, EnvFog, fog);
            break;
        }
        default: break;
        }
    }

    void ApplyStageState(uint32_t stage, uint32_t type)
    {
        switch (type) {
        case TssColourOp:
        case TssColourArg1:
        case TssColourArg2:
        case TssAlphaOp:
        case TssAlphaArg1:
        case TssAlphaArg2:
        case TssTexCoordIndex: pixelDirty = true; break;
        case TssAddressU:
        case TssAddressV:
        case TssBorderColour:
        case TssMagFilter:
        case TssMinFilter:
        case TssMipFilter:
        case TssMipMapLodBias:
        case TssMaxAnisotropy: ApplySampler(stage); break;
        default: break;
        }
    }

    void ApplySampler(uint32_t stage)
    {
        const uint32_t* s = stageStates[stage];
        GLuint sampler = samplers[stage];
        bool magLinear = s[TssMagFilter] >= FilterLinear;
        bool minLinear = s[TssMinFilter] >= FilterLinear;
        GLenum minFilter;
        switch (s[TssMipFilter]) {
        case FilterPoint: minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST; break;
        case FilterLinear:
        case FilterAnisotropic: minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR; break;
        default: minFilter = minLinear ? GL_LINEAR : GL_NEAREST; break;
        }
        Api.SamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
        Api.SamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
        Api.SamplerParameteri(sampler, GL_TEXTURE_WRAP_S, static_cast<GLint>(AddressMode(s[TssAddressU])));
        Api.SamplerParameteri(sampler, GL_TEXTURE_WRAP_T, static_cast<GLint>(AddressMode(s[TssAddressV])));
        float border[4];
        ArgbToFloats(s[TssBorderColour], border);
        Api.SamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
        Api.SamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, FloatOf(s[TssMipMapLodBias]));
        if (context->facts.anisotropic) {
            bool anisotropic = s[TssMagFilter] == FilterAnisotropic || s[TssMinFilter] == FilterAnisotropic;
            float level = anisotropic ? std::clamp(static_cast<float>(s[TssMaxAnisotropy]), 1.0f,
                                                   context->facts.maxAnisotropy)
                                      : 1.0f;
            Api.SamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY, level);
        }
    }

    bool Pretransformed() const
    {
        return !GfxIsShaderHandle(vertexShader) && (vertexShader & FvfPositionMask) == FvfXyzRhw;
    }

    GLuint FixedProgram(uint32_t fvf, bool fogLinear)
    {
        uint32_t key = fvf | (fogLinear ? 0x80000000u : 0u);
        auto found = fixedPrograms.find(key);
        if (found != fixedPrograms.end())
            return found->second;
        std::string error;
        GLuint program = CompileProgram(GL_VERTEX_PROGRAM_ARB, FixedVertexProgram(fvf, fogLinear), error);
        if (!program)
            std::fprintf(stderr, "DrawIndexedPrimitive : vertex program refused : %s\n", error.c_str());
        fixedPrograms.emplace(key, program);
        return program;
    }

    GLuint PixelProgram(bool pretransformed)
    {
        PixelKey key;
        for (uint32_t s = 0; s < GfxStageCount; ++s) {
            const uint32_t* st = stageStates[s];
            if (st[TssColourOp] == TopDisable)
                break;
            StageKey& stage = key.stages[s];
            stage.colourOp = static_cast<uint8_t>(st[TssColourOp]);
            stage.colourArg1 = static_cast<uint8_t>(st[TssColourArg1]);
            stage.colourArg2 = static_cast<uint8_t>(st[TssColourArg2]);
            stage.alphaOp = static_cast<uint8_t>(st[TssAlphaOp]);
            stage.alphaArg1 = static_cast<uint8_t>(st[TssAlphaArg1]);
            stage.alphaArg2 = static_cast<uint8_t>(st[TssAlphaArg2]);
            stage.texCoord = static_cast<uint8_t>(st[TssTexCoordIndex] & 7);
            stage.hasTexture = textures[s].Get() != nullptr;
            key.stageCount = static_cast<uint8_t>(s + 1);
        }
        if (renderStates[RsAlphaTestEnable])
            key.alphaFunc = static_cast<uint8_t>(std::clamp<uint32_t>(renderStates[RsAlphaFunc], CmpNever, CmpAlways));
        key.fog = renderStates[RsFogEnable] && !pretransformed;
        key.specular = renderStates[RsSpecularEnable] != 0;
        std::string bytes = key.Bytes();
        auto found = pixelPrograms.find(bytes);
        if (found != pixelPrograms.end())
            return found->second;
        std::string error;
        GLuint program = CompileProgram(GL_FRAGMENT_PROGRAM_ARB, FragmentProgram(key), error);
        if (!program)
            std::fprintf(stderr, "DrawIndexedPrimitive : fragment program refused : %s\n", error.c_str());
        pixelPrograms.emplace(bytes, program);
        return program;
    }

    // Sends what the next draw needs; false when it cannot draw.
    bool PrepareDraw()
    {
        bool pretransformed = Pretransformed();
        GLuint vertexProgram;
        if (GfxIsShaderHandle(vertexShader)) {
            auto found = shaders.find(vertexShader);
            if (found == shaders.end())
                return false;
            vertexProgram = found->second.program;
        } else {
            bool fogLinear = renderStates[RsFogEnable] && renderStates[RsFogVertexMode] == FogLinear;
            vertexProgram = FixedProgram(vertexShader, fogLinear);
            if (transformsDirty && !pretransformed)
                SendTransforms();
        }
        if (!vertexProgram)
            return false;
        if (vertexProgram != boundVertexProgram) {
            Api.BindProgramARB(GL_VERTEX_PROGRAM_ARB, vertexProgram);
            boundVertexProgram = vertexProgram;
        }
        if (pixelDirty || pretransformed != lastPretransformed) {
            GLuint pixelProgram = PixelProgram(pretransformed);
            if (!pixelProgram)
                return false;
            if (pixelProgram != boundFragmentProgram) {
                Api.BindProgramARB(GL_FRAGMENT_PROGRAM_ARB, pixelProgram);
                boundFragmentProgram = pixelProgram;
            }
            pixelDirty = false;
            lastPretransformed = pretransformed;
        }
        if (attribsDirty)
            SetAttributes();
        return true;
    }

    void SendTransforms()
    {
        GfxMatrix worldView, all;
        GfxMatrixMultiply(worldView, world, view);
        GfxMatrixMultiply(all, worldView, projection);
        float columns[5][4];
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r)
                columns[c][r] = all.m[r][c];
        for (int r = 0; r < 4; ++r)
            columns[4][r] = worldView.m[r][2];
        Api.ProgramEnvParameters4fvEXT(GL_VERTEX_PROGRAM_ARB, EnvWorldViewProjection, 5, &columns[0][0]);
        transformsDirty = false;
    }

    void EnableAttribute(uint32_t index, GLint size, GLenum type, bool normalised, size_t offset, uint32_t& mask)
    {
        size_t base = static_cast<size_t>(baseVertex) * streamStride + offset;
        Api.VertexAttribPointer(index, size, type, normalised ? GL_TRUE : GL_FALSE, static_cast<GLsizei>(streamStride),
                                reinterpret_cast<const void*>(base));
        mask |= 1u << index;
    }

    // Points the input registers of a shader's declaration at the stream,
    // its elements one after the other in each vertex.
    void EnableDeclaredAttributes(const std::vector<GfxVertexElement>& declaration, uint32_t& mask)
    {
        size_t offset = 0;
        for (const GfxVertexElement& element : declaration) {
            if (element.type == GfxElementType::Colour)
                EnableAttribute(element.inputRegister, GL_BGRA, GL_UNSIGNED_BYTE, true, offset, mask);
            else
                EnableAttribute(element.inputRegister, static_cast<GLint>(GfxElementSize(element.type) / 4), GL_FLOAT,
                                false, offset, mask);
            offset += GfxElementSize(element.type);
        }
    }

    void SetAttributes()
    {
        GlVertexBuffer* vertices = stream.Get();
        Api.BindBuffer(GL_ARRAY_BUFFER, vertices ? vertices->buffer : 0);
        uint32_t mask = 0;
        if (vertices) {
            if (GfxIsShaderHandle(vertexShader)) {
                EnableDeclaredAttributes(shaders[vertexShader].declaration, mask);
            } else {
                uint32_t fvf = vertexShader;
                size_t offset = 0;
                bool rhw = (fvf & FvfPositionMask) == FvfXyzRhw;
                EnableAttribute(AttribPosition, rhw ? 4 : 3, GL_FLOAT, false, 0, mask);
                offset += rhw ? 16 : 12;
                if (fvf & FvfNormal)
                    offset += 12;
                if (fvf & FvfDiffuse) {
                    EnableAttribute(AttribDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, true, offset, mask);
                    offset += 4;
                }
                if (fvf & FvfSpecular) {
                    EnableAttribute(AttribSpecular, GL_BGRA, GL_UNSIGNED_BYTE, true, offset, mask);
                    offset += 4;
                }
                uint32_t sets = (fvf & FvfTexCountMask) >> FvfTexCountShift;
                for (uint32_t i = 0; i < sets && i < 8; ++i) {
                    EnableAttribute(AttribTexCoord0 + i, 2, GL_FLOAT, false, offset, mask);
                    offset += 8;
                }
            }
        }
        for (uint32_t i = 0; i < 16; ++i) {
            bool want = (mask >> i) & 1u, have = (enabledAttributes >> i) & 1u;
            if (want && !have)
                Api.EnableVertexAttribArray(i);
            else if (!want && have)
                Api.DisableVertexAttribArray(i);
        }
        enabledAttributes = mask;
        attribsDirty = false;
    }

    ContextPtr context;
    AdapterFacts adapter;
    GfxPresentParams params;
    GlSurface* backBuffer = nullptr;
    GlSurface* autoDepth = nullptr;
    Binding<GlSurface> renderTarget, depth;
    Binding<GlTexture> textures[GfxStageCount];
    Binding<GlVertexBuffer> stream;
    Binding<GlIndexBuffer> indices;
    uint32_t streamStride = 0, baseVertex = 0;
    uint32_t renderStates[GfxRenderStateCount] = {};
    uint32_t stageStates[GfxStageCount][GfxStageStateCount] = {};
    GfxMatrix world, view, projection;
    GfxViewport viewport;
    float constants[vs11::ConstantCount][4] = {};
    uint32_t vertexShader = 0;
    std::map<uint32_t, ShaderRecord> shaders;
    uint32_t nextShader = 1;
    std::unordered_map<uint32_t, GLuint> fixedPrograms;
    std::unordered_map<std::string, GLuint> pixelPrograms;
    GLuint drawFramebuffer = 0, presentFramebuffer = 0, vertexArray = 0;
    GLuint samplers[GfxStageCount] = {};
    bool inScene = false;
    bool transformsDirty = true, pixelDirty = true, attribsDirty = true, lastPretransformed = false;
    GLuint boundVertexProgram = 0, boundFragmentProgram = 0, boundIndexBuffer = 0;
    uint32_t enabledAttributes = 0;
};

bool GlDevice::CaptureShader(uint32_t handle, const void* vertexData, uint32_t count,
                             std::vector<vs11::VertexOutputs>& outputs)
{
    auto found = shaders.find(handle);
    if (found == shaders.end() || count == 0 || !vertexData)
        return false;
    const ShaderRecord& shader = found->second;
    MakeCurrent(*context);
    int captureInput = CaptureInputRegister(shader);
    CaptureTargets targets = CaptureTargetsOpen(count);
    GLuint buffers[2] = {};
    CaptureBindVertices(shader, vertexData, count, captureInput, buffers);
    bool ok = CaptureRunPasses(shader, count, captureInput, targets, outputs);
    Api.DeleteBuffers(2, buffers);
    CaptureTargetsClose(targets);
    CaptureRestoreState();
    return ok;
}

// Uploads the vertices into buffers[0] and their places on the capture
// targets into buffers[1], and points the shader's inputs and the capture
// input register at them. Draws after the capture set the attributes again.
void GlDevice::CaptureBindVertices(const ShaderRecord& shader, const void* vertexData, uint32_t count,
                                   int captureInput, GLuint (&buffers)[2])
{
    uint32_t stride = DeclarationStride(shader.declaration);
    Api.GenBuffers(2, buffers);
    Api.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    Api.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(stride) * count, vertexData, GL_STATIC_DRAW);
    uint32_t savedStride = streamStride, savedBase = baseVertex;
    streamStride = stride;
    baseVertex = 0;
    uint32_t mask = 0;
    EnableDeclaredAttributes(shader.declaration, mask);
    streamStride = savedStride;
    baseVertex = savedBase;
    std::vector<float> places = CapturePlaces(count);
    Api.BindBuffer(GL_ARRAY_BUFFER, buffers[1]);
    Api.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(places.size() * sizeof(float)), places.data(),
                   GL_STATIC_DRAW);
    Api.VertexAttribPointer(static_cast<GLuint>(captureInput), 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    mask |= 1u << captureInput;
    for (uint32_t i = 0; i < 16; ++i) {
        if ((mask >> i) & 1u)
            Api.EnableVertexAttribArray(i);
        else
            Api.DisableVertexAttribArray(i);
    }
    enabledAttributes = mask;
    attribsDirty = true;
}

// Back to the device's own state after a capture: its programs, targets,
// viewport and the draw states the capture turned off.
void GlDevice::CaptureRestoreState()
{
    boundVertexProgram = boundFragmentProgram = 0;
    Api.BindProgramARB(GL_VERTEX_PROGRAM_ARB, 0);
    Api.BindProgramARB(GL_FRAGMENT_PROGRAM_ARB, 0);
    pixelDirty = true;
    AttachTargets();
    SetViewport(viewport);
    for (uint32_t state : {RsAlphaBlendEnable, RsZEnable, RsCullMode, RsFillMode})
        ApplyRenderState(state);
}

GfxDevice* CreateDevice(const ContextPtr& context, const AdapterFacts& adapter, GfxPresentParams& params)
{
    return new GlDevice(context, adapter, params);
}

} // namespace platform::gl

namespace platform {

bool GfxGlRunVertexShader(GfxDevice* device, uint32_t handle, const void* vertices, uint32_t count,
                          std::vector<vs11::VertexOutputs>& outputs)
{
    auto* glDevice = dynamic_cast<gl::GlDevice*>(device);
    return glDevice && glDevice->CaptureShader(handle, vertices, count, outputs);
}

} // namespace platform

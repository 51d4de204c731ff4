// The OpenGL back end's context: entry points, what the context offers,
// the device formats in GL terms, and the shared context's life.
#include <SDL2/SDL.h>

#include <cstring>

#include "platform/gfx_gl_local.h"

namespace platform::gl {

Functions Api;

bool LoadFunctions(std::string& missing)
{
    bool complete = true;
#define QV_GL_LOAD(name)                                                                               \
    Api.name = reinterpret_cast<decltype(Api.name)>(SDL_GL_GetProcAddress("gl" #name));              \
    if (!Api.name && complete) {                                                                       \
        missing = "gl" #name;                                                                          \
        complete = false;                                                                              \
    }
    QV_GL_FUNCTIONS(QV_GL_LOAD)
#undef QV_GL_LOAD
    return complete;
}

ContextFacts ReadContextFacts()
{
    ContextFacts facts;
    auto text = [](GLenum name) {
        const char* value = reinterpret_cast<const char*>(Api.GetString(name));
        return std::string(value ? value : "");
    };
    facts.renderer = text(GL_RENDERER);
    facts.vendor = text(GL_VENDOR);
    facts.version = text(GL_VERSION);
    Api.GetIntegerv(GL_MAJOR_VERSION, &facts.major);
    Api.GetIntegerv(GL_MINOR_VERSION, &facts.minor);
    Api.GetIntegerv(GL_MAX_TEXTURE_SIZE, &facts.maxTextureSize);
    GLint count = 0;
    Api.GetIntegerv(GL_NUM_EXTENSIONS, &count);
    bool vertexProgram = false, fragmentProgram = false, programParameters = false;
    for (GLint i = 0; i < count; ++i) {
        const char* name = reinterpret_cast<const char*>(Api.GetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
        if (!name)
            continue;
        if (!std::strcmp(name, "GL_ARB_vertex_program"))
            vertexProgram = true;
        else if (!std::strcmp(name, "GL_ARB_fragment_program"))
            fragmentProgram = true;
        else if (!std::strcmp(name, "GL_EXT_gpu_program_parameters"))
            programParameters = true;
        else if (!std::strcmp(name, "GL_EXT_texture_compression_s3tc"))
            facts.compressedDxt = true;
        else if (!std::strcmp(name, "GL_EXT_texture_filter_anisotropic") ||
                 !std::strcmp(name, "GL_ARB_texture_filter_anisotropic"))
            facts.anisotropic = true;
    }
    if (facts.anisotropic)
        Api.GetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY, &facts.maxAnisotropy);
    GLint envParameters = 0;
    if (vertexProgram)
        Api.GetProgramivARB(GL_VERTEX_PROGRAM_ARB, GL_MAX_PROGRAM_ENV_PARAMETERS_ARB, &envParameters);
    if (facts.major * 10 + facts.minor < 33)
        facts.unusable = "OpenGL 3.3 needed, " + facts.version + " found";
    else if (!vertexProgram || !fragmentProgram || !programParameters)
        facts.unusable = "ARB vertex and fragment programs needed";
    else if (envParameters < EnvVertexCount)
        facts.unusable = "too few vertex program parameters";
    return facts;
}

void SetWindowAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
}

TextureFormat TextureFormatOf(uint32_t format)
{
    switch (format) {
    case FmtA8R8G8B8: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false, false};
    case FmtX8R8G8B8: return {GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false, true};
    case FmtR5G6B5: return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, false, true};
    case FmtX1R5G5B5: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false, true};
    case FmtA1R5G5B5: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false, false};
    case FmtA4R4G4B4: return {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, false, false};
    case FmtL8: return {GL_LUMINANCE8, GL_LUMINANCE, GL_UNSIGNED_BYTE, false, true};
    case FmtDxt1: return {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, true, false};
    case FmtDxt3: return {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, true, false};
    default: return {};
    }
}

GLenum DepthFormatOf(uint32_t format)
{
    switch (format) {
    case FmtD16:
    case FmtD16Lockable: return GL_DEPTH_COMPONENT16;
    case FmtD24X8: return GL_DEPTH_COMPONENT24;
    case FmtD24S8: return GL_DEPTH24_STENCIL8;
    case FmtD32: return GL_DEPTH_COMPONENT32;
    default: return 0;
    }
}

void MakeCurrent(const Context& context)
{
    if (SDL_GL_GetCurrentContext() != context.glContext)
        SDL_GL_MakeCurrent(context.window, context.glContext);
}

Context::~Context()
{
    if (glContext) {
        MakeCurrent(*this);
        if (readFramebuffer)
            Api.DeleteFramebuffers(1, &readFramebuffer);
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(glContext);
    }
    if (window && ownsWindow)
        SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace platform::gl

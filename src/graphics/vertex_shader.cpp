// The run-time vertex shaders: vs.1.1 text put together from fixed
// fragments by shader kind and material variant, assembled once per device
// life and cached; a shader that cannot be made falls back to the fixed
// pipeline with its vertex format.
#include "core/services.h"
#include "graphics/local.h"
#include "platform/gfx.h"
#include "platform/gfx_util.h"
#include "platform/message_box.h"
#include "platform/vs11.h"

using namespace platform;

VertexShaderTableRecord VertexShaderTable;

namespace {

constexpr const char* HeaderFog = "vs.1.1\nm4x4 r0,v0,c0\nmov oPos,r0\nmad oFog,r0.z,c90.x,c90.y\n";
constexpr const char* HeaderPlain = "vs.1.1\nm4x4 oPos,v0,c0\n";

constexpr const char* LitSunHemiPrelit = "mov oD0,v5\n";
constexpr const char* LitSunHemiLit =
    "dp3 r3.x,v3,c10\nmax r3.x,r3.x,c95\ndp3 r0.x,v3,c7\nmov r1,c8\nmad r2.xyz,r0.x,c9,r1\n"
    "mad r4.xyz,r3.x,c6.xyz,r2.xyz\nmul oD0.xyz,r4.xyz,v5.xyz\nmov oD0.w,v5.w\n";
constexpr const char* LitSunPrelit = "mov r2,v5\nsub oD0.xyz, r2.xyz, v6.xyz\nmov oD0.w,v5.w\n";
constexpr const char* LitSunLit =
    "dp3 r3.x,v3,c10\nmax r3.x,r3.x,c95\nmul r4.xyz,c6.xyz,r3.x\nmul oD0.xyz,r4.xyz,v5.xyz\nmov oD0.w,v5.w\n";
constexpr const char* Tex0 = "mov oT0,v8\n";
constexpr const char* Tex1 = "mov oT1,v8\n";
constexpr const char* LightMapCoords = "m4x4 r5,v0,c12\nmax r5,r5,c16\nmin oT0,r5,c17\n";
constexpr const char* GenTex0 = "m4x4 oT0,v0,c80\n";
constexpr const char* GenTex1 = "m4x4 oT1,v0,c84\n";
constexpr const char* White = "mov oD0,c92\n";
constexpr const char* ReflectTinted =
    "mov oD0, c36\nsub r8, c30, v0\nmov r8.w,c92.x\ndp3 r3.w, r8, r8\nrsq r3.w, r3.w\nmul r3, r8, r3.w\n"
    "mov r9, v3\ndp3 r4, r3, r9\nadd r4, r4, r4\nmul r9, r9, r4\nadd r3, r3, -r9\nmov r3.w,c92.x\n"
    "m4x4 r4,r3,c31\nmov oT0,r4\nmin r3.z,r4.z,c92.z\nmax r3.z,r3.z,c95.z\nmul oD0.xyz,c36.w,r3.z\n"
    "mov oT0.w, c92.x\n";
constexpr const char* ReflectVertexColour =
    "mov oD0,v5\nsub r8, v0, c30\nmul r8,r8,c35\nmov r8.w,c92.x\ndp3 r3.w, r8, r8\nrsq r3.w, r3.w\n"
    "mul r3, r8, r3.w\nmov r9, v3\ndp3 r4, r3, r9\nadd r4, r4, r4\nmul r9, r9, r4\nadd r3, r3, -r9\n"
    "mov r3.w,c92.x\nm4x4 oT0,r3,c31\nmov oT0.w, c92.x\n";
constexpr const char* ShadowCasterFog =
    "vs.1.1\nm4x4 oPos,v0,c80\nmov oFog,c95.x\nmov oT0,c95\nmov oD0,c84\n";
constexpr const char* ShadowCasterPlain = "vs.1.1\nm4x4 oPos,v0,c80\nmov oT0,c95\nmov oD0,c84\n";

const char* LitSunHemi(int variant) { return (variant & 1) ? LitSunHemiPrelit : LitSunHemiLit; }
const char* LitSun(int variant) { return (variant & 1) ? LitSunPrelit : LitSunLit; }

// The hemisphere light into output colour register oD(n). Each piece is
// appended to the text: the text is never its own formatting source.
std::string Hemi(int n, int variant, bool fog)
{
    const std::string d = std::to_string(n);
    const std::string hemisphere = "dp3 r0.x,v3,c7\nmov r1,c8\nmad r2.xyzw,r0.x,c9,r1\n";
    if (!fog) {
        switch (variant) {
        case 0: return hemisphere + "mul oD" + d + ".xyz,v5,r2\nmov oD" + d + ".w,c92.w\n";
        case 2: return hemisphere + "mul r2,v5,r2\nadd oD" + d + ".xyz,r2,r2\nmov oD" + d + ".w,c92.w\n";
        case 1: return "mov oD" + d + ",v6\n";
        default: return "add oD" + d + ",v6,v6\n";
        }
    }
    std::string alpha = n == 0 ? "\nmov oD0.w,c92.w\n" : "";
    switch (variant) {
    case 0: return hemisphere + "mul oD" + d + ".xyz,v5,r2\n" + alpha;
    case 2: return hemisphere + "mul r2,v5,r2\nadd oD" + d + ".xyz,r2,r2\n" + alpha;
    case 1: return n == 0 ? "mov oD0,v6\n" : "mov oD1.xyz,v6\n";
    default: return n == 0 ? "add oD0,v6,v6\n" : "add oD1.xyz,v6,v6\n";
    }
}

const char* ErrorName(GfxResult result, bool assembling)
{
    switch (result) {
    case GfxResult::OutOfMemory: return "E_OUTOFMEMORY";
    case GfxResult::InvalidCall: return "D3DERR_INVALIDCALL";
    case GfxResult::InvalidData: return assembling ? "D3DXERR_INVALIDDATA" : "UNKNOWN ERROR";
    case GfxResult::OutOfVideoMemory: return assembling ? "UNKNOWN ERROR" : "D3DERR_OUTOFVIDEOMEMORY";
    default: return "UNKNOWN ERROR";
    }
}

// The message box of a shader failure: the caption and the error name.
void ShowShaderFailure(const char* caption, const char* errorName)
{
    LogPrintf("%s : %s", caption, errorName);
    platform::ShowMessageBox(platform::MessageBoxKind::Warning, caption, errorName);
}

} // namespace

std::string BuildVertexShaderText(int kind, int prelit, int doubled, bool fog)
{
    int variant = 2 * (doubled ? 1 : 0) + (prelit ? 1 : 0);
    if (kind == 14)
        return fog ? ShadowCasterFog : ShadowCasterPlain;
    std::string text = fog ? HeaderFog : HeaderPlain;
    switch (kind) {
    case 0: text += std::string(LitSunHemi(variant)) + Tex0; break;
    case 1: text += LitSun(variant) + Hemi(1, variant, fog) + GenTex0; break;
    case 2: text += LitSun(variant) + Hemi(1, variant, fog) + GenTex0 + GenTex1; break;
    case 3: text += std::string(LitSun(variant)) + GenTex0 + GenTex1; break;
    case 4: text += std::string(GenTex0) + GenTex1 + White; break;
    case 5: text += Hemi(0, variant, fog); break;
    case 6: text += std::string(LitSun(variant)) + Tex0 + GenTex1; break;
    case 7: text += Hemi(0, variant, fog) + Tex0; break;
    case 8: text += ReflectVertexColour; break;
    case 9: text += std::string(LightMapCoords) + LitSun(variant); break;
    case 10: text += std::string(LightMapCoords) + LitSun(variant) + GenTex1; break;
    case 11: text += ReflectTinted + Hemi(1, variant, fog); break;
    case 12: text += std::string(LightMapCoords) + LitSun(variant) + Tex1; break;
    case 13: text += ReflectTinted; break;
    case 15: text += std::string(GenTex0) + White; break;
    case 16: text += std::string(LitSun(variant)) + Tex0; break;
    default: return std::string();
    }
    return text;
}

int ShaderVertexType(int kind, int prelit)
{
    if (kind == 8)
        return 1;
    return prelit ? 10 : 4;
}

std::vector<GfxVertexElement> BuildVertexDeclaration(uint32_t fvf)
{
    std::vector<GfxVertexElement> declaration;
    if ((fvf & FvfPositionMask) == FvfXyz)
        declaration.push_back({0, 0, GfxElementType::Float3});
    else if ((fvf & FvfPositionMask) == FvfXyzRhw)
        declaration.push_back({0, 0, GfxElementType::Float4});
    if (fvf & FvfNormal)
        declaration.push_back({0, 3, GfxElementType::Float3});
    if (fvf & FvfDiffuse)
        declaration.push_back({0, 5, GfxElementType::Colour});
    if (fvf & FvfSpecular)
        declaration.push_back({0, 6, GfxElementType::Colour});
    uint32_t sets = (fvf & FvfTexCountMask) >> FvfTexCountShift;
    for (uint32_t i = 0; i < sets && i < 3; ++i)
        declaration.push_back({0, static_cast<uint8_t>(8 + i), GfxElementType::Float2});
    return declaration;
}

uint32_t AssembleVertexShader(const std::string& text, const std::vector<GfxVertexElement>& declaration,
                              int vertexType)
{
    vs11::Program program;
    std::string errors;
    GfxResult result = GfxAssembleShader(text, program, errors);
    if (!GfxSucceeded(result)) {
        LogPrintf("AssembleVertexShader : %s", errors.c_str());
        ShowShaderFailure("Could not compile vertex shader", ErrorName(result, true));
        return GetVertexFvf(vertexType);
    }
    uint32_t handle = 0;
    result = Gfx.device ? Gfx.device->CreateVertexShader(declaration.data(),
                                                         static_cast<uint32_t>(declaration.size()), program,
                                                         &handle, 0)
                        : GfxResult::InvalidCall;
    if (!GfxSucceeded(result)) {
        ShowShaderFailure("Could not create vertex shader", ErrorName(result, false));
        return GetVertexFvf(vertexType);
    }
    return handle;
}

void SetVertexShaderCached(uint32_t handleOrFvf)
{
    if (handleOrFvf == VertexShaderTable.lastSet)
        return;
    VertexShaderTable.lastSet = handleOrFvf;
    if (Gfx.device)
        Gfx.device->SetVertexShader(handleOrFvf);
}

void SelectVertexShader(int kind, int prelit, int doubled)
{
    if (kind < 0 || kind >= ShaderKindCount)
        return;
    int variant = 2 * (doubled ? 1 : 0) + (prelit ? 1 : 0);
    uint32_t& handle = VertexShaderTable.handles[kind][variant];
    if (handle == 0) {
        std::string text = BuildVertexShaderText(kind, prelit, doubled, Gfx.fogFlag != 0);
        if (text.empty())
            return;
        int type = ShaderVertexType(kind, prelit);
        handle = AssembleVertexShader(text, BuildVertexDeclaration(GetVertexFvf(type)), type);
    }
    SetVertexShaderCached(handle);
}

void DeleteVertexShaders()
{
    for (auto& kind : VertexShaderTable.handles) {
        for (uint32_t& handle : kind) {
            if (GfxIsShaderHandle(handle) && Gfx.device) {
                if (VertexShaderTable.lastSet == handle)
                    VertexShaderTable.lastSet = NoShaderSet;
                Gfx.device->DeleteVertexShader(handle);
            }
            handle = 0;
        }
    }
    CurrentMaterial = nullptr;
}

// The OpenGL back end's programs: fixed-function vertex programs by vertex
// format, fragment programs by texture-stage set-up, and vs.1.1 programs
// translated to ARB vertex programs. Every vertex program ends by turning
// the device's clip space (y up, z from 0 to w) into GL's with y turned
// over, so that row 0 of every target is the top of the picture.
#include <cstdarg>
#include <cstdio>

#include "platform/gfx_gl_local.h"

namespace platform::gl {

namespace {

void Line(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Line(std::string& text, const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    text += buffer;
    text += '\n';
}

// Writes the device clip position held in temp `from` as GL's position.
void EmitPosition(std::string& text, const char* from)
{
    Line(text, "MOV result.position.xw, %s;", from);
    Line(text, "MOV result.position.y, -%s.y;", from);
    Line(text, "MAD result.position.z, %s.z, k.z, -%s.w;", from, from);
}

} // namespace

std::string FixedVertexProgram(uint32_t fvf, bool fogLinear)
{
    std::string text = "!!ARBvp1.0\n";
    Line(text, "PARAM m[4] = { program.env[%d..%d] };", EnvWorldViewProjection, EnvWorldViewProjection + 3);
    Line(text, "PARAM wvz = program.env[%d];", EnvWorldViewZ);
    Line(text, "PARAM fog = program.env[%d];", EnvFog);
    Line(text, "PARAM sscale = program.env[%d];", EnvScreenScale);
    Line(text, "PARAM soffset = program.env[%d];", EnvScreenOffset);
    Line(text, "PARAM k = { 0, 1, 2, 0.5 };");
    Line(text, "ATTRIB pos = vertex.attrib[%d];", AttribPosition);
    Line(text, "TEMP p, t;");
    if ((fvf & FvfPositionMask) == FvfXyzRhw) {
        // Pixels with centres at integers become GL's half-integer centres.
        Line(text, "MAD p.xyz, pos, sscale, soffset;");
        Line(text, "RCP t.w, pos.w;");
        Line(text, "MUL result.position.xyz, p, t.w;");
        Line(text, "MOV result.position.w, t.w;");
        Line(text, "MOV result.fogcoord.x, k.y;");
    } else {
        for (int i = 0; i < 4; ++i)
            Line(text, "DP4 p.%c, pos, m[%d];", "xyzw"[i], i);
        EmitPosition(text, "p");
        if (fogLinear) {
            Line(text, "DP4 t.x, pos, wvz;");
            Line(text, "MAD t.x, t.x, fog.x, fog.y;");
            Line(text, "MAX t.x, t.x, k.x;");
            Line(text, "MIN result.fogcoord.x, t.x, k.y;");
        } else {
            Line(text, "MOV result.fogcoord.x, k.y;");
        }
    }
    if (fvf & FvfDiffuse)
        Line(text, "MOV result.color, vertex.attrib[%d];", AttribDiffuse);
    else
        Line(text, "MOV result.color, k.y;");
    if (fvf & FvfSpecular)
        Line(text, "MOV result.color.secondary, vertex.attrib[%d];", AttribSpecular);
    else
        Line(text, "MOV result.color.secondary, k.x;");
    uint32_t sets = (fvf & FvfTexCountMask) >> FvfTexCountShift;
    for (uint32_t i = 0; i < GfxStageCount; ++i) {
        if (i < sets)
            Line(text, "MOV result.texcoord[%u], vertex.attrib[%u];", i, AttribTexCoord0 + i);
        else
            Line(text, "MOV result.texcoord[%u], k.xxxy;", i);
    }
    text += "END\n";
    return text;
}

std::string PixelKey::Bytes() const
{
    std::string bytes(reinterpret_cast<const char*>(stages), sizeof(StageKey) * stageCount);
    bytes += static_cast<char>(stageCount);
    bytes += static_cast<char>(alphaFunc);
    bytes += static_cast<char>(fog);
    bytes += static_cast<char>(specular);
    return bytes;
}

namespace {

// The source text of a stage argument, written into temp when it needs a
// modifier.
std::string StageArgument(std::string& text, uint8_t arg, const char* temp, bool textureBound)
{
    std::string base;
    switch (arg & 0x0F) {
    case TaDiffuse: base = "fragment.color.primary"; break;
    case TaCurrent: base = "cur"; break;
    case TaTexture: base = textureBound ? "tex" : "k.yyyy"; break;
    case TaTFactor: base = "tfactor"; break;
    case TaSpecular: base = "fragment.color.secondary"; break;
    default: base = "cur"; break;
    }
    if ((arg & (TaComplement | TaAlphaReplicate)) == 0)
        return base;
    if (arg & TaAlphaReplicate)
        Line(text, "MOV %s, %s;", temp, base == "k.yyyy" ? "k.y" : (base + ".w").c_str());
    else
        Line(text, "MOV %s, %s;", temp, base.c_str());
    if (arg & TaComplement)
        Line(text, "SUB %s, k.y, %s;", temp, temp);
    return temp;
}

bool UsesTexture(uint8_t arg) { return (arg & 0x0F) == TaTexture; }

// result.<mask> = op(a, b), clamped as the device clamps.
void StageOperation(std::string& text, uint8_t op, const char* mask, const std::string& a, const std::string& b)
{
    switch (op) {
    case TopSelectArg1: Line(text, "MOV r.%s, %s;", mask, a.c_str()); break;
    case TopSelectArg2: Line(text, "MOV r.%s, %s;", mask, b.c_str()); break;
    case TopModulate2x:
        Line(text, "MUL t, %s, %s;", a.c_str(), b.c_str());
        Line(text, "ADD_SAT r.%s, t, t;", mask);
        break;
    case TopModulate4x:
        Line(text, "MUL t, %s, %s;", a.c_str(), b.c_str());
        Line(text, "MUL_SAT r.%s, t, k.w;", mask);
        break;
    case TopAdd: Line(text, "ADD_SAT r.%s, %s, %s;", mask, a.c_str(), b.c_str()); break;
    case TopModulate:
    default: Line(text, "MUL r.%s, %s, %s;", mask, a.c_str(), b.c_str()); break;
    }
}

} // namespace

std::string FragmentProgram(const PixelKey& key)
{
    std::string text = "!!ARBfp1.0\n";
    Line(text, "PARAM tfactor = program.env[%d];", EnvTextureFactor);
    Line(text, "PARAM fogc = program.env[%d];", EnvFogColour);
    Line(text, "PARAM aref = program.env[%d];", EnvAlphaRef);
    Line(text, "PARAM k = { 0, 1, 255, 4 };");
    Line(text, "TEMP cur, tex, a, b, r, t;");
    Line(text, "MOV cur, fragment.color.primary;");
    for (int s = 0; s < key.stageCount; ++s) {
        const StageKey& stage = key.stages[s];
        bool alphaOn = stage.alphaOp != TopDisable;
        bool sample = stage.hasTexture &&
                      (UsesTexture(stage.colourArg1) || UsesTexture(stage.colourArg2) ||
                       (alphaOn && (UsesTexture(stage.alphaArg1) || UsesTexture(stage.alphaArg2))));
        if (sample)
            Line(text, "TEX tex, fragment.texcoord[%d], texture[%d], 2D;", stage.texCoord, s);
        std::string a = StageArgument(text, stage.colourArg1, "a", stage.hasTexture);
        std::string b = StageArgument(text, stage.colourArg2, "b", stage.hasTexture);
        StageOperation(text, stage.colourOp, "xyz", a, b);
        if (alphaOn) {
            a = StageArgument(text, stage.alphaArg1, "a", stage.hasTexture);
            b = StageArgument(text, stage.alphaArg2, "b", stage.hasTexture);
            StageOperation(text, stage.alphaOp, "w", a, b);
        } else {
            Line(text, "MOV r.w, cur.w;");
        }
        Line(text, "MOV cur, r;");
    }
    if (key.specular)
        Line(text, "ADD_SAT cur.xyz, cur, fragment.color.secondary;");
    if (key.alphaFunc && key.alphaFunc != CmpAlways) {
        // The device compares the alpha as a byte with the reference.
        Line(text, "MUL t.x, cur.w, k.z;");
        Line(text, "ADD t.x, t.x, 0.5;");
        Line(text, "FLR t.x, t.x;");
        Line(text, "SUB t.x, t.x, aref.x;");
        switch (key.alphaFunc) {
        case CmpNever: Line(text, "KIL -k.y;"); break;
        case CmpLess: Line(text, "ADD t.x, -t.x, -0.5;"); Line(text, "KIL t.x;"); break;
        case CmpEqual: Line(text, "ABS t.x, t.x;"); Line(text, "SUB t.x, 0.5, t.x;"); Line(text, "KIL t.x;"); break;
        case CmpLessEqual: Line(text, "KIL -t.x;"); break;
        case CmpGreater: Line(text, "SUB t.x, t.x, 0.5;"); Line(text, "KIL t.x;"); break;
        case CmpNotEqual: Line(text, "ABS t.x, t.x;"); Line(text, "SUB t.x, t.x, 0.5;"); Line(text, "KIL t.x;"); break;
        case CmpGreaterEqual: Line(text, "KIL t.x;"); break;
        default: break;
        }
    }
    if (key.fog)
        Line(text, "LRP cur.xyz, fragment.fogcoord.x, cur, fogc;");
    Line(text, "MOV result.color, cur;");
    text += "END\n";
    return text;
}

// ---------------------------------------------------------------------------
// vs.1.1 translation.

namespace {

struct Translator {
    const vs11::Program& program;
    uint32_t inputsSupplied;
    std::string text;

    std::string RegisterName(vs11::RegisterFile file, int index) const
    {
        char name[32];
        switch (file) {
        case vs11::RegisterFile::Input:
            if (inputsSupplied & (1u << index))
                std::snprintf(name, sizeof name, "v%d", index);
            else
                std::snprintf(name, sizeof name, "missing");
            break;
        case vs11::RegisterFile::Temp: std::snprintf(name, sizeof name, "r%d", index); break;
        case vs11::RegisterFile::Constant: std::snprintf(name, sizeof name, "c[%d]", index); break;
        case vs11::RegisterFile::Position: std::snprintf(name, sizeof name, "oPos"); break;
        case vs11::RegisterFile::Fog: std::snprintf(name, sizeof name, "oFog"); break;
        case vs11::RegisterFile::Colour: std::snprintf(name, sizeof name, "oD%d", index); break;
        case vs11::RegisterFile::TexCoord: std::snprintf(name, sizeof name, "oT%d", index); break;
        }
        return name;
    }

    static bool IsParameterOrInput(vs11::RegisterFile file)
    {
        return file == vs11::RegisterFile::Constant || file == vs11::RegisterFile::Input;
    }

    std::string Source(const vs11::Source& src, const std::string& name) const
    {
        std::string out = src.negate ? "-" : "";
        out += name;
        out += '.';
        for (int i = 0; i < 4; ++i)
            out += "xyzw"[src.swizzle[i]];
        return out;
    }

    std::string ScalarSource(const vs11::Source& src, const std::string& name) const
    {
        std::string out = src.negate ? "-" : "";
        out += name;
        out += '.';
        out += "xyzw"[src.swizzle[3]];
        return out;
    }

    std::string Destination(const vs11::Destination& dest) const
    {
        std::string out = RegisterName(dest.file, dest.index);
        if (dest.file == vs11::RegisterFile::Fog)
            return out + ".x";
        if (dest.writeMask != vs11::MaskAll) {
            out += '.';
            for (int i = 0; i < 4; ++i)
                if (dest.writeMask & (1 << i))
                    out += "xyzw"[i];
        }
        return out;
    }

    void Emit(const vs11::Instruction& in)
    {
        // GL reads at most one parameter and one attribute per instruction:
        // further ones go through scratch temps first.
        std::string names[3];
        int usedParameterOrInput = 0;
        for (int s = 0; s < in.sourceCount; ++s) {
            names[s] = RegisterName(in.src[s].file, in.src[s].index);
            bool isMatrix = in.opcode == vs11::Opcode::M4x4 && s == 1;
            if (!isMatrix && IsParameterOrInput(in.src[s].file)) {
                if (usedParameterOrInput++ > 0) {
                    Line(text, "MOV xs%d, %s;", s, names[s].c_str());
                    names[s] = "xs" + std::to_string(s);
                }
            }
        }
        std::string dest = Destination(in.dest);
        auto src = [&](int s) { return Source(in.src[s], names[s]); };
        switch (in.opcode) {
        case vs11::Opcode::Mov: Line(text, "MOV %s, %s;", dest.c_str(), src(0).c_str()); break;
        case vs11::Opcode::Add: Line(text, "ADD %s, %s, %s;", dest.c_str(), src(0).c_str(), src(1).c_str()); break;
        case vs11::Opcode::Sub: Line(text, "SUB %s, %s, %s;", dest.c_str(), src(0).c_str(), src(1).c_str()); break;
        case vs11::Opcode::Mul: Line(text, "MUL %s, %s, %s;", dest.c_str(), src(0).c_str(), src(1).c_str()); break;
        case vs11::Opcode::Mad:
            Line(text, "MAD %s, %s, %s, %s;", dest.c_str(), src(0).c_str(), src(1).c_str(), src(2).c_str());
            break;
        case vs11::Opcode::Dp3: Line(text, "DP3 %s, %s, %s;", dest.c_str(), src(0).c_str(), src(1).c_str()); break;
        case vs11::Opcode::Dp4: Line(text, "DP4 %s, %s, %s;", dest.c_str(), src(0).c_str(), src(1).c_str()); break;
        case vs11::Opcode::Min: Line(text, "MIN %s, %s, %s;", dest.c_str(), src(0).c_str(), src(1).c_str()); break;
        case vs11::Opcode::Max: Line(text, "MAX %s, %s, %s;", dest.c_str(), src(0).c_str(), src(1).c_str()); break;
        case vs11::Opcode::Rsq:
            Line(text, "ABS xs2.x, %s;", ScalarSource(in.src[0], names[0]).c_str());
            Line(text, "RSQ %s, xs2.x;", dest.c_str());
            break;
        case vs11::Opcode::Rcp: Line(text, "RCP %s, %s;", dest.c_str(), ScalarSource(in.src[0], names[0]).c_str()); break;
        case vs11::Opcode::M4x4: {
            int row = in.src[1].index;
            for (int i = 0; i < 4; ++i)
                Line(text, "DP4 xm.%c, %s, c[%d];", "xyzw"[i], src(0).c_str(), row + i);
            Line(text, "MOV %s, xm;", dest.c_str());
            break;
        }
        }
    }
};

} // namespace

std::string TranslateVertexShader(const vs11::Program& program, uint32_t inputsSupplied, int capture,
                                  int captureInput)
{
    Translator tr{program, inputsSupplied, "!!ARBvp1.0\n"};
    std::string& text = tr.text;
    Line(text, "PARAM c[%d] = { program.env[0..%d] };", vs11::ConstantCount, vs11::ConstantCount - 1);
    Line(text, "PARAM k = { 0, 1, 2, 0.5 };");
    Line(text, "PARAM missing = { 0, 0, 0, 1 };");
    for (int i = 0; i < vs11::InputCount; ++i)
        if (inputsSupplied & (1u << i))
            Line(text, "ATTRIB v%d = vertex.attrib[%d];", i, i);
    text += "TEMP xs0, xs1, xs2, xm, oPos, oFog, oD0, oD1";
    for (int i = 0; i < vs11::TempCount; ++i)
        text += ", r" + std::to_string(i);
    for (int i = 0; i < vs11::TexCoordOutputCount; ++i)
        if (program.texCoordWritten & (1u << i))
            text += ", oT" + std::to_string(i);
    text += ";\n";
    // Outputs the program leaves unwritten read as 0 (fog as 1).
    Line(text, "MOV oPos, k.x;");
    Line(text, "MOV oD0, k.x;");
    Line(text, "MOV oD1, k.x;");
    Line(text, "MOV oFog, k.y;");
    for (int i = 0; i < vs11::TexCoordOutputCount; ++i)
        if (program.texCoordWritten & (1u << i))
            Line(text, "MOV oT%d, k.x;", i);
    for (const vs11::Instruction& in : program.code)
        tr.Emit(in);
    // Colours and fog are clamped to 0..1.
    Line(text, "MAX oD0, oD0, k.x;");
    Line(text, "MIN oD0, oD0, k.y;");
    Line(text, "MAX oD1, oD1, k.x;");
    Line(text, "MIN oD1, oD1, k.y;");
    Line(text, "MAX oFog.x, oFog.x, k.x;");
    Line(text, "MIN oFog.x, oFog.x, k.y;");
    auto texName = [&](int i) { return (program.texCoordWritten & (1u << i)) ? "oT" + std::to_string(i) : std::string("k.x"); };
    if (capture < 0) {
        EmitPosition(text, "oPos");
        Line(text, "MOV result.color, oD0;");
        Line(text, "MOV result.color.secondary, oD1;");
        Line(text, "MOV result.fogcoord.x, oFog.x;");
        for (int i = 0; i < vs11::TexCoordOutputCount; ++i)
            Line(text, "MOV result.texcoord[%d], %s;", i, texName(i).c_str());
    } else {
        Line(text, "MOV result.position, vertex.attrib[%d];", captureInput);
        for (int slot = 0; slot < CaptureGroupsPerPass; ++slot) {
            int group = capture * CaptureGroupsPerPass + slot;
            if (group >= CaptureGroupCount)
                break;
            std::string from;
            if (group == CapturePosition)
                from = "oPos";
            else if (group == CaptureColour0)
                from = "oD0";
            else if (group == CaptureColour1)
                from = "oD1";
            else if (group == CaptureFog)
                from = "oFog.xxxx";
            else
                from = texName(group - CaptureTexCoord0);
            Line(text, "MOV result.texcoord[%d], %s;", slot, from.c_str());
        }
        Line(text, "MOV result.color, k.x;");
    }
    text += "END\n";
    return text;
}

GLuint CompileProgram(GLenum target, const std::string& text, std::string& error)
{
    GLuint name = 0;
    Api.GenProgramsARB(1, &name);
    Api.BindProgramARB(target, name);
    while (Api.GetError() != GL_NO_ERROR) {
    }
    Api.ProgramStringARB(target, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(text.size()), text.data());
    if (Api.GetError() != GL_NO_ERROR) {
        GLint position = -1;
        Api.GetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &position);
        const char* message = reinterpret_cast<const char*>(Api.GetString(GL_PROGRAM_ERROR_STRING_ARB));
        error = (message ? message : "unknown error");
        error += " at " + std::to_string(position);
        Api.DeleteProgramsARB(1, &name);
        return 0;
    }
    return name;
}

} // namespace platform::gl

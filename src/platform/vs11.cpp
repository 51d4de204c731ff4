// The vs.1.1 assembler and the CPU evaluator of its programs.
#include "platform/vs11.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

namespace platform::vs11 {

namespace {

struct OpcodeInfo {
    Opcode opcode;
    const char* name;
    int sources;
    int slots;
};

constexpr OpcodeInfo Opcodes[] = {
    {Opcode::Mov, "mov", 1, 1}, {Opcode::Add, "add", 2, 1}, {Opcode::Sub, "sub", 2, 1},
    {Opcode::Mul, "mul", 2, 1}, {Opcode::Mad, "mad", 3, 1}, {Opcode::Dp3, "dp3", 2, 1},
    {Opcode::Dp4, "dp4", 2, 1}, {Opcode::Min, "min", 2, 1}, {Opcode::Max, "max", 2, 1},
    {Opcode::Rsq, "rsq", 1, 1}, {Opcode::Rcp, "rcp", 1, 1}, {Opcode::M4x4, "m4x4", 2, 4},
};

const OpcodeInfo& InfoOf(Opcode opcode) { return Opcodes[static_cast<int>(opcode)]; }

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

int ComponentOf(char letter)
{
    switch (std::tolower(static_cast<unsigned char>(letter))) {
    case 'x': case 'r': return 0;
    case 'y': case 'g': return 1;
    case 'z': case 'b': return 2;
    case 'w': case 'a': return 3;
    default: return -1;
    }
}

// Reads a decimal register number; -1 when there is none or it is too big.
int ParseNumber(std::string_view digits)
{
    if (digits.empty() || digits.size() > 3)
        return -1;
    int value = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

struct RegisterName {
    RegisterFile file;
    int index;
};

// Parses a register name without its component suffix; returns false
// with a message when it is not one.
bool ParseRegister(std::string_view name, RegisterName& out, std::string& what)
{
    if (EqualsNoCase(name, "oPos")) {
        out = {RegisterFile::Position, 0};
        return true;
    }
    if (EqualsNoCase(name, "oFog")) {
        out = {RegisterFile::Fog, 0};
        return true;
    }
    struct Prefix {
        const char* text;
        RegisterFile file;
        int count;
    };
    static constexpr Prefix Prefixes[] = {
        {"oD", RegisterFile::Colour, ColourOutputCount}, {"oT", RegisterFile::TexCoord, TexCoordOutputCount},
        {"v", RegisterFile::Input, InputCount},          {"r", RegisterFile::Temp, TempCount},
        {"c", RegisterFile::Constant, ConstantCount},
    };
    for (const Prefix& prefix : Prefixes) {
        std::string_view p = prefix.text;
        if (name.size() > p.size() && EqualsNoCase(name.substr(0, p.size()), p)) {
            int number = ParseNumber(name.substr(p.size()));
            if (number < 0)
                break;
            if (number >= prefix.count) {
                what = std::string("register out of range: ") + std::string(name);
                return false;
            }
            out = {prefix.file, number};
            return true;
        }
    }
    what = std::string("unknown register: ") + std::string(name);
    return false;
}

bool IsOutput(RegisterFile file)
{
    return file == RegisterFile::Position || file == RegisterFile::Fog || file == RegisterFile::Colour ||
           file == RegisterFile::TexCoord;
}

bool ParseDestination(std::string_view text, Destination& dest, std::string& what)
{
    size_t dot = text.find('.');
    std::string_view name = Trim(text.substr(0, dot));
    RegisterName reg{};
    if (!ParseRegister(name, reg, what))
        return false;
    if (reg.file == RegisterFile::Input || reg.file == RegisterFile::Constant) {
        what = std::string("cannot write to ") + std::string(name);
        return false;
    }
    dest.file = reg.file;
    dest.index = static_cast<uint8_t>(reg.index);
    dest.writeMask = reg.file == RegisterFile::Fog ? MaskX : MaskAll;
    if (dot == std::string_view::npos)
        return true;
    std::string_view letters = Trim(text.substr(dot + 1));
    if (letters.empty() || letters.size() > 4) {
        what = std::string("bad write mask: ") + std::string(text);
        return false;
    }
    uint8_t mask = 0;
    int previous = -1;
    for (char letter : letters) {
        int component = ComponentOf(letter);
        if (component <= previous) {
            what = std::string("bad write mask: ") + std::string(text);
            return false;
        }
        previous = component;
        mask = static_cast<uint8_t>(mask | (1 << component));
    }
    if (reg.file == RegisterFile::Fog && mask != MaskX) {
        what = "oFog takes only x";
        return false;
    }
    dest.writeMask = mask;
    return true;
}

bool ParseSource(std::string_view text, Source& src, std::string& what)
{
    text = Trim(text);
    src.negate = false;
    if (!text.empty() && text.front() == '-') {
        src.negate = true;
        text = Trim(text.substr(1));
    }
    size_t dot = text.find('.');
    std::string_view name = Trim(text.substr(0, dot));
    RegisterName reg{};
    if (!ParseRegister(name, reg, what))
        return false;
    if (IsOutput(reg.file)) {
        what = std::string("cannot read output ") + std::string(name);
        return false;
    }
    src.file = reg.file;
    src.index = static_cast<uint8_t>(reg.index);
    for (int i = 0; i < 4; ++i)
        src.swizzle[i] = static_cast<uint8_t>(i);
    if (dot == std::string_view::npos)
        return true;
    std::string_view letters = Trim(text.substr(dot + 1));
    if (letters.empty() || letters.size() > 4) {
        what = std::string("bad swizzle: ") + std::string(text);
        return false;
    }
    int last = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (i < letters.size()) {
            last = ComponentOf(letters[i]);
            if (last < 0) {
                what = std::string("bad swizzle: ") + std::string(text);
                return false;
            }
        }
        src.swizzle[i] = static_cast<uint8_t>(last);
    }
    return true;
}

// Components of source s that the instruction reads, as a mask over the
// register's own components.
uint8_t ComponentsRead(const Instruction& in, int s)
{
    const Source& src = in.src[s];
    auto take = [&](int from, int to) {
        uint8_t mask = 0;
        for (int i = from; i <= to; ++i)
            mask = static_cast<uint8_t>(mask | (1 << src.swizzle[i]));
        return mask;
    };
    switch (in.opcode) {
    case Opcode::Dp3: return take(0, 2);
    case Opcode::Dp4:
    case Opcode::M4x4: return take(0, 3);
    case Opcode::Rsq:
    case Opcode::Rcp: return take(3, 3);
    default: {
        uint8_t mask = 0;
        for (int i = 0; i < 4; ++i)
            if (in.dest.writeMask & (1 << i))
                mask = static_cast<uint8_t>(mask | (1 << src.swizzle[i]));
        return mask;
    }
    }
}

std::string LineMessage(int line, const std::string& what)
{
    return std::string("line ") + std::to_string(line) + ": " + what;
}

// What the assembler has learnt from the statements so far: the program
// taking shape and the facts its checks need.
struct Assembly {
    Program program;
    bool sawVersion = false;
    int slots = 0;
    uint8_t tempWritten[TempCount] = {}; // components of each temporary written so far
    bool positionWritten = false;
};

// One line of the text without its comment ("//" or ";") and outer blanks.
std::string_view StatementOf(std::string_view line)
{
    size_t comment = std::min(line.find("//"), line.find(';'));
    if (comment != std::string_view::npos)
        line = line.substr(0, comment);
    return Trim(line);
}

// The opcode written as the mnemonic, or nullptr when there is none.
const OpcodeInfo* FindOpcode(std::string_view mnemonic)
{
    for (const OpcodeInfo& candidate : Opcodes)
        if (EqualsNoCase(mnemonic, candidate.name))
            return &candidate;
    return nullptr;
}

// The operands between the commas, each without its outer blanks.
std::vector<std::string_view> SplitOperands(std::string_view operands)
{
    std::vector<std::string_view> parts;
    size_t from = 0;
    while (true) {
        size_t comma = operands.find(',', from);
        parts.push_back(Trim(operands.substr(from, comma == std::string_view::npos ? std::string_view::npos
                                                                                     : comma - from)));
        if (comma == std::string_view::npos)
            return parts;
        from = comma + 1;
    }
}

// Reads an instruction statement into `in`: its opcode, the operand count
// the opcode takes, the destination and the sources.
bool ParseInstruction(std::string_view statement, Instruction& in, std::string& what)
{
    size_t blank = 0;
    while (blank < statement.size() && !std::isspace(static_cast<unsigned char>(statement[blank])))
        ++blank;
    std::string_view mnemonic = statement.substr(0, blank);
    const OpcodeInfo* info = FindOpcode(mnemonic);
    if (!info) {
        what = std::string("unknown instruction: ") + std::string(mnemonic);
        return false;
    }
    std::vector<std::string_view> parts = SplitOperands(Trim(statement.substr(blank)));
    if (static_cast<int>(parts.size()) != info->sources + 1) {
        what = std::string(info->name) + " takes " + std::to_string(info->sources + 1) + " operands";
        return false;
    }
    in.opcode = info->opcode;
    in.sourceCount = static_cast<uint8_t>(info->sources);
    if (!ParseDestination(parts[0], in.dest, what))
        return false;
    for (int s = 0; s < info->sources; ++s)
        if (!ParseSource(parts[static_cast<size_t>(s) + 1], in.src[s], what))
            return false;
    return true;
}

// m4x4 reads its matrix from four constants in a row, unswizzled, and
// cannot write the temporary its vector comes from (the rows after the
// first would read the changed register).
bool CheckMatrixOperands(const Instruction& in, std::string& what)
{
    if (in.opcode != Opcode::M4x4)
        return true;
    const Source& matrix = in.src[1];
    bool plain = matrix.swizzle[0] == 0 && matrix.swizzle[1] == 1 && matrix.swizzle[2] == 2 &&
                 matrix.swizzle[3] == 3 && !matrix.negate;
    if (matrix.file != RegisterFile::Constant || !plain || matrix.index + 3 >= ConstantCount) {
        what = "m4x4 takes four constants c(n)..c(n+3) as its matrix";
        return false;
    }
    if (in.dest.file == RegisterFile::Temp && in.src[0].file == RegisterFile::Temp &&
        in.dest.index == in.src[0].index) {
        what = "m4x4 cannot write the register it reads";
        return false;
    }
    return true;
}

// Every temporary component the instruction reads must have been written
// by an earlier one.
bool CheckTempsWritten(const Instruction& in, const Assembly& assembly, std::string& what)
{
    for (int s = 0; s < in.sourceCount; ++s) {
        const Source& src = in.src[s];
        if (src.file != RegisterFile::Temp)
            continue;
        uint8_t missing = static_cast<uint8_t>(ComponentsRead(in, s) & ~assembly.tempWritten[src.index]);
        if (missing) {
            static constexpr char Letters[] = "xyzw";
            std::string which;
            for (int i = 0; i < 4; ++i)
                if (missing & (1 << i))
                    which += Letters[i];
            what = std::string("r") + std::to_string(src.index) + "." + which + " is read before it is written";
            return false;
        }
    }
    return true;
}

// Notes the inputs the instruction reads and the registers it writes.
void RecordRegisters(const Instruction& in, Assembly& assembly)
{
    Program& program = assembly.program;
    for (int s = 0; s < in.sourceCount; ++s)
        if (in.src[s].file == RegisterFile::Input)
            program.inputsRead |= 1u << in.src[s].index;
    switch (in.dest.file) {
    case RegisterFile::Temp: assembly.tempWritten[in.dest.index] |= in.dest.writeMask; break;
    case RegisterFile::Position: assembly.positionWritten = true; break;
    case RegisterFile::Fog: program.fogWritten = true; break;
    case RegisterFile::Colour: program.colourWritten |= static_cast<uint8_t>(1 << in.dest.index); break;
    case RegisterFile::TexCoord: program.texCoordWritten |= static_cast<uint8_t>(1 << in.dest.index); break;
    default: break;
    }
}

// Takes one statement (not empty): the version line first, then one
// instruction, checked and added to the program.
bool AssembleStatement(std::string_view statement, int lineNumber, Assembly& assembly, std::string& what)
{
    if (!assembly.sawVersion) {
        if (!EqualsNoCase(statement, "vs.1.1")) {
            what = "the text must begin with vs.1.1";
            return false;
        }
        assembly.sawVersion = true;
        return true;
    }
    Instruction in;
    in.line = lineNumber;
    if (!ParseInstruction(statement, in, what) || !CheckMatrixOperands(in, what) ||
        !CheckTempsWritten(in, assembly, what))
        return false;
    assembly.slots += InfoOf(in.opcode).slots;
    if (assembly.slots > MaxInstructionSlots) {
        what = "more than 128 instruction slots";
        return false;
    }
    RecordRegisters(in, assembly);
    assembly.program.code.push_back(in);
    return true;
}

} // namespace

int OpcodeSourceCount(Opcode opcode) { return InfoOf(opcode).sources; }
const char* OpcodeName(Opcode opcode) { return InfoOf(opcode).name; }
int OpcodeSlots(Opcode opcode) { return InfoOf(opcode).slots; }

int Assemble(std::string_view text, Program& program, std::string& error)
{
    Assembly assembly;
    error.clear();
    int lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view statement = StatementOf(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        std::string what;
        if (!statement.empty() && !AssembleStatement(statement, lineNumber, assembly, what)) {
            error = LineMessage(lineNumber, what);
            return 0;
        }
    }
    if (!assembly.sawVersion) {
        error = LineMessage(1, "the text must begin with vs.1.1");
        return 0;
    }
    if (!assembly.positionWritten) {
        error = LineMessage(lineNumber, "oPos is never written");
        return 0;
    }
    program = std::move(assembly.program);
    return 1;
}

std::string Disassemble(const Program& program)
{
    static constexpr char Letters[] = "xyzw";
    std::string text = "vs.1.1\n";
    auto registerName = [](RegisterFile file, int index) -> std::string {
        switch (file) {
        case RegisterFile::Input: return std::string("v") + std::to_string(index);
        case RegisterFile::Temp: return std::string("r") + std::to_string(index);
        case RegisterFile::Constant: return std::string("c") + std::to_string(index);
        case RegisterFile::Position: return "oPos";
        case RegisterFile::Fog: return "oFog";
        case RegisterFile::Colour: return std::string("oD") + std::to_string(index);
        case RegisterFile::TexCoord: return std::string("oT") + std::to_string(index);
        }
        return "?";
    };
    for (const Instruction& in : program.code) {
        text += OpcodeName(in.opcode);
        text += ' ';
        text += registerName(in.dest.file, in.dest.index);
        if (in.dest.writeMask != MaskAll && in.dest.file != RegisterFile::Fog) {
            text += '.';
            for (int i = 0; i < 4; ++i)
                if (in.dest.writeMask & (1 << i))
                    text += Letters[i];
        }
        for (int s = 0; s < in.sourceCount; ++s) {
            const Source& src = in.src[s];
            text += ',';
            if (src.negate)
                text += '-';
            text += registerName(src.file, src.index);
            bool identity = src.swizzle[0] == 0 && src.swizzle[1] == 1 && src.swizzle[2] == 2 && src.swizzle[3] == 3;
            if (!identity) {
                text += '.';
                for (int i = 0; i < 4; ++i)
                    text += Letters[src.swizzle[i]];
            }
        }
        text += '\n';
    }
    return text;
}

namespace {

float Component(const Vec4& v, int i)
{
    switch (i) {
    case 0: return v.x;
    case 1: return v.y;
    case 2: return v.z;
    default: return v.w;
    }
}

void SetComponent(Vec4& v, int i, float value)
{
    switch (i) {
    case 0: v.x = value; break;
    case 1: v.y = value; break;
    case 2: v.z = value; break;
    default: v.w = value; break;
    }
}

float Clamp01(float value) { return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value); }

struct Machine {
    const VertexInputs& inputs;
    const Vec4* constants;
    Vec4 temps[TempCount];
    VertexOutputs& out;

    Vec4 Fetch(const Source& src) const
    {
        const Vec4* reg = nullptr;
        switch (src.file) {
        case RegisterFile::Input: reg = &inputs.v[src.index]; break;
        case RegisterFile::Temp: reg = &temps[src.index]; break;
        case RegisterFile::Constant: reg = &constants[src.index]; break;
        default: return Vec4{};
        }
        Vec4 value;
        for (int i = 0; i < 4; ++i) {
            float c = Component(*reg, src.swizzle[i]);
            SetComponent(value, i, src.negate ? -c : c);
        }
        return value;
    }

    void Store(const Destination& dest, const Vec4& value)
    {
        Vec4* reg = nullptr;
        switch (dest.file) {
        case RegisterFile::Temp: reg = &temps[dest.index]; break;
        case RegisterFile::Position: reg = &out.position; break;
        case RegisterFile::Colour: reg = &out.colour[dest.index]; break;
        case RegisterFile::TexCoord: reg = &out.texCoord[dest.index]; break;
        case RegisterFile::Fog: out.fog = value.x; return;
        default: return;
        }
        for (int i = 0; i < 4; ++i)
            if (dest.writeMask & (1 << i))
                SetComponent(*reg, i, Component(value, i));
    }
};

Vec4 PerComponent(const Vec4& a, const Vec4& b, float (*f)(float, float))
{
    return {f(a.x, b.x), f(a.y, b.y), f(a.z, b.z), f(a.w, b.w)};
}

Vec4 Splat(float value) { return {value, value, value, value}; }

float Dot3(const Vec4& a, const Vec4& b)
{
    float sum = a.x * b.x;
    sum = sum + a.y * b.y;
    return sum + a.z * b.z;
}

float Dot4(const Vec4& a, const Vec4& b) { return Dot3(a, b) + a.w * b.w; }

} // namespace

void Evaluate(const Program& program, const VertexInputs& inputs, const Vec4* constants, VertexOutputs& outputs)
{
    outputs = VertexOutputs{};
    Machine m{inputs, constants, {}, outputs};
    constexpr float Infinity = std::numeric_limits<float>::infinity();
    for (const Instruction& in : program.code) {
        Vec4 a = m.Fetch(in.src[0]);
        Vec4 b = in.sourceCount > 1 ? m.Fetch(in.src[1]) : Vec4{};
        Vec4 result;
        switch (in.opcode) {
        case Opcode::Mov: result = a; break;
        case Opcode::Add: result = PerComponent(a, b, [](float x, float y) { return x + y; }); break;
        case Opcode::Sub: result = PerComponent(a, b, [](float x, float y) { return x - y; }); break;
        case Opcode::Mul: result = PerComponent(a, b, [](float x, float y) { return x * y; }); break;
        case Opcode::Mad: {
            Vec4 c = m.Fetch(in.src[2]);
            Vec4 product = PerComponent(a, b, [](float x, float y) { return x * y; });
            result = PerComponent(product, c, [](float x, float y) { return x + y; });
            break;
        }
        case Opcode::Dp3: result = Splat(Dot3(a, b)); break;
        case Opcode::Dp4: result = Splat(Dot4(a, b)); break;
        case Opcode::Min: result = PerComponent(a, b, [](float x, float y) { return x < y ? x : y; }); break;
        case Opcode::Max: result = PerComponent(a, b, [](float x, float y) { return x >= y ? x : y; }); break;
        case Opcode::Rsq: {
            float x = std::fabs(a.w);
            result = Splat(x == 0.0f ? Infinity : 1.0f / std::sqrt(x));
            break;
        }
        case Opcode::Rcp: {
            float x = a.w;
            result = Splat(x == 0.0f ? Infinity : 1.0f / x);
            break;
        }
        case Opcode::M4x4: {
            const Vec4* rows = constants + in.src[1].index;
            result = {Dot4(a, rows[0]), Dot4(a, rows[1]), Dot4(a, rows[2]), Dot4(a, rows[3])};
            break;
        }
        }
        m.Store(in.dest, result);
    }
    for (Vec4& colour : outputs.colour)
        colour = {Clamp01(colour.x), Clamp01(colour.y), Clamp01(colour.z), Clamp01(colour.w)};
    outputs.fog = Clamp01(outputs.fog);
}

} // namespace platform::vs11

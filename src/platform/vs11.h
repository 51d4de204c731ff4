// Vertex shaders written as "vs.1.1" text: our own assembler turns the
// text into a checked instruction list, which the OpenGL back end
// translates into a vertex program and the CPU evaluator below runs for the
// null device and for tests.
//
// The assembler takes the vs.1.1 subset the drawing code writes:
// - a first statement "vs.1.1" (blanks and empty lines are allowed
//   anywhere, "//" and ";" start comments, statements end at a newline);
// - instructions mov, add, sub, mul, mad, dp3, dp4, min, max, rsq, rcp and
//   m4x4, written "op dest,src[,src[,src]]" with optional blanks;
// - registers: inputs v0..v15, temporaries r0..r11, constants c0..c95;
//   outputs oPos, oD0, oD1, oT0..oT7 and oFog (a scalar: written as oFog or
//   oFog.x);
// - a destination write mask of x, y, z, w in that order (".xyz", ".w");
//   source swizzles of one to four of x, y, z, w (the last repeats to fill
//   four: ".x" = ".xxxx", ".xyz" = ".xyzz") and a source negation "-".
// It checks: a known opcode with the right operand count, register numbers
// in range, outputs only as destinations, no output read back, every
// temporary component read only after it was written, oPos written, and at
// most 128 instruction slots (m4x4 takes four). Unlike the reference
// assembler it lets one instruction read several inputs or constants.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::vs11 {

enum class Opcode : uint8_t {
    Mov, Add, Sub, Mul, Mad, Dp3, Dp4, Min, Max, Rsq, Rcp, M4x4,
};

enum class RegisterFile : uint8_t {
    Input,     // v0..v15
    Temp,      // r0..r11
    Constant,  // c0..c95
    Position,  // oPos
    Fog,       // oFog (scalar, component x)
    Colour,    // oD0, oD1
    TexCoord,  // oT0..oT7
};

constexpr int InputCount = 16;
constexpr int TempCount = 12;
constexpr int ConstantCount = 96;
constexpr int ColourOutputCount = 2;
constexpr int TexCoordOutputCount = 8;
constexpr int MaxInstructionSlots = 128;

// Write-mask bits.
constexpr uint8_t MaskX = 1, MaskY = 2, MaskZ = 4, MaskW = 8, MaskAll = 15;

struct Destination {
    RegisterFile file = RegisterFile::Temp;
    uint8_t index = 0;
    uint8_t writeMask = MaskAll; // oFog: MaskX
};

struct Source {
    RegisterFile file = RegisterFile::Temp;
    uint8_t index = 0;
    uint8_t swizzle[4] = {0, 1, 2, 3}; // component read for x, y, z, w (0..3)
    bool negate = false;
};

struct Instruction {
    Opcode opcode = Opcode::Mov;
    Destination dest;
    Source src[3];
    uint8_t sourceCount = 0;
    int line = 0; // 1-based line of the text, for messages
};

struct Program {
    uint32_t version = 0xFFFE0101; // vs.1.1
    std::vector<Instruction> code;
    // Registers the program reads and writes, as bit sets by number.
    uint32_t inputsRead = 0;      // bit n: vn
    uint8_t colourWritten = 0;    // bit n: oDn
    uint8_t texCoordWritten = 0;  // bit n: oTn
    bool fogWritten = false;
};

// Number of source operands the opcode takes.
int OpcodeSourceCount(Opcode opcode);
// The opcode as written ("mov", "m4x4").
const char* OpcodeName(Opcode opcode);
// Instruction slots the opcode takes (m4x4: 4, the others 1).
int OpcodeSlots(Opcode opcode);

// Assembles the text. Returns 1 and fills the program on success; returns
// 0 and sets error to "line N: what" (the first fault found) otherwise.
int Assemble(std::string_view text, Program& program, std::string& error);

// Writes the program back as vs.1.1 text, one instruction a line (for
// messages and tests; assembling the result gives the same program).
std::string Disassemble(const Program& program);

// ---------------------------------------------------------------------------
// CPU evaluation of one vertex.

struct Vec4 {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
};

struct VertexInputs {
    Vec4 v[InputCount];   // missing inputs should be (0, 0, 0, 1)
    uint32_t present = 0; // bit n: vn is supplied (informational)
};

struct VertexOutputs {
    Vec4 position;                       // oPos, clip space
    Vec4 colour[ColourOutputCount];      // oD0, oD1, clamped to 0..1
    Vec4 texCoord[TexCoordOutputCount];  // oT0..oT7
    float fog = 1.0f;                    // oFog, clamped to 0..1 (1 when not written)
};

// Runs the program for one vertex. constants holds ConstantCount registers.
// Unwritten outputs are (0, 0, 0, 0), except fog (1). rsq and rcp take the
// scalar of their source's fourth swizzled component (".x" reads x, no
// swizzle reads w); rsq uses its absolute value; both give +infinity for 0
// and write the result to every component of the mask.
void Evaluate(const Program& program, const VertexInputs& inputs, const Vec4* constants,
              VertexOutputs& outputs);

} // namespace platform::vs11

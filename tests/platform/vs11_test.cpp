// The vs.1.1 assembler's acceptance and refusals, and the CPU evaluator
// against hand-computed results.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/vs11.h"

using namespace platform::vs11;

namespace {

Program MustAssemble(const std::string& text)
{
    Program program;
    std::string error;
    EXPECT_EQ(Assemble(text, program, error), 1) << error << "\n" << text;
    return program;
}

struct ShaderRun {
    VertexInputs inputs;
    Vec4 constants[ConstantCount];
    VertexOutputs outputs;

    ShaderRun()
    {
        for (Vec4& v : inputs.v)
            v = {0, 0, 0, 1};
    }
    void Go(const std::string& text) { Evaluate(MustAssemble(text), inputs, constants, outputs); }
};

} // namespace

TEST(Vs11AssembleTest, AcceptsTheWrittenForms)
{
    // Blanks after commas, an empty line, a scalar fog output, negation,
    // two inputs in one instruction and comments.
    Program program = MustAssemble("vs.1.1\n"
                                   "m4x4 r0,v0,c0\n"
                                   "mov oPos,r0\n"
                                   "mad oFog,r0.z,c90.x,c90.y\n"
                                   "\n"
                                   "add oD0,v6,v6 // doubled specular\n"
                                   "sub oD1.xyz, r0.xyz, -v5.xyz ; comment\n"
                                   "mov oT0.w, c92.x\n");
    ASSERT_EQ(program.code.size(), 6u);
    EXPECT_EQ(program.code[0].opcode, Opcode::M4x4);
    EXPECT_EQ(program.code[2].dest.file, RegisterFile::Fog);
    EXPECT_EQ(program.code[2].dest.writeMask, MaskX);
    EXPECT_EQ(program.code[2].src[0].swizzle[0], 2); // r0.z replicated
    EXPECT_EQ(program.code[2].src[2].swizzle[3], 1); // c90.y replicated
    EXPECT_TRUE(program.code[4].src[1].negate);
    // ".xyz" as a source fills the fourth component with its last letter.
    EXPECT_EQ(program.code[4].src[0].swizzle[3], 2);
    EXPECT_EQ(program.code[5].dest.writeMask, MaskW);
    EXPECT_EQ(program.inputsRead, (1u << 0) | (1u << 5) | (1u << 6));
    EXPECT_EQ(program.colourWritten, 3);
    EXPECT_EQ(program.texCoordWritten, 1);
    EXPECT_TRUE(program.fogWritten);
    // Written back and assembled again it is the same program.
    Program again = MustAssemble(Disassemble(program));
    EXPECT_EQ(Disassemble(again), Disassemble(program));
}

TEST(Vs11AssembleTest, RefusesFaultyText)
{
    struct Case {
        const char* text;
        const char* message; // part of the error
    };
    const Case cases[] = {
        {"m4x4 oPos,v0,c0\n", "line 1: the text must begin with vs.1.1"},
        {"vs.1.1\nfoo oPos,v0\n", "line 2: unknown instruction: foo"},
        {"vs.1.1\nmov oPos\n", "mov takes 2 operands"},
        {"vs.1.1\nmov oPos,v16\n", "register out of range: v16"},
        {"vs.1.1\nmov oPos,c96\n", "register out of range: c96"},
        {"vs.1.1\nmov oPos,x1\n", "unknown register: x1"},
        {"vs.1.1\nmov oPos,v0\nmov r0,oPos\n", "cannot read output oPos"},
        {"vs.1.1\nmov v1,v0\nmov oPos,v0\n", "cannot write to v1"},
        {"vs.1.1\nmov r1.x,v0\nmov oPos,r1\n", "r1.yzw is read before it is written"},
        {"vs.1.1\nmov oD0,v5\n", "oPos is never written"},
        {"vs.1.1\nm4x4 oPos,v0,r1\n", "m4x4 takes four constants"},
        {"vs.1.1\nm4x4 oPos,v0,c93\n", "m4x4 takes four constants"},
        {"vs.1.1\nmov r0,v0\nm4x4 r0,r0,c0\nmov oPos,r0\n", "cannot write the register it reads"},
        {"vs.1.1\nmov oFog.y,v0\nmov oPos,v0\n", "oFog takes only x"},
        {"vs.1.1\nmov r0.yx,v0\nmov oPos,v0\n", "bad write mask"},
        {"vs.1.1\nmov oPos,v0.q\n", "bad swizzle"},
    };
    for (const Case& c : cases) {
        Program program;
        std::string error;
        EXPECT_EQ(Assemble(c.text, program, error), 0) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " gave: " << error;
    }
    // 32 m4x4 are 128 slots; one more instruction is too many.
    std::string text = "vs.1.1\n";
    for (int i = 0; i < 32; ++i)
        text += "m4x4 oPos,v0,c0\n";
    Program program;
    std::string error;
    EXPECT_EQ(Assemble(text, program, error), 1) << error;
    EXPECT_EQ(Assemble(text + "mov oD0,v5\n", program, error), 0);
    EXPECT_NE(error.find("more than 128 instruction slots"), std::string::npos) << error;
}

TEST(Vs11EvaluateTest, MatrixTransformIsRowTimesColumnsOfTheTransposedMatrix)
{
    ShaderRun run;
    // c0..c3 hold the transposed matrix: oPos.x = v0 . c0, and so on.
    run.constants[0] = {1, 2, 3, 4};
    run.constants[1] = {0, 1, 0, 0};
    run.constants[2] = {0, 0, 2, 0};
    run.constants[3] = {0, 0, 0, 1};
    run.inputs.v[0] = {1, 1, 1, 1};
    run.Go("vs.1.1\nm4x4 oPos,v0,c0\n");
    EXPECT_FLOAT_EQ(run.outputs.position.x, 10.0f);
    EXPECT_FLOAT_EQ(run.outputs.position.y, 1.0f);
    EXPECT_FLOAT_EQ(run.outputs.position.z, 2.0f);
    EXPECT_FLOAT_EQ(run.outputs.position.w, 1.0f);
}

TEST(Vs11EvaluateTest, ArithmeticMasksSwizzlesAndClamps)
{
    ShaderRun run;
    run.inputs.v[0] = {1, 2, 3, 1};
    run.inputs.v[3] = {0.0f, 0.6f, 0.8f, 0.0f};
    run.inputs.v[5] = {0.5f, 0.25f, 1.0f, 0.5f};
    run.constants[10] = {0.0f, 1.0f, 0.0f, 0.0f};
    run.constants[90] = {-0.5f, 2.0f, 0.5f, 0.0f};
    run.constants[95] = {0, 0, 0, 0};
    run.Go("vs.1.1\n"
           "mov oPos,v0\n"
           "dp3 r3.x,v3,c10\n"             // 0.6
           "max r3.x,r3.x,c95\n"           // 0.6
           "mul r4.xyz,v5.xyz,r3.x\n"      // (0.3, 0.15, 0.6)
           "mad r4.w,v5.w,c90.y,-r3.x\n"   // 0.5 * 2 - 0.6 = 0.4
           "mov oD0,r4\n"
           "add oD1,v5,v5\n"               // (1, 0.5, 2 -> 1, 1)
           "mov r5.w,v0.z\n"
           "rsq r6.x,r5.w\n"               // 1 / sqrt(3)
           "min oT0,v0,v5.w\n"             // (0.5, 0.5, 0.5, 0.5)
           "sub oT1.xy,v0.yx,v0\n"         // (1, -1, 0, 0)
           "mov oT2,r6.x\n"
           "mad oFog,v0.z,c90.x,c90.y\n"); // 3 * -0.5 + 2 = 0.5
    const VertexOutputs& o = run.outputs;
    EXPECT_FLOAT_EQ(o.colour[0].x, 0.3f);
    EXPECT_FLOAT_EQ(o.colour[0].y, 0.15f);
    EXPECT_FLOAT_EQ(o.colour[0].z, 0.6f);
    EXPECT_NEAR(o.colour[0].w, 0.4f, 1e-6f);
    EXPECT_FLOAT_EQ(o.colour[1].x, 1.0f);
    EXPECT_FLOAT_EQ(o.colour[1].y, 0.5f);
    EXPECT_FLOAT_EQ(o.colour[1].z, 1.0f); // clamped from 2
    EXPECT_FLOAT_EQ(o.texCoord[0].x, 0.5f);
    EXPECT_FLOAT_EQ(o.texCoord[0].w, 0.5f);
    EXPECT_FLOAT_EQ(o.texCoord[1].x, 1.0f);
    EXPECT_FLOAT_EQ(o.texCoord[1].y, -1.0f);
    EXPECT_FLOAT_EQ(o.texCoord[1].z, 0.0f); // not written
    EXPECT_FLOAT_EQ(o.texCoord[2].y, 1.0f / std::sqrt(3.0f));
    EXPECT_FLOAT_EQ(o.fog, 0.5f);
}

TEST(Vs11EvaluateTest, ReciprocalsOfZeroAreInfiniteAndRsqTakesTheMagnitude)
{
    ShaderRun run;
    run.inputs.v[0] = {0.0f, -4.0f, 0.0f, 4.0f};
    run.Go("vs.1.1\nmov oPos,v0\nrsq oT0,v0.x\nrsq oT1,v0.y\nrsq oT2,v0\nrcp oT3,v0.x\nrcp oT4,v0.y\n");
    EXPECT_TRUE(std::isinf(run.outputs.texCoord[0].x));
    EXPECT_FLOAT_EQ(run.outputs.texCoord[1].x, 0.5f); // |-4|
    EXPECT_FLOAT_EQ(run.outputs.texCoord[2].z, 0.5f); // no swizzle reads w
    EXPECT_TRUE(std::isinf(run.outputs.texCoord[3].w));
    EXPECT_FLOAT_EQ(run.outputs.texCoord[4].y, -0.25f);
}

// The run-time vertex shaders: their texts, that every one assembles, their
// results on the CPU against hand-computed lighting, fog and reflection,
// the cache, and the fall-back to the fixed pipeline.
#include <cstring>

#include "graphics_fixture.h"
#include "platform/message_box.h"
#include "platform/vs11.h"

using namespace platform;

namespace {

std::vector<std::string> Boxes;

int CaptureBox(MessageBoxKind, const char* caption, const char* text)
{
    Boxes.push_back(std::string(caption) + " | " + text);
    return MessageBoxOk;
}

class VertexShaderTest : public GraphicsTest {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        Boxes.clear();
        SetMessageBoxBackEnd(CaptureBox);
    }
    void TearDown() override
    {
        SetMessageBoxBackEnd(nullptr);
        GraphicsTest::TearDown();
    }
};

const std::string Header = "vs.1.1\nm4x4 oPos,v0,c0\n";
const std::string FogHeader = "vs.1.1\nm4x4 r0,v0,c0\nmov oPos,r0\nmad oFog,r0.z,c90.x,c90.y\n";
const std::string Hemisphere = "dp3 r0.x,v3,c7\nmov r1,c8\nmad r2.xyzw,r0.x,c9,r1\n";

vs11::Program AssembleKind(int kind, int prelit, int doubled, bool fog)
{
    vs11::Program program;
    std::string error;
    std::string text = BuildVertexShaderText(kind, prelit, doubled, fog);
    EXPECT_EQ(vs11::Assemble(text, program, error), 1) << kind << " " << prelit << doubled << fog << ": " << error;
    return program;
}

} // namespace

TEST_F(VertexShaderTest, TextsAsWritten)
{
    struct Case {
        int kind, prelit, doubled;
        bool fog;
        std::string text;
    };
    const Case cases[] = {
        {0, 1, 0, false, Header + "mov oD0,v5\nmov oT0,v8\n"},
        {5, 1, 0, true, FogHeader + "mov oD0,v6\n"},
        {5, 0, 0, true, FogHeader + Hemisphere + "mul oD0.xyz,v5,r2\n\nmov oD0.w,c92.w\n"},
        {7, 0, 1, false, Header + Hemisphere + "mul r2,v5,r2\nadd oD0.xyz,r2,r2\nmov oD0.w,c92.w\nmov oT0,v8\n"},
        {1, 1, 1, true, FogHeader + "mov r2,v5\nsub oD0.xyz, r2.xyz, v6.xyz\nmov oD0.w,v5.w\nadd oD1.xyz,v6,v6\n"
                                    "m4x4 oT0,v0,c80\n"},
        {1, 0, 0, false, Header + "dp3 r3.x,v3,c10\nmax r3.x,r3.x,c95\nmul r4.xyz,c6.xyz,r3.x\n"
                                  "mul oD0.xyz,r4.xyz,v5.xyz\nmov oD0.w,v5.w\n" +
                              Hemisphere + "mul oD1.xyz,v5,r2\nmov oD1.w,c92.w\nm4x4 oT0,v0,c80\n"},
        {14, 0, 0, true, "vs.1.1\nm4x4 oPos,v0,c80\nmov oFog,c95.x\nmov oT0,c95\nmov oD0,c84\n"},
        {14, 1, 1, false, "vs.1.1\nm4x4 oPos,v0,c80\nmov oT0,c95\nmov oD0,c84\n"},
        {15, 0, 0, false, Header + "m4x4 oT0,v0,c80\nmov oD0,c92\n"},
        {17, 0, 0, false, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildVertexShaderText(c.kind, c.prelit, c.doubled, c.fog), c.text)
            << "kind " << c.kind << " prelit " << c.prelit << " doubled " << c.doubled << " fog " << c.fog;
    // The fog variant of Hemi(1) writes only x, y and z of oD1; of Hemi(0) all of oD0.
    EXPECT_NE(BuildVertexShaderText(11, 1, 0, true).find("mov oD1.xyz,v6\n"), std::string::npos);
    EXPECT_EQ(ShaderVertexType(0, 1), 10);
    EXPECT_EQ(ShaderVertexType(0, 0), 4);
    EXPECT_EQ(ShaderVertexType(8, 1), 1);
}

TEST_F(VertexShaderTest, EveryKindAndVariantAssembles)
{
    for (int kind = 0; kind < ShaderKindCount; ++kind)
        for (int variant = 0; variant < 4; ++variant)
            for (bool fog : {false, true}) {
                std::string text = BuildVertexShaderText(kind, variant & 1, variant >> 1, fog);
                if (kind > 16) {
                    EXPECT_TRUE(text.empty());
                    continue;
                }
                vs11::Program program = AssembleKind(kind, variant & 1, variant >> 1, fog);
                EXPECT_EQ(program.fogWritten, fog) << kind;
            }
}

TEST_F(VertexShaderTest, DeclarationFromAFormat)
{
    std::vector<GfxVertexElement> declaration = BuildVertexDeclaration(0x1C2);
    ASSERT_EQ(declaration.size(), 4u);
    EXPECT_EQ(declaration[0].inputRegister, 0);
    EXPECT_EQ(declaration[0].type, GfxElementType::Float3);
    EXPECT_EQ(declaration[1].inputRegister, 5);
    EXPECT_EQ(declaration[1].type, GfxElementType::Colour);
    EXPECT_EQ(declaration[2].inputRegister, 6);
    EXPECT_EQ(declaration[3].inputRegister, 8);
    EXPECT_EQ(declaration[3].type, GfxElementType::Float2);
    for (const GfxVertexElement& element : declaration)
        EXPECT_EQ(element.stream, 0);
    std::vector<GfxVertexElement> screen = BuildVertexDeclaration(0x144);
    EXPECT_EQ(screen[0].type, GfxElementType::Float4);
    EXPECT_EQ(BuildVertexDeclaration(0x212).size(), 4u); // position, normal, two pairs
}

// Kind 0 lights by sun and hemisphere: oD0 = v5 x (max(n.sun, 0) x sun
// colour + (n.up) x half difference + mean), computed here by hand. The
// draw goes through the device, so the declaration's register mapping of
// the 36-byte vertex is part of the check.
TEST_F(VertexShaderTest, LitKindOnTheDeviceMatchesTheLightingByHand)
{
    CreateDevice(1);
    SetFogRange(0x000000, 10.0f, 110.0f);
    // The scene start loads the default light; this light replaces it.
    BeginDeviceScene();
    GfxMatrix identity = GfxIdentityMatrix();
    Gfx.device->SetVertexShaderConstant(0, &identity.m[0][0], 4);
    const float sunColour[4] = {0.5f, 0.5f, 0.5f, 0.0f}, up[4] = {0, 0, 1, 0}, mean[4] = {0.2f, 0.2f, 0.2f, 1.0f},
                half[4] = {0.1f, 0.0f, -0.1f, 0.0f}, sun[4] = {0.0f, 0.6f, 0.8f, 0.0f};
    Gfx.device->SetVertexShaderConstant(6, sunColour, 1);
    Gfx.device->SetVertexShaderConstant(7, up, 1);
    Gfx.device->SetVertexShaderConstant(8, mean, 1);
    Gfx.device->SetVertexShaderConstant(9, half, 1);
    Gfx.device->SetVertexShaderConstant(10, sun, 1);

    VertexBufferEntry* vertices = NewVertexBuffer(4, 8, 3);
    IndexBufferEntry* indices = NewIndexBuffer(false, 8, 3);
    ASSERT_NE(vertices, nullptr);
    struct {
        float x, y, z, nx, ny, nz;
        uint32_t colour;
        float u, v;
    } vertex[3] = {{1, 2, 60, 0, 0, 1, 0xCC80FF40, 0.25f, 0.75f},
                   {0, 0, 10, 0, 0, 1, 0xCC80FF40, 0, 0},
                   {0, 0, 110, 0, -1, 0, 0xCC80FF40, 0, 0}};
    static_assert(sizeof vertex[0] == 36);
    std::memcpy(LockVertexBuffer(vertices, 0, 0, 3), vertex, sizeof vertex);
    UnlockVertexBuffer(vertices);
    const uint16_t order[3] = {0, 1, 2};
    std::memcpy(LockIndexBuffer(indices, 0, 0, 3), order, sizeof order);
    UnlockIndexBuffer(indices);

    SelectVertexShader(0, 0, 0);
    SetStreamVertexBuffer(vertices);
    SetIndexBufferSource(indices, 0);
    Gfx.device->DrawIndexedPrimitive(PrimTriangleList, 0, 3, 0, 1);
    EndDeviceScene();

    const GfxCall* draw = Calls(GfxCallKind::DrawIndexedPrimitive).at(0);
    std::vector<vs11::VertexOutputs> out;
    ASSERT_TRUE(NullGfxEvaluateDraw(*draw, out));
    ASSERT_EQ(out.size(), 3u);
    // Colour bytes 0xCC80FF40: r 128/255, g 1, b 64/255, a 204/255.
    float r = 128.0f / 255.0f, b = 64.0f / 255.0f;
    // n = (0, 0, 1): n.sun 0.8, n.up 1: light (0.8 x 0.5 + 0.1 + 0.2, 0.4 + 0 + 0.2, 0.4 - 0.1 + 0.2).
    EXPECT_NEAR(out[0].colour[0].x, 0.7f * r, 1e-6f);
    EXPECT_NEAR(out[0].colour[0].y, 0.6f, 1e-6f);
    EXPECT_NEAR(out[0].colour[0].z, 0.5f * b, 1e-6f);
    EXPECT_NEAR(out[0].colour[0].w, 0.8f, 1e-6f);
    EXPECT_FLOAT_EQ(out[0].texCoord[0].x, 0.25f);
    EXPECT_FLOAT_EQ(out[0].texCoord[0].y, 0.75f);
    EXPECT_FLOAT_EQ(out[0].position.x, 1.0f);
    EXPECT_FLOAT_EQ(out[0].position.z, 60.0f);
    // Fog: (end - z) / (end - start): half way at 60, none at 10, full at 110.
    EXPECT_NEAR(out[0].fog, 0.5f, 1e-6f);
    EXPECT_NEAR(out[1].fog, 1.0f, 1e-6f);
    EXPECT_NEAR(out[2].fog, 0.0f, 1e-6f);
    // n = (0, -1, 0): the sun is behind (clamped to 0), n.up 0: only the mean.
    EXPECT_NEAR(out[2].colour[0].x, 0.2f * r, 1e-6f);
    EXPECT_NEAR(out[2].colour[0].y, 0.2f, 1e-6f);
    EXPECT_TRUE(NullGfxFaults().empty()) << NullGfxFaults()[0];
    FreeVertexBuffer(vertices);
    FreeIndexBuffer(indices);
}

TEST_F(VertexShaderTest, ReflectionAndShadowCasterByHand)
{
    vs11::Vec4 c[vs11::ConstantCount];
    for (int i = 0; i < 4; ++i) {
        c[i] = {i == 0 ? 1.0f : 0.0f, i == 1 ? 1.0f : 0.0f, i == 2 ? 1.0f : 0.0f, i == 3 ? 1.0f : 0.0f};
        c[31 + i] = c[i];
        c[80 + i] = {2.0f * (i == 0), 2.0f * (i == 1), 2.0f * (i == 2), 1.0f * (i == 3)};
    }
    c[30] = {0, 0, -2, 1};   // eye in object space
    c[35] = {1, 1, 1, 1};
    c[84] = {0.1f, 0.2f, 0.3f, 0.4f};
    c[92] = {1, 1, 1, 1};
    c[95] = {0, 0, 0, 0};
    vs11::VertexInputs in;
    for (vs11::Vec4& v : in.v)
        v = {0, 0, 0, 1};
    in.v[3] = {0, 0, -1, 0}; // facing the eye
    in.v[5] = {0.5f, 0.5f, 0.5f, 1};
    vs11::VertexOutputs out;

    // The view ray (0, 0, 1) bounces off the normal (0, 0, -1) straight back.
    vs11::Evaluate(AssembleKind(8, 0, 0, false), in, c, out);
    EXPECT_FLOAT_EQ(out.texCoord[0].x, 0.0f);
    EXPECT_FLOAT_EQ(out.texCoord[0].z, -1.0f);
    EXPECT_FLOAT_EQ(out.texCoord[0].w, 1.0f);
    EXPECT_FLOAT_EQ(out.colour[0].x, 0.5f);

    // Kind 14 places by c80..c83 and colours flat with c84.
    in.v[0] = {1, 2, 3, 1};
    vs11::Evaluate(AssembleKind(14, 0, 0, true), in, c, out);
    EXPECT_FLOAT_EQ(out.position.x, 2.0f);
    EXPECT_FLOAT_EQ(out.position.z, 6.0f);
    EXPECT_FLOAT_EQ(out.colour[0].y, 0.2f);
    EXPECT_FLOAT_EQ(out.fog, 0.0f);
}

TEST_F(VertexShaderTest, BuiltOncePerKindAndVariantAndSetOnlyWhenItChanges)
{
    CreateDevice();
    SelectVertexShader(3, 0, 1);
    SelectVertexShader(3, 0, 1);
    SelectVertexShader(3, 1, 1);
    SelectVertexShader(3, 0, 1);
    EXPECT_EQ(Count(GfxCallKind::CreateVertexShader), 2);
    EXPECT_EQ(Count(GfxCallKind::SetVertexShader), 3);
    EXPECT_EQ(DeviceState().liveShaders, 2);
    SetVertexShaderCached(0x142);
    SetVertexShaderCached(0x142);
    EXPECT_EQ(Count(GfxCallKind::SetVertexShader), 4);

    DeleteVertexShaders();
    EXPECT_EQ(Count(GfxCallKind::DeleteVertexShader), 2);
    EXPECT_EQ(DeviceState().liveShaders, 0);
    SelectVertexShader(3, 0, 1);
    EXPECT_EQ(Count(GfxCallKind::CreateVertexShader), 3);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(VertexShaderTest, AShaderThatCannotBeMadeFallsBackToItsVertexFormat)
{
    NullGfxConfig config = DefaultNullGfxConfig();
    config.failCreateVertexShader = true;
    SetNullGfxConfig(config);
    CreateDevice();
    SelectVertexShader(0, 0, 0);
    SelectVertexShader(0, 0, 0);
    EXPECT_EQ(Described(GfxCallKind::SetVertexShader), std::vector<std::string>{"SetVertexShader 338"}); // 0x152
    EXPECT_EQ(Boxes, std::vector<std::string>{"Could not create vertex shader | D3DERR_INVALIDCALL"});
    SelectVertexShader(8, 1, 0);
    EXPECT_EQ(VertexShaderTable.handles[8][1], 0x052u); // vertex type 1

    Boxes.clear();
    EXPECT_EQ(AssembleVertexShader("vs.1.1\nmov oD0,v5\n", BuildVertexDeclaration(0x1C2), 10), 0x1C2u);
    EXPECT_EQ(Boxes, std::vector<std::string>{"Could not compile vertex shader | D3DXERR_INVALIDDATA"});
    EXPECT_NE(folder.ReadFile("deb.log").find("oPos is never written"), std::string::npos);
}

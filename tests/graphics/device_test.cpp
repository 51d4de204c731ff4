// The device's life on the null back end: set-up, default states, present
// parameters, display-mode changes, a lost device with every default-pool
// resource released and made again, render to texture and freeing.
#include <cmath>
#include <cstring>

#include "graphics_fixture.h"

using namespace platform;

namespace {

class DeviceTest : public GraphicsTest {};

} // namespace

TEST_F(DeviceTest, PreInitialisationEnumeratesOnceAndRefusesWithoutModes)
{
    EXPECT_EQ(PreInitDirect3D(1, -1, 0, 0, 0), 0);
    EXPECT_EQ(AdapterTable.count, 1);
    MutableAdapterTable.count = 5; // a second call does nothing
    EXPECT_EQ(PreInitDirect3D(1, -1, 0, 0, 0), 0);
    EXPECT_EQ(AdapterTable.count, 5);
    MutableAdapterTable.count = 1;
    ResetGraphicsTables();

    NullGfxConfig config = DefaultNullGfxConfig();
    config.adapters[0].modes = {{320, 240, 60, FmtX8R8G8B8}, {640, 400, 60, FmtX8R8G8B8}};
    SetNullGfxConfig(config);
    EXPECT_EQ(PreInitDirect3D(1, -1, 0, 0, 0), -2);
    EXPECT_EQ(Gfx.state, 0);
    EXPECT_EQ(Gfx.system, nullptr);
}

TEST_F(DeviceTest, CreationSendsTheProgramDefaults)
{
    ASSERT_EQ(PreInitDirect3D(1, -1, 1, 0, 0), 0);
    NullGfxRecord(true);
    ASSERT_EQ(CreateRenderDevice(nullptr, 0, -1), 0);
    EXPECT_EQ(Gfx.state, 2);
    EXPECT_EQ(CreateRenderDevice(nullptr, 0, -1), 0); // already made
    EXPECT_EQ(Count(GfxCallKind::CreateDevice), 1);

    const NullGfxState& s = DeviceState();
    struct Expected {
        uint32_t state, value;
    };
    const Expected states[] = {
        {RsSpecularEnable, 0}, {RsCullMode, CullCcw}, {RsZFunc, CmpLessEqual}, {RsLighting, 0},
        {RsStencilEnable, 0}, {RsClipping, 1}, {RsAlphaBlendEnable, 0}, {RsSrcBlend, BlendSrcAlpha},
        {RsDestBlend, BlendInvSrcAlpha}, {RsAlphaTestEnable, 0}, {RsAlphaRef, 128},
        {RsAlphaFunc, CmpGreaterEqual}, {RsFillMode, FillSolid}, {RsZEnable, 1}, {RsDitherEnable, 1},
        {RsTextureFactor, 0xFFFFFFFF}, {RsFogEnable, 1}, {RsFogColour, 0},
    };
    for (const Expected& e : states)
        EXPECT_EQ(s.renderStates[e.state], e.value) << e.state;
    EXPECT_EQ(s.stageStates[0][TssColourOp], static_cast<uint32_t>(TopModulate));
    EXPECT_EQ(s.stageStates[0][TssColourArg2], static_cast<uint32_t>(TaDiffuse));
    EXPECT_EQ(s.stageStates[0][TssAlphaOp], static_cast<uint32_t>(TopModulate));
    EXPECT_EQ(s.stageStates[1][TssMipMapLodBias], FloatAsState(-1.0f)); // "MIP_0 " default
    for (int stage = 0; stage < 4; ++stage) {
        EXPECT_EQ(s.stageStates[stage][TssMinFilter], static_cast<uint32_t>(FilterLinear));
        EXPECT_EQ(s.stageStates[stage][TssMipFilter], static_cast<uint32_t>(FilterPoint));
        EXPECT_EQ(s.stageStates[stage][TssTexCoordIndex], static_cast<uint32_t>(stage));
    }
    EXPECT_EQ(s.stageStates[3][TssColourOp], static_cast<uint32_t>(TopDisable));
    EXPECT_FLOAT_EQ(s.constants[93][0], 0.5f);
    EXPECT_FLOAT_EQ(s.constants[93][3], 1.0f);
    EXPECT_FLOAT_EQ(s.constants[92][2], 1.0f);
    EXPECT_FLOAT_EQ(s.constants[95][3], 0.0f);
    // Projection with width factor 1.570795: m00 = 2 / 1.570795, z terms of near 10 and far 1000.
    EXPECT_FLOAT_EQ(s.projection.m[0][0], 2.0f / 1.570795f);
    EXPECT_FLOAT_EQ(s.projection.m[2][2], 1000.0f / 990.0f);
    EXPECT_FLOAT_EQ(s.projection.m[3][2], -10000.0f / 990.0f);
    EXPECT_EQ(s.projection.m[2][3], 1.0f);
    EXPECT_EQ(s.viewport.width, 800u);
    EXPECT_EQ(s.viewport.height, 600u);
    // Default texture, default material and both batches exist.
    ASSERT_NE(DefaultTexture, nullptr);
    EXPECT_EQ(FindTexture(""), DefaultTexture);
    ASSERT_NE(DefaultMaterial, nullptr);
    EXPECT_TRUE(DefaultMaterial->prelit);
    EXPECT_NE(WorldBatch.vertices, nullptr);
    EXPECT_NE(ScreenBatch.indices, nullptr);
    EXPECT_NE(TextureStages.blockSurfaces[1], nullptr);
    EXPECT_TRUE(NullGfxFaults().empty());
}

TEST_F(DeviceTest, FailedCreationLogsAndReleases)
{
    NullGfxConfig config = DefaultNullGfxConfig();
    config.failCreateDevice = true;
    SetNullGfxConfig(config);
    ASSERT_EQ(PreInitDirect3D(1, -1, 0, 0, 0), 0);
    EXPECT_EQ(CreateRenderDevice(nullptr, 0, -1), -1);
    EXPECT_EQ(Gfx.state, 0);
    EXPECT_EQ(Gfx.system, nullptr);
    EXPECT_NE(folder.ReadFile("deb.log").find("Can't Create Device"), std::string::npos);
}

TEST_F(DeviceTest, PresentParametersFollowWindowAndVerticalSync)
{
    ASSERT_EQ(PreInitDirect3D(1, -1, 0, 1, 0), 0);
    GetCurrentAdapter()->currentMode = 0;
    SetDisplaySettings(4, 300, 1, 4);
    FillPresentParams(1);
    GfxPresentParams p = Gfx.presentParams;
    EXPECT_EQ(p.backBufferWidth, 8u); // at least 8
    EXPECT_EQ(p.backBufferFormat, static_cast<uint32_t>(FmtX8R8G8B8)); // the desktop's
    EXPECT_EQ(p.backBufferCount, 1u);     // vertical sync ignored in a window
    EXPECT_EQ(p.presentationInterval, PresentIntervalDefault);
    EXPECT_EQ(p.multiSampleType, 4u);
    EXPECT_EQ(p.flags, PresentFlagLockableBackBuffer);
    EXPECT_TRUE(p.enableAutoDepthStencil);
    EXPECT_EQ(TakeBackBufferFormatChanged(), 1);
    EXPECT_EQ(TakeBackBufferFormatChanged(), 0);

    // Full screen with vertical sync in mode 1: 640 x 480 R5G6B5 at 60 Hz
    // (the sort puts the higher format number and the default rate first).
    GetCurrentAdapter()->currentMode = 1;
    SetDisplaySettings(640, 480, 0, 16);
    FillPresentParams(0);
    p = Gfx.presentParams;
    EXPECT_EQ(p.backBufferFormat, static_cast<uint32_t>(FmtR5G6B5));
    EXPECT_EQ(p.backBufferCount, 2u);
    EXPECT_EQ(p.presentationInterval, PresentIntervalOne);
    EXPECT_EQ(p.multiSampleType, 0u); // 16 samples refused
    EXPECT_EQ(p.fullScreenRefreshRate, 60u);
}

TEST_F(DeviceTest, DisplayModeChangeResetsOnlyWhenSomethingChanged)
{
    CreateDevice();
    ChangeDisplayMode(800, 600, -1, 1, 0);
    EXPECT_EQ(Count(GfxCallKind::Reset), 0);
    int mode = GetCurrentAdapter()->currentMode;
    ChangeDisplayMode(800, 600, mode, 1, 0);
    EXPECT_EQ(Count(GfxCallKind::Reset), 0);
    ChangeDisplayMode(800, 600, mode + 1, 1, 0); // same size, new mode index
    EXPECT_EQ(Count(GfxCallKind::Reset), 1);
    ChangeDisplayMode(1024, 768, -1, 1, 0);
    ASSERT_EQ(Count(GfxCallKind::Reset), 2);
    EXPECT_EQ(Calls(GfxCallKind::Reset).back()->result, GfxResult::Ok);
    EXPECT_EQ(DeviceState().viewport.width, 1024u);
    EXPECT_EQ(DeviceState().params.backBufferHeight, 768u);
    EXPECT_TRUE(NullGfxFaults().empty());
}

TEST_F(DeviceTest, DepthSurfacesAreKeptPerWidthUntilAReset)
{
    CreateDevice();
    GfxSurface* first = GetDepthSurface(256);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetDepthSurface(256), first);
    EXPECT_EQ(GetDepthSurface(0), Gfx.backDepthSurface);
    uint32_t firstId = NullGfxId(first);
    ResetDevice();
    EXPECT_EQ(Calls(GfxCallKind::Reset).back()->result, GfxResult::Ok);
    GfxSurface* second = GetDepthSurface(256);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(NullGfxId(second), firstId);
}

TEST_F(DeviceTest, LostDeviceReleasesAndRecreatesEveryDefaultPoolResource)
{
    CreateDevice();
    TextureRecord* target = nullptr;
    ASSERT_EQ(CreateNamedTexture("MIRROR~T", 128, 64, FmtX8R8G8B8, 1, 0, 1, 0, &target), 0);
    GetDepthSurface(128);
    int liveBefore = DeviceState().liveDefaultPool;
    EXPECT_EQ(liveBefore, 2 + 2 + 2 + 1 + 1); // batch buffers, block surfaces, target, depth

    // Mid-frame: rendering into the texture, a batch open.
    ASSERT_EQ(BeginRenderToTexture(target, 1), 1);
    BeginDeviceScene();
    BeginWorldBatch(nullptr);
    AddWorldVertex(0, 0, 0, 0, 0, 0xFFFFFFFF);
    NullGfxLoseDevice();
    EXPECT_FALSE(TestDeviceState());
    EXPECT_EQ(platform::NowMs(), 50u); // waited 50 ms
    EXPECT_EQ(Count(GfxCallKind::Reset), 0);

    NullGfxAllowReset();
    NullGfxClearCalls();
    EXPECT_FALSE(TestDeviceState());
    ASSERT_EQ(Count(GfxCallKind::Reset), 1);
    EXPECT_EQ(Calls(GfxCallKind::Reset)[0]->result, GfxResult::Ok) << Calls(GfxCallKind::Reset)[0]->fault;
    EXPECT_TRUE(TestDeviceState());
    // Everything of the default pool but the dropped depth surface is back.
    EXPECT_EQ(DeviceState().liveDefaultPool, liveBefore - 1);
    EXPECT_NE(target->texture, nullptr);
    EXPECT_EQ(target->flags & TextureFlagReleased, 0);
    EXPECT_NE(TextureStages.blockSurfaces[0], nullptr);
    EXPECT_NE(Gfx.backBufferSurface, nullptr);
    EXPECT_EQ(NullGfxId(Gfx.backBufferSurface), DeviceState().backBuffer);
    EXPECT_FLOAT_EQ(DeviceState().constants[93][0], 0.5f);
    // One clear and one present after the reset.
    EXPECT_EQ(Described(GfxCallKind::Clear), std::vector<std::string>{"Clear 0 3 0 0 1"});
    EXPECT_EQ(Count(GfxCallKind::Present), 1);

    // The texture and the batches draw again.
    NullGfxClearCalls();
    ASSERT_EQ(BeginRenderToTexture(target, 1), 1);
    BeginDeviceScene();
    BeginScreenBatch(nullptr);
    AddBatchTriangle(AddScreenVertexPixels(0, 0, 0, 0, 0xFF00FF00), AddScreenVertexPixels(10, 0, 0, 0, 0xFF00FF00),
                     AddScreenVertexPixels(0, 10, 0, 0, 0xFF00FF00));
    EndScreenBatch();
    EndRenderToTexture();
    PresentBackBuffer();
    EXPECT_EQ(Count(GfxCallKind::DrawIndexedPrimitive), 1);
    EXPECT_TRUE(NullGfxFaults().empty()) << NullGfxFaults()[0];
}

TEST_F(DeviceTest, RenderToTextureSwitchesTargetSizeAndViewport)
{
    CreateDevice();
    TextureRecord* target = nullptr;
    ASSERT_EQ(CreateNamedTexture("CLOCKS~A", 256, 256, FmtX8R8G8B8, 1, 0, 1, 0, &target), 0);
    SetViewport(10, 20, 300, 200);
    TextureRecord missing;
    EXPECT_EQ(BeginRenderToTexture(&missing, 1), 0);
    EXPECT_EQ(BeginRenderToTexture(nullptr, 1), 0);

    ASSERT_EQ(BeginRenderToTexture(target, 0), 1);
    EXPECT_EQ(DeviceWidth(), 256);
    EXPECT_EQ(DeviceState().viewport.width, 256u);
    EXPECT_EQ(DeviceState().renderStates[RsZEnable], 0u);
    EXPECT_EQ(DeviceState().depthSurface, 0u);
    std::vector<std::string> targets = Described(GfxCallKind::SetRenderTarget);
    ASSERT_EQ(targets.size(), 1u);

    EndRenderToTexture();
    EXPECT_EQ(DeviceWidth(), 800);
    EXPECT_EQ(DeviceState().renderTarget, DeviceState().backBuffer);
    EXPECT_EQ(DeviceState().depthSurface, DeviceState().autoDepthSurface);
    EXPECT_EQ(DeviceState().viewport.x, 10u);
    EXPECT_EQ(DeviceState().viewport.height, 200u);
    EXPECT_EQ(DeviceState().renderStates[RsZEnable], 1u);

    ASSERT_EQ(BeginRenderToTexture(target, 1), 1);
    EXPECT_EQ(DeviceState().depthSurface, NullGfxId(GetDepthSurface(256)));
    EndRenderToTexture();
}

TEST_F(DeviceTest, FreeAllGraphicsAndShutdownLeaveNothingBehind)
{
    CreateDevice();
    TextureRecord* skin = nullptr;
    ASSERT_EQ(CreateNamedTexture("XRT_DEFAULT", 64, 64, FmtR5G6B5, 0, 0, 0, 7, &skin), 0);
    CreateMaterial(skin, 1, 0, 0, 0, nullptr);
    BeginDeviceScene();
    BindTexture(skin, 0);
    FreeAllGraphics(1);
    EXPECT_EQ(FindTexture("xrt_default"), nullptr);
    ASSERT_NE(DefaultTexture, nullptr);
    ASSERT_NE(DefaultMaterial, nullptr);
    EXPECT_EQ(MaterialSet.size(), 1u);
    EXPECT_NE(WorldBatch.vertices, nullptr);
    EXPECT_EQ(VertexBufferPool.size(), 2u);
    EXPECT_FALSE(Gfx.inScene);

    ShutdownDirect3D();
    EXPECT_EQ(Gfx.state, 0);
    EXPECT_EQ(DeviceState().liveDefaultPool, 0);
    EXPECT_FALSE(DeviceState().exists);
    EXPECT_TRUE(TextureRegistry.empty());
    EXPECT_TRUE(MaterialSet.empty());
    EXPECT_TRUE(VertexBufferPool.empty());
    EXPECT_TRUE(IndexBufferPool.empty());
}

TEST_F(DeviceTest, OneFrameInOrder)
{
    CreateDevice(1);
    ASSERT_TRUE(TestDeviceState());
    BeginDeviceScene();
    BeginDeviceScene(); // once a frame
    ::ClearTarget(0xFF336699, 3);
    BeginWorldBatch(nullptr);
    int a = AddWorldVertex(0, 0, 5, 0, 0, ~0u);
    int b = AddWorldVertex(1, 0, 5, 0, 0, ~0u);
    int c = AddWorldVertex(0, 1, 5, 0, 0, ~0u);
    AddBatchTriangle(a, b, c);
    BeginScreenBatch(nullptr);
    AddBatchQuad(AddScreenVertexPixels(0, 0, 0, 0, ~0u), AddScreenVertexPixels(1, 0, 0, 0, ~0u),
                 AddScreenVertexPixels(1, 1, 0, 0, ~0u), AddScreenVertexPixels(0, 1, 0, 0, ~0u));
    PresentBackBuffer(); // ends the scene, drawing the open batch

    std::vector<std::string> order;
    for (const GfxCall& call : NullGfxCalls()) {
        std::string text = NullGfxDescribe(call);
        text = text.substr(0, text.find(' '));
        if (text == "BeginScene" || text == "Clear" || text == "DrawIndexedPrimitive" || text == "EndScene" ||
            text == "Present" || (call.kind == GfxCallKind::SetTransform && call.args[0] == TransformWorld))
            order.push_back(call.kind == GfxCallKind::SetTransform ? "World" : text);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"BeginScene", "World", "Clear", "DrawIndexedPrimitive",
                                               "DrawIndexedPrimitive", "EndScene", "Present"}));
    EXPECT_EQ(Described(GfxCallKind::Clear), std::vector<std::string>{"Clear 0 3 4281558681 0 1"});
    std::vector<const GfxCall*> draws = Calls(GfxCallKind::DrawIndexedPrimitive);
    EXPECT_EQ(draws[0]->vertexShader, 0x142u);
    EXPECT_EQ(draws[1]->vertexShader, 0x144u);
    EXPECT_EQ(draws[1]->args[4], 2u);
    EXPECT_FALSE(Gfx.inScene);
    EXPECT_TRUE(NullGfxFaults().empty()) << NullGfxFaults()[0];
}

// The deferred state cache, the fog colour modes and the blend presets, as
// the device receives them.
#include "graphics_fixture.h"

using namespace platform;

namespace {
class RenderStateTest : public GraphicsTest {};
}

TEST_F(RenderStateTest, ExistingStateNumbersMatchTheDeviceTable)
{
    // The numbers the cache never reads or re-sends.
    const int missing[] = {0, 1, 2, 3, 4, 5, 6, 11, 12, 13, 17, 18, 21, 31, 32, 33, 39, 41, 42, 43, 44, 45, 46,
                           49, 50, 51, 138, 144, 149, 150, 169};
    int existing = 0;
    for (uint32_t state = 0; state < 172; ++state)
        existing += RenderStateExists(state) ? 1 : 0;
    for (int state : missing)
        EXPECT_FALSE(RenderStateExists(static_cast<uint32_t>(state))) << state;
    for (int state = 61; state <= 127; ++state)
        EXPECT_FALSE(RenderStateExists(static_cast<uint32_t>(state))) << state;
    EXPECT_EQ(existing, 172 - 31 - 67);
    EXPECT_FALSE(RenderStateExists(172));
    for (uint32_t type : {0u, 7u, 8u, 9u, 10u, 12u, 29u})
        EXPECT_FALSE(StageStateExists(type)) << type;
    EXPECT_TRUE(StageStateExists(TssMipMapLodBias));
}

TEST_F(RenderStateTest, OnlyChangedValuesReachTheDeviceAtAFlush)
{
    CreateDevice();
    uint32_t deviceValue = DeviceState().renderStates[RsCullMode];
    SetRenderStateCached(RsCullMode, 1);
    SetRenderStateCached(RsCullMode, 0);
    SetRenderStateCached(RsCullMode, deviceValue);
    SetStageStateCached(2, TssAddressU, AddressClamp);
    EXPECT_EQ(Count(GfxCallKind::SetTextureStageState), 0); // deferred
    FlushStateCache();
    EXPECT_EQ(Count(GfxCallKind::SetRenderState), 0);
    EXPECT_EQ(Described(GfxCallKind::SetTextureStageState),
              std::vector<std::string>{"SetTextureStageState 2 13 3"});
}

TEST_F(RenderStateTest, SeventeenthQueuedStateFlushesTheFirstSixteen)
{
    CreateDevice();
    // Sixteen existing states set to values the device does not hold.
    const uint32_t states[17] = {RsZEnable, RsFillMode, RsShadeMode, RsZWriteEnable, RsAlphaTestEnable,
                                 RsLastPixel, RsSrcBlend, RsDestBlend, RsCullMode, RsZFunc, RsAlphaRef,
                                 RsAlphaFunc, RsDitherEnable, RsAlphaBlendEnable, RsFogEnable, RsSpecularEnable,
                                 RsTextureFactor};
    for (int i = 0; i < 16; ++i)
        SetRenderStateCached(states[i], 1000 + i);
    EXPECT_EQ(Count(GfxCallKind::SetRenderState), 0);
    SetRenderStateCached(states[16], 1016);
    std::vector<std::string> sent = Described(GfxCallKind::SetRenderState);
    ASSERT_EQ(sent.size(), 16u);
    EXPECT_EQ(sent[0], "SetRenderState 7 1000");
    EXPECT_EQ(sent[15], "SetRenderState 29 1015");
    FlushStateCache();
    EXPECT_EQ(Described(GfxCallKind::SetRenderState).back(), "SetRenderState 60 1016");
}

TEST_F(RenderStateTest, FogColourModes)
{
    CreateDevice(1);
    SetFogRange(0xFF8040, 4.0f, 4096.0f);
    struct Case {
        int mode;
        uint32_t enable;
        uint32_t colour;
    };
    const Case cases[] = {{2, 1, 0x7F4020}, {3, 1, 0x000000}, {4, 1, 0xFFFFFF}, {5, 1, 0x808080}, {1, 1, 0xFF8040}};
    for (const Case& c : cases) {
        SetFogColourMode(c.mode);
        FlushStateCache();
        EXPECT_EQ(DeviceState().renderStates[RsFogEnable], c.enable) << c.mode;
        EXPECT_EQ(DeviceState().renderStates[RsFogColour], c.colour) << c.mode;
    }
    // With the fog switch off, mode 1 turns fog off.
    SetFogEnabled(0);
    SetFogColourMode(1);
    FlushStateCache();
    EXPECT_EQ(DeviceState().renderStates[RsFogEnable], 0u);
    // The range feeds the shaders' fog factor c90 = (-1/(e-s), e/(e-s), 0.5, 0).
    EXPECT_FLOAT_EQ(DeviceState().constants[90][0], -1.0f / 4092.0f);
    EXPECT_FLOAT_EQ(DeviceState().constants[90][1], 4096.0f / 4092.0f);
    EXPECT_EQ(DeviceState().renderStates[RsFogVertexMode], static_cast<uint32_t>(FogLinear));
    EXPECT_EQ(DeviceState().renderStates[RsFogEnd], FloatAsState(4096.0f));
}

TEST_F(RenderStateTest, BlendPresets)
{
    CreateDevice(1);
    SetFogRange(0x102030, 10.0f, 100.0f);
    SetBlendMode(0, 1, 1, 0);
    EXPECT_EQ(Count(GfxCallKind::SetRenderState), 0); // not flushed
    FlushStateCache();
    const uint32_t* rs = DeviceState().renderStates;
    EXPECT_EQ(rs[RsAlphaBlendEnable], 0u);
    EXPECT_EQ(rs[RsSrcBlend], static_cast<uint32_t>(BlendSrcAlpha));
    EXPECT_EQ(rs[RsDestBlend], static_cast<uint32_t>(BlendInvSrcAlpha));
    EXPECT_EQ(rs[RsZWriteEnable], 1u);
    EXPECT_EQ(rs[RsZFunc], static_cast<uint32_t>(CmpLessEqual));
    EXPECT_EQ(rs[RsFogColour], 0x102030u);

    SetBlendMode(2, 0, 1, 1); // flushes by itself
    EXPECT_EQ(rs[RsAlphaBlendEnable], 1u);
    EXPECT_EQ(rs[RsDestBlend], static_cast<uint32_t>(BlendOne));
    EXPECT_EQ(rs[RsZWriteEnable], 0u);
    EXPECT_EQ(rs[RsFogColour], 0u); // black fog: added light fades out

    SetBlendMode(1, 1, 0, 1);
    EXPECT_EQ(rs[RsAlphaBlendEnable], 1u);
    EXPECT_EQ(rs[RsDestBlend], static_cast<uint32_t>(BlendInvSrcAlpha));
    EXPECT_EQ(rs[RsZFunc], static_cast<uint32_t>(CmpAlways));
    EXPECT_EQ(rs[RsFogColour], 0x102030u);

    SetRenderStateCached(RsDestBlend, BlendZero);
    SetBlendMode(-1, 1, 1, 1); // blending on, factors untouched
    EXPECT_EQ(rs[RsAlphaBlendEnable], 1u);
    EXPECT_EQ(rs[RsDestBlend], static_cast<uint32_t>(BlendZero));
}

TEST_F(RenderStateTest, ReapplyAfterResetSendsEveryExistingState)
{
    CreateDevice();
    SetRenderStateCached(RsCullMode, CullNone);
    FlushStateCache();
    platform::NullGfxClearCalls();
    ResetDevice();
    EXPECT_EQ(DeviceState().renderStates[RsCullMode], static_cast<uint32_t>(CullNone));
    EXPECT_EQ(Count(GfxCallKind::SetRenderState), 172 - 31 - 67);
    EXPECT_EQ(Count(GfxCallKind::SetTextureStageState), 8 * (29 - 6));
    EXPECT_EQ(TakeDeviceResetFlag(), 1);
    EXPECT_EQ(TakeDeviceResetFlag(), 0);
}

// The null graphics device: adapters, defaults, the reset rules of the
// default pool, a lost device, draws and their recorded faults, surfaces,
// BMP screenshots (read back by an independent decoder) and the helpers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/gfx.h"
#include "platform/gfx_null.h"
#include "platform/gfx_util.h"
#include "support/temp_folder.h"

using namespace platform;

namespace {

class NullGfxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetNullGfx();
        system = CreateGfxSystem(GfxBackEnd::Null);
        ASSERT_NE(system, nullptr);
    }
    void TearDown() override
    {
        if (device)
            device->Release();
        system->Release();
        ResetNullGfx();
    }
    GfxPresentParams Params(uint32_t width = 64, uint32_t height = 32)
    {
        GfxPresentParams params;
        params.backBufferWidth = width;
        params.backBufferHeight = height;
        params.backBufferFormat = FmtX8R8G8B8;
        params.enableAutoDepthStencil = true;
        params.autoDepthStencilFormat = FmtD16;
        return params;
    }
    void Create()
    {
        GfxPresentParams params = Params();
        ASSERT_EQ(system->CreateDevice(0, DeviceHal, nullptr, CreateMixedVertexProcessing, params, &device),
                  GfxResult::Ok);
    }

    GfxSystem* system = nullptr;
    GfxDevice* device = nullptr;
};

} // namespace

TEST_F(NullGfxTest, ReportsOneAdapterWithItsModesAndFormats)
{
    EXPECT_EQ(system->GetAdapterCount(), 1u);
    EXPECT_EQ(system->GetAdapterModeCount(0), 8u);
    GfxDisplayMode mode;
    EXPECT_EQ(system->EnumAdapterModes(0, 7, mode), GfxResult::Ok);
    EXPECT_EQ(mode.width, 1280u);
    EXPECT_EQ(mode.format, static_cast<uint32_t>(FmtR5G6B5));
    EXPECT_EQ(system->EnumAdapterModes(0, 8, mode), GfxResult::InvalidCall);
    EXPECT_EQ(system->CheckDeviceType(0, DeviceHal, FmtX8R8G8B8, FmtX8R8G8B8, false), GfxResult::Ok);
    EXPECT_EQ(system->CheckDeviceType(0, DeviceHal, FmtA4R4G4B4, FmtA4R4G4B4, false), GfxResult::NotAvailable);
    EXPECT_EQ(system->CheckDepthStencilMatch(0, DeviceHal, FmtX8R8G8B8, FmtX8R8G8B8, FmtD15S1),
              GfxResult::NotAvailable);
    EXPECT_EQ(system->CheckDeviceFormat(0, DeviceHal, FmtX8R8G8B8, UsageDepthStencil, ResourceSurface, FmtD24S8),
              GfxResult::Ok);
    EXPECT_EQ(system->CheckDeviceMultiSampleType(0, DeviceHal, FmtX8R8G8B8, true, 4), GfxResult::Ok);
    EXPECT_EQ(system->CheckDeviceMultiSampleType(0, DeviceHal, FmtX8R8G8B8, true, 8), GfxResult::NotAvailable);
    GfxCaps caps;
    ASSERT_EQ(system->GetDeviceCaps(0, DeviceHal, caps), GfxResult::Ok);
    EXPECT_EQ(caps.vertexShaderVersion, VertexShaderVersion(1, 1));
}

TEST_F(NullGfxTest, NewDeviceHoldsTheDefaultStates)
{
    Create();
    const NullGfxState& state = NullGfxCurrentState();
    EXPECT_TRUE(state.exists);
    EXPECT_EQ(state.renderStates[RsZEnable], 1u);
    EXPECT_EQ(state.renderStates[RsCullMode], static_cast<uint32_t>(CullCcw));
    EXPECT_EQ(state.renderStates[RsLighting], 1u);
    EXPECT_EQ(state.renderStates[RsSrcBlend], static_cast<uint32_t>(BlendOne));
    EXPECT_EQ(state.stageStates[0][TssColourOp], static_cast<uint32_t>(TopModulate));
    EXPECT_EQ(state.stageStates[1][TssColourOp], static_cast<uint32_t>(TopDisable));
    EXPECT_EQ(state.stageStates[3][TssTexCoordIndex], 3u);
    EXPECT_EQ(state.viewport.width, 64u);
    EXPECT_EQ(state.viewport.height, 32u);
    GfxSurface* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, &back), GfxResult::Ok);
    GfxSurfaceDesc desc;
    back->GetDesc(desc);
    EXPECT_EQ(desc.width, 64u);
    EXPECT_EQ(desc.format, static_cast<uint32_t>(FmtX8R8G8B8));
    back->Release();
}

TEST_F(NullGfxTest, ResetNeedsEveryDefaultPoolResourceAndBackBufferReferenceGone)
{
    Create();
    GfxVertexBuffer* dynamic = nullptr;
    GfxVertexBuffer* managed = nullptr;
    GfxSurface* back = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(240, UsageDynamic | UsageWriteOnly, 0x142, PoolDefault, &dynamic),
              GfxResult::Ok);
    ASSERT_EQ(device->CreateVertexBuffer(240, UsageWriteOnly, 0x142, PoolManaged, &managed), GfxResult::Ok);
    device->SetRenderState(RsCullMode, CullNone);
    EXPECT_EQ(NullGfxCurrentState().liveDefaultPool, 1);

    GfxPresentParams params = Params(128, 96);
    EXPECT_EQ(device->Reset(params), GfxResult::InvalidCall);
    dynamic->Release();
    ASSERT_EQ(device->GetBackBuffer(0, &back), GfxResult::Ok);
    EXPECT_EQ(device->Reset(params), GfxResult::InvalidCall); // the back buffer is still held
    back->Release();
    // A default-pool buffer bound to the stream keeps it alive too.
    ASSERT_EQ(device->CreateVertexBuffer(240, UsageDynamic, 0x142, PoolDefault, &dynamic), GfxResult::Ok);
    device->SetStreamSource(0, dynamic, 24);
    dynamic->Release();
    EXPECT_EQ(device->Reset(params), GfxResult::InvalidCall);
    device->SetStreamSource(0, nullptr, 0);

    ASSERT_EQ(device->Reset(params), GfxResult::Ok);
    const NullGfxState& state = NullGfxCurrentState();
    EXPECT_EQ(state.renderStates[RsCullMode], static_cast<uint32_t>(CullCcw));
    EXPECT_EQ(state.viewport.width, 128u);
    EXPECT_EQ(state.resetCount, 1);
    // The managed buffer survived.
    void* data = nullptr;
    EXPECT_EQ(managed->Lock(0, 0, &data, 0), GfxResult::Ok);
    managed->Unlock();
    managed->Release();
}

TEST_F(NullGfxTest, LostDeviceAnswersLostThenNotResetUntilReset)
{
    Create();
    EXPECT_EQ(device->TestCooperativeLevel(), GfxResult::Ok);
    NullGfxLoseDevice();
    EXPECT_EQ(device->TestCooperativeLevel(), GfxResult::DeviceLost);
    EXPECT_EQ(device->Present(), GfxResult::DeviceLost);
    GfxPresentParams params = Params();
    EXPECT_EQ(device->Reset(params), GfxResult::DeviceLost);
    NullGfxAllowReset();
    EXPECT_EQ(device->TestCooperativeLevel(), GfxResult::DeviceNotReset);
    EXPECT_EQ(device->Reset(params), GfxResult::Ok);
    EXPECT_EQ(device->TestCooperativeLevel(), GfxResult::Ok);
    EXPECT_EQ(device->Present(), GfxResult::Ok);
}

TEST_F(NullGfxTest, DrawsAreRecordedWithTheirDataAndFaults)
{
    Create();
    NullGfxRecord(true);
    GfxVertexBuffer* vertices = nullptr;
    GfxIndexBuffer* indices = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(4 * 24, 0, 0x142, PoolManaged, &vertices), GfxResult::Ok);
    ASSERT_EQ(device->CreateIndexBuffer(6 * 2, 0, FmtIndex16, PoolManaged, &indices), GfxResult::Ok);
    float* v = nullptr;
    ASSERT_EQ(vertices->Lock(0, 0, reinterpret_cast<void**>(&v), 0), GfxResult::Ok);
    for (int i = 0; i < 24; ++i)
        v[i] = static_cast<float>(i);
    vertices->Unlock();
    uint16_t* index = nullptr;
    ASSERT_EQ(indices->Lock(0, 0, reinterpret_cast<void**>(&index), 0), GfxResult::Ok);
    const uint16_t quad[6] = {0, 1, 2, 2, 3, 0};
    std::memcpy(index, quad, sizeof quad);
    indices->Unlock();

    device->SetStreamSource(0, vertices, 24);
    device->SetIndices(indices, 0);
    device->SetVertexShader(0x142);
    device->BeginScene();
    EXPECT_EQ(device->DrawIndexedPrimitive(PrimTriangleList, 0, 4, 0, 2), GfxResult::Ok);
    device->DrawIndexedPrimitive(PrimTriangleList, 0, 3, 0, 2); // index 3 outside 0..2
    device->SetVertexShader(0x144);                              // stride 28, stream 24
    device->DrawIndexedPrimitive(PrimTriangleList, 0, 4, 0, 2);
    device->EndScene();
    device->DrawIndexedPrimitive(PrimTriangleList, 0, 4, 0, 2);

    std::vector<std::string> draws = NullGfxDescribeAll(GfxCallKind::DrawIndexedPrimitive);
    ASSERT_EQ(draws.size(), 4u);
    EXPECT_EQ(draws[0], "DrawIndexedPrimitive 4 0 4 0 2");
    const GfxCall* first = nullptr;
    for (const GfxCall& call : NullGfxCalls())
        if (call.kind == GfxCallKind::DrawIndexedPrimitive && !first)
            first = &call;
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->fault.empty());
    EXPECT_EQ(first->indices, (std::vector<uint32_t>{0, 1, 2, 2, 3, 0}));
    ASSERT_EQ(first->vertexBytes.size(), 96u);
    float third;
    std::memcpy(&third, first->vertexBytes.data() + 2 * 24, 4);
    EXPECT_EQ(third, 12.0f);
    std::vector<std::string> faults = NullGfxFaults();
    ASSERT_EQ(faults.size(), 3u);
    EXPECT_NE(faults[0].find("index 3 outside 0..2"), std::string::npos) << faults[0];
    EXPECT_NE(faults[1].find("stride 24 but the format takes 28"), std::string::npos) << faults[1];
    EXPECT_NE(faults[2].find("draw outside a scene"), std::string::npos) << faults[2];
    device->SetStreamSource(0, nullptr, 0);
    device->SetIndices(nullptr, 0);
    vertices->Release();
    indices->Release();
}

TEST_F(NullGfxTest, DiscardedBufferContentIsGone)
{
    Create();
    GfxVertexBuffer* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(16, UsageDynamic, 0x142, PoolDefault, &buffer), GfxResult::Ok);
    uint8_t* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, reinterpret_cast<void**>(&data), 0), GfxResult::Ok);
    std::memset(data, 7, 16);
    buffer->Unlock();
    ASSERT_EQ(buffer->Lock(8, 8, reinterpret_cast<void**>(&data), LockNoOverwrite), GfxResult::Ok);
    EXPECT_EQ(data[0], 7);
    buffer->Unlock();
    ASSERT_EQ(buffer->Lock(0, 8, reinterpret_cast<void**>(&data), LockDiscard), GfxResult::Ok);
    EXPECT_NE(data[0], 7);
    buffer->Unlock();
    EXPECT_EQ(buffer->Lock(8, 16, reinterpret_cast<void**>(&data), 0), GfxResult::InvalidCall);
    buffer->Release();
}

TEST_F(NullGfxTest, TextureLevelsAndRenderTargets)
{
    Create();
    GfxTexture* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(64, 16, 0, UsageRenderTarget, FmtA8R8G8B8, PoolDefault, &texture),
              GfxResult::Ok);
    EXPECT_EQ(texture->GetLevelCount(), 7u); // 64 x 16 down to 1 x 1
    GfxSurfaceDesc desc;
    texture->GetLevelDesc(3, desc);
    EXPECT_EQ(desc.width, 8u);
    EXPECT_EQ(desc.height, 2u);
    GfxSurface* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), GfxResult::Ok);
    texture->Release(); // the level keeps the texture
    EXPECT_EQ(NullGfxCurrentState().liveDefaultPool, 1);
    ASSERT_EQ(device->SetRenderTarget(level, nullptr), GfxResult::Ok);
    EXPECT_EQ(NullGfxCurrentState().viewport.width, 64u);
    device->Clear(0, nullptr, ClearTarget, 0xFF102030, 1.0f, 0);
    GfxLockedRect locked;
    ASSERT_EQ(level->LockRect(locked, nullptr, LockReadOnly), GfxResult::Ok);
    EXPECT_EQ(locked.pitch, 256);
    EXPECT_EQ(GfxPixelToArgb(FmtA8R8G8B8, static_cast<uint8_t*>(locked.bits) + 15 * 256 + 63 * 4), 0xFF102030u);
    level->UnlockRect();
    GfxSurface* back = nullptr;
    device->GetBackBuffer(0, &back);
    device->SetRenderTarget(back, nullptr);
    back->Release();
    level->Release();
    EXPECT_EQ(NullGfxCurrentState().liveDefaultPool, 0);
    // A depth surface smaller than the target is refused.
    GfxSurface* depth = nullptr;
    ASSERT_EQ(device->CreateDepthStencilSurface(16, 16, FmtD16, 0, &depth), GfxResult::Ok);
    EXPECT_EQ(device->SetRenderTarget(nullptr, depth), GfxResult::InvalidCall);
    depth->Release();
}

TEST_F(NullGfxTest, ScreenshotOfAClearedViewportDecodesIndependently)
{
    TempFolder folder;
    Create();
    device->Clear(0, nullptr, ClearTarget, 0xFF336699, 1.0f, 0);
    GfxViewport corner{0, 0, 2, 1, 0.0f, 1.0f};
    device->SetViewport(corner);
    device->Clear(0, nullptr, ClearTarget, 0xFFFF0000, 1.0f, 0);
    GfxSurface* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, &back), GfxResult::Ok);
    ASSERT_EQ(GfxSaveSurfaceToBmp("shot.bmp", back), GfxResult::Ok);
    back->Release();
    // Python's own reading of the file: size, then the top-left and
    // bottom-right pixels as r, g, b.
    const char* script = "import struct,sys\n"
                         "d=open('shot.bmp','rb').read()\n"
                         "assert d[:2]==b'BM'\n"
                         "off,=struct.unpack_from('<I',d,10)\n"
                         "w,h,planes,bits=struct.unpack_from('<iiHH',d,18)\n"
                         "row=(w*3+3)&~3\n"
                         "def px(x,y):\n"
                         "  o=off+(h-1-y)*row+x*3\n"
                         "  return '%d,%d,%d'%(d[o+2],d[o+1],d[o])\n"
                         "print(w,h,bits,px(0,0),px(1,0),px(2,0),px(w-1,h-1))\n";
    folder.WriteFile("read.py", script);
    FILE* pipe = popen("python3 read.py", "r");
    ASSERT_NE(pipe, nullptr);
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, pipe), nullptr);
    pclose(pipe);
    EXPECT_STREQ(line, "64 32 24 255,0,0 255,0,0 51,102,153 51,102,153\n");
}

TEST(GfxPixelTest, PackingRoundTripsAndWidening)
{
    struct Case {
        uint32_t format;
        uint32_t argb;
        uint32_t back; // what it reads back as
    };
    const Case cases[] = {
        {FmtA8R8G8B8, 0x80123456, 0x80123456},
        {FmtX8R8G8B8, 0x00123456, 0xFF123456},
        {FmtR5G6B5, 0x00FF8040, 0xFFFF8242},
        {FmtA1R5G5B5, 0x7FFFFFFF, 0x00FFFFFF},
        {FmtA1R5G5B5, 0x80000000, 0xFF000000},
        {FmtA4R4G4B4, 0xF0E0D0C0, 0xFFEEDDCC},
        {FmtL8, 0xFF808080, 0xFF808080},
    };
    for (const Case& c : cases) {
        uint8_t pixel[4] = {};
        GfxArgbToPixel(c.format, c.argb, pixel);
        EXPECT_EQ(GfxPixelToArgb(c.format, pixel), c.back) << c.format;
    }
}

TEST(GfxMatrixTest, InverseAndOrthographic)
{
    GfxMatrix m = GfxIdentityMatrix();
    m.m[0][0] = 2.0f;
    m.m[1][2] = 1.0f;
    m.m[3][0] = 5.0f;
    m.m[3][1] = -3.0f;
    GfxMatrix inverse, product;
    float determinant = 0.0f;
    ASSERT_TRUE(GfxMatrixInverse(inverse, &determinant, m));
    EXPECT_FLOAT_EQ(determinant, 2.0f);
    GfxMatrixMultiply(product, m, inverse);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(product.m[r][c], r == c ? 1.0f : 0.0f, 1e-6f);
    GfxMatrix singular;
    EXPECT_FALSE(GfxMatrixInverse(inverse, nullptr, singular));

    // A point at the near plane's corner lands on clip (1, 1, 0), the far
    // plane on z 1.
    GfxMatrix ortho;
    GfxMatrixOrthoLH(ortho, 8.0f, 4.0f, 1.0f, 11.0f);
    auto transform = [&](float x, float y, float z, int column) {
        float p[4] = {x, y, z, 1.0f};
        float sum = 0.0f;
        for (int k = 0; k < 4; ++k)
            sum = sum + p[k] * ortho.m[k][column];
        return sum;
    };
    EXPECT_FLOAT_EQ(transform(4, 2, 1, 0), 1.0f);
    EXPECT_FLOAT_EQ(transform(4, 2, 1, 1), 1.0f);
    EXPECT_FLOAT_EQ(transform(4, 2, 1, 2), 0.0f);
    EXPECT_FLOAT_EQ(transform(0, 0, 11, 2), 1.0f);
}

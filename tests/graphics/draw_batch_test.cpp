// The two draw batches on the null device: what each draw receives (format,
// counts, vertex bytes, indices, states and texture), switching between
// the batches, the buffer relocks and the limits.
#include <cstring>

#include "graphics_fixture.h"
#include "support/gfx_vertices.h"

using namespace platform;

namespace {


class DrawBatchTest : public GraphicsTest {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        CreateDevice(1);
        SetFogRange(0x405060, 10.0f, 500.0f);
        BeginDeviceScene();
        NullGfxClearCalls();
    }

    template <class Vertex>
    static Vertex VertexOf(const GfxCall* draw, int index)
    {
        Vertex vertex;
        std::memcpy(&vertex, draw->vertexBytes.data() + static_cast<size_t>(index) * sizeof(Vertex), sizeof vertex);
        return vertex;
    }

    // The device's state at the moment of each draw, taken by replaying the
    // recorded state calls up to it.
    static uint32_t RenderStateAtDraw(int drawIndex, uint32_t state)
    {
        uint32_t value = DeviceStateBefore().renderStates[state];
        int draws = 0;
        for (const GfxCall& call : NullGfxCalls()) {
            if (call.kind == GfxCallKind::DrawIndexedPrimitive && draws++ == drawIndex)
                break;
            if (call.kind == GfxCallKind::SetRenderState && call.args[0] == state)
                value = call.args[1];
        }
        return value;
    }
    static uint32_t TextureAtDraw(int drawIndex, uint32_t stage)
    {
        uint32_t value = DeviceStateBefore().textures[stage];
        int draws = 0;
        for (const GfxCall& call : NullGfxCalls()) {
            if (call.kind == GfxCallKind::DrawIndexedPrimitive && draws++ == drawIndex)
                break;
            if (call.kind == GfxCallKind::SetTexture && call.args[0] == stage)
                value = call.args[1];
        }
        return value;
    }
    static const NullGfxState& DeviceStateBefore() { return Before; }
    void Snapshot() { Before = DeviceState(); }

    static NullGfxState Before;
};
NullGfxState DrawBatchTest::Before;

TextureRecord* MakeTexture(const char* name, uint8_t alphaRef)
{
    TextureRecord* record = nullptr;
    EXPECT_EQ(CreateNamedTexture(name, 16, 16, FmtA8R8G8B8, 0, 0, 1, 0, &record), 0);
    record->alphaRef = alphaRef;
    return record;
}

} // namespace

TEST_F(DrawBatchTest, TrianglesAndQuadsOfBothBatchesReachOneDrawEach)
{
    BeginWorldBatch(nullptr);
    int a = AddWorldVertex(1, 2, 3, 0.25f, 0.5f, 0xFF112233);
    int b = AddWorldVertex(4, 5, 6, 1, 0, 0xFF112233);
    int c = AddWorldVertex(7, 8, 9, 1, 1, 0xFF112233);
    int d = AddWorldVertex(0, 1, 0, 0, 1, 0xFF112233);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(d, 3);
    AddBatchTriangle(a, b, c);
    AddBatchQuad(a, b, c, d);
    EndWorldBatch();

    SetScreenScale(0, 0.0f, 0.0f, 1.0f, 1.0f);
    BeginScreenBatch(nullptr);
    int p = AddScreenVertex(-1, -1, 0, 0, 0x80FFFFFF);
    int q = AddScreenVertex(1, -1, 1, 0, 0x80FFFFFF);
    int r = AddScreenVertex(1, 1, 1, 1, 0x80FFFFFF);
    int s = AddScreenVertexPixels(12.5f, 700.0f, 0, 1, 0x80FFFFFF);
    AddBatchQuad(p, q, r, s);
    EndScreenBatch();

    std::vector<const GfxCall*> draws = Calls(GfxCallKind::DrawIndexedPrimitive);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(NullGfxDescribe(*draws[0]), "DrawIndexedPrimitive 4 0 4 0 3");
    EXPECT_EQ(draws[0]->vertexShader, 0x142u);
    EXPECT_EQ(draws[0]->stride, 24u);
    EXPECT_EQ(draws[0]->indices, (std::vector<uint32_t>{0, 1, 2, 0, 1, 2, 2, 3, 0}));
    WorldVertex w = VertexOf<WorldVertex>(draws[0], 0);
    EXPECT_EQ(w.z, 3.0f);
    EXPECT_EQ(w.colour, 0xFF112233u);
    EXPECT_EQ(w.u, 0.25f);

    EXPECT_EQ(NullGfxDescribe(*draws[1]), "DrawIndexedPrimitive 4 0 4 0 2");
    EXPECT_EQ(draws[1]->vertexShader, 0x144u);
    EXPECT_EQ(draws[1]->stride, 28u);
    // Screen units -1..1 cover the whole 800 x 600 target, y downwards.
    ScreenVertex first = VertexOf<ScreenVertex>(draws[1], 0);
    ScreenVertex third = VertexOf<ScreenVertex>(draws[1], 2);
    ScreenVertex pixels = VertexOf<ScreenVertex>(draws[1], 3);
    EXPECT_EQ(first.x, 0.0f);
    EXPECT_EQ(first.y, 0.0f);
    EXPECT_EQ(first.z, 0.0f);
    EXPECT_EQ(first.rhw, 1.0f);
    EXPECT_EQ(third.x, 800.0f);
    EXPECT_EQ(third.y, 600.0f);
    EXPECT_EQ(pixels.x, 12.5f);
    EXPECT_EQ(pixels.y, 700.0f);
    EXPECT_TRUE(NullGfxFaults().empty()) << NullGfxFaults()[0];
}

TEST_F(DrawBatchTest, MaterialsTexturesAlphaTestAndFog)
{
    Snapshot();
    TextureRecord* leaf = MakeTexture("LEAF0ATEST", 128);
    TextureRecord* sky = MakeTexture("SKY1", 0);
    Material* leaves = CreateMaterial(leaf, 0, 0, 1, 0, nullptr);
    Material* doubled = CreateMaterial(sky, 1, 0, 1, 0, nullptr);
    NullGfxClearCalls();
    Snapshot();

    SetFogEnabled(1);
    BeginWorldBatch(leaves); // textured, alpha tested, fogged
    AddBatchTriangle(AddWorldVertex(0, 0, 1, 0, 0, ~0u), AddWorldVertex(1, 0, 1, 0, 0, ~0u),
                     AddWorldVertex(0, 1, 1, 0, 0, ~0u));
    BeginScreenBatch(doubled); // draws the world batch first, then fog off
    AddBatchTriangle(AddScreenVertexPixels(0, 0, 0, 0, ~0u), AddScreenVertexPixels(1, 0, 0, 0, ~0u),
                     AddScreenVertexPixels(0, 1, 0, 0, ~0u));
    EndScreenBatch();
    BeginWorldBatch(nullptr); // untextured, fog back on
    AddBatchTriangle(AddWorldVertex(0, 0, 1, 0, 0, ~0u), AddWorldVertex(1, 0, 1, 0, 0, ~0u),
                     AddWorldVertex(0, 1, 1, 0, 0, ~0u));
    FlushBatches();

    ASSERT_EQ(Count(GfxCallKind::DrawIndexedPrimitive), 3);
    uint32_t leafId = NullGfxId(leaf->texture), skyId = NullGfxId(sky->texture);
    EXPECT_EQ(TextureAtDraw(0, 0), leafId);
    EXPECT_EQ(RenderStateAtDraw(0, RsAlphaTestEnable), 1u);
    EXPECT_EQ(RenderStateAtDraw(0, RsAlphaRef), 128u);
    EXPECT_EQ(RenderStateAtDraw(0, RsFogEnable), 1u);
    EXPECT_EQ(Calls(GfxCallKind::DrawIndexedPrimitive)[0]->vertexShader, 0x142u);

    EXPECT_EQ(TextureAtDraw(1, 0), skyId);
    EXPECT_EQ(RenderStateAtDraw(1, RsAlphaTestEnable), 0u);
    EXPECT_EQ(RenderStateAtDraw(1, RsFogEnable), 0u);

    EXPECT_EQ(TextureAtDraw(2, 0), 0u);
    EXPECT_EQ(RenderStateAtDraw(2, RsFogEnable), 1u);
    EXPECT_EQ(RenderStateAtDraw(2, RsFogColour), 0x405060u);
    EXPECT_TRUE(NullGfxFaults().empty()) << NullGfxFaults()[0];
    EXPECT_EQ(CurrentMaterial, nullptr); // forgotten by the flush
}

TEST_F(DrawBatchTest, EachBlendPresetReachesItsDraw)
{
    Snapshot();
    struct Case {
        int mode;
        uint32_t blend, source, dest, zWrite, fogColour;
    };
    const Case cases[] = {
        {0, 0, BlendSrcAlpha, BlendInvSrcAlpha, 1, 0x405060},
        {1, 1, BlendSrcAlpha, BlendInvSrcAlpha, 1, 0x405060},
        {2, 1, BlendSrcAlpha, BlendOne, 0, 0x000000},
    };
    SetFogEnabled(1);
    int draw = 0;
    for (const Case& c : cases) {
        SetBlendMode(c.mode, c.mode == 2 ? 0 : 1, 1, 0);
        BeginWorldBatch(nullptr);
        AddBatchTriangle(AddWorldVertex(0, 0, 1, 0, 0, ~0u), AddWorldVertex(1, 0, 1, 0, 0, ~0u),
                         AddWorldVertex(0, 1, 1, 0, 0, ~0u));
        EndWorldBatch();
        EXPECT_EQ(RenderStateAtDraw(draw, RsAlphaBlendEnable), c.blend) << c.mode;
        EXPECT_EQ(RenderStateAtDraw(draw, RsSrcBlend), c.source) << c.mode;
        EXPECT_EQ(RenderStateAtDraw(draw, RsDestBlend), c.dest) << c.mode;
        EXPECT_EQ(RenderStateAtDraw(draw, RsZWriteEnable), c.zWrite) << c.mode;
        EXPECT_EQ(RenderStateAtDraw(draw, RsFogColour), c.fogColour) << c.mode;
        ++draw;
    }
}

TEST_F(DrawBatchTest, EmptyBatchesDrawNothingAndTrianglesNeedAnOpenBatch)
{
    AddBatchTriangle(0, 1, 2); // nothing open
    BeginWorldBatch(nullptr);
    AddWorldVertex(0, 0, 0, 0, 0, 0);
    AddWorldVertex(0, 0, 0, 0, 0, 0);
    EndWorldBatch();
    EXPECT_EQ(Count(GfxCallKind::DrawIndexedPrimitive), 0);
    EXPECT_EQ(WorldBatch.vertexCount, 0);
    EXPECT_EQ(WorldBatch.openMarker, nullptr);
    // A triangle naming vertices the batch does not hold is dropped.
    BeginWorldBatch(nullptr);
    AddWorldVertex(0, 0, 0, 0, 0, 0);
    AddBatchTriangle(0, 1, 2);
    EndWorldBatch();
    EXPECT_EQ(Count(GfxCallKind::DrawIndexedPrimitive), 0);
}

TEST_F(DrawBatchTest, ABatchWithTrianglesIsDrawnBeforeAnotherMaterialIsBound)
{
    TextureRecord* first = MakeTexture("FIRST", 0);
    TextureRecord* second = MakeTexture("SECOND", 0);
    Material* a = CreateMaterial(first, 0, 0, 1, 0, nullptr);
    Material* b = CreateMaterial(second, 0, 0, 1, 0, nullptr);
    NullGfxClearCalls();
    Snapshot();
    BeginWorldBatch(a);
    AddBatchTriangle(AddWorldVertex(0, 0, 1, 0, 0, ~0u), AddWorldVertex(1, 0, 1, 0, 0, ~0u),
                     AddWorldVertex(0, 1, 1, 0, 0, ~0u));
    BeginWorldBatch(a); // the same material continues the batch
    AddBatchTriangle(0, 1, 2);
    EXPECT_EQ(Count(GfxCallKind::DrawIndexedPrimitive), 0);
    BeginWorldBatch(b); // another material: the two triangles go first, with their texture
    AddBatchTriangle(AddWorldVertex(0, 0, 1, 0, 0, ~0u), AddWorldVertex(1, 0, 1, 0, 0, ~0u),
                     AddWorldVertex(0, 1, 1, 0, 0, ~0u));
    BeginScreenBatch(a); // the world batch goes first, with its own texture
    EndScreenBatch();
    ASSERT_EQ(Count(GfxCallKind::DrawIndexedPrimitive), 2);
    EXPECT_EQ(Calls(GfxCallKind::DrawIndexedPrimitive)[0]->args[4], 2u);
    EXPECT_EQ(TextureAtDraw(0, 0), NullGfxId(first->texture));
    EXPECT_EQ(TextureAtDraw(1, 0), NullGfxId(second->texture));
    EXPECT_EQ(Calls(GfxCallKind::DrawIndexedPrimitive)[1]->vertexShader, 0x142u);
}

TEST_F(DrawBatchTest, VerticesRelockBehindTheUsedOnesAndStopAtTheBufferSize)
{
    BeginScreenBatch(nullptr);
    int last = -1;
    for (int i = 0; i < BatchLockSize; ++i)
        last = AddScreenVertexPixels(static_cast<float>(i), 0, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(last, 8191);
    std::vector<std::string> locks = Described(GfxCallKind::LockVertexBuffer);
    ASSERT_EQ(locks.size(), 2u);
    uint32_t id = Calls(GfxCallKind::LockVertexBuffer)[0]->args[0];
    EXPECT_EQ(locks[0], "LockVertexBuffer " + std::to_string(id) + " 0 229376 8192");        // DISCARD
    EXPECT_EQ(locks[1], "LockVertexBuffer " + std::to_string(id) + " 229376 229376 4096");   // NOOVERWRITE
    for (int i = BatchLockSize; i < BatchBufferSize; ++i)
        last = AddScreenVertexPixels(static_cast<float>(i), 0, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(last, 16383);
    EXPECT_EQ(AddScreenVertexPixels(0, 0, 0, 0, 0), -1); // the buffer is full
    EXPECT_NE(folder.ReadFile("deb.log").find("AddScreenVertex : batch full (16384)"), std::string::npos);
    // Indices keep counting from the batch's first vertex.
    AddBatchTriangle(0, 8192, 16383);
    EndScreenBatch();
    std::vector<const GfxCall*> draws = Calls(GfxCallKind::DrawIndexedPrimitive);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0]->indices, (std::vector<uint32_t>{0, 8192, 16383}));
    ScreenVertex v = VertexOf<ScreenVertex>(draws[0], 8192);
    EXPECT_EQ(v.x, 8192.0f);
    EXPECT_TRUE(NullGfxFaults().empty()) << NullGfxFaults()[0];
}

TEST_F(DrawBatchTest, IndicesRelockAndStopAtTheBufferSize)
{
    BeginWorldBatch(nullptr);
    int a = AddWorldVertex(0, 0, 0, 0, 0, 0), b = AddWorldVertex(1, 0, 0, 0, 0, 0), c = AddWorldVertex(0, 1, 0, 0, 0, 0);
    for (int i = 0; i < 6000; ++i) // 18000 indices wanted, 16384 fit
        AddBatchTriangle(a, b, c);
    EXPECT_EQ(WorldBatch.triangleCount, 16384 / 3);
    std::vector<const GfxCall*> locks = Calls(GfxCallKind::LockIndexBuffer);
    ASSERT_GE(locks.size(), 2u);
    EXPECT_EQ(locks[1]->args[1], 2u * 8190); // from the first free index
    EXPECT_EQ(locks[1]->args[3], static_cast<uint32_t>(LockNoOverwrite));
    for (const GfxCall* lock : locks)
        EXPECT_LE(lock->args[1] + lock->args[2], 2u * 16384);
    EndWorldBatch();
    ASSERT_EQ(Count(GfxCallKind::DrawIndexedPrimitive), 1);
    EXPECT_EQ(Calls(GfxCallKind::DrawIndexedPrimitive)[0]->args[4], 16384u / 3);
    EXPECT_TRUE(NullGfxFaults().empty()) << NullGfxFaults()[0];
}

TEST_F(DrawBatchTest, ScreenScaleForThreeScreens)
{
    SetScreenScale(1, 0.0f, 0.0f, 1.0f, 1.0f);
    // Units -3..3 cover the width.
    BeginScreenBatch(nullptr);
    int a = AddScreenVertex(-3, -1, 0, 0, 0);
    int b = AddScreenVertex(3, 1, 0, 0, 0);
    int c = AddScreenVertex(0, 0, 0, 0, 0);
    AddBatchTriangle(a, b, c);
    EndScreenBatch();
    const GfxCall* draw = Calls(GfxCallKind::DrawIndexedPrimitive).at(0);
    ScreenVertex left = VertexOf<ScreenVertex>(draw, 0), right = VertexOf<ScreenVertex>(draw, 1),
                 middle = VertexOf<ScreenVertex>(draw, 2);
    EXPECT_FLOAT_EQ(left.x, 0.0f);
    EXPECT_FLOAT_EQ(right.x, 800.0f);
    EXPECT_FLOAT_EQ(right.y, 600.0f);
    EXPECT_FLOAT_EQ(middle.x, 400.0f);
}

TEST_F(DrawBatchTest, AnUnfinishedBatchSurvivesADeviceReset)
{
    BeginWorldBatch(nullptr);
    AddWorldVertex(0, 0, 0, 0, 0, 0); // vertices only
    EndDeviceScene();
    ResetDevice();
    BeginDeviceScene();
    BeginWorldBatch(nullptr);
    int a = AddWorldVertex(0, 0, 0, 0, 0, 0);
    EXPECT_EQ(a, 0);
    AddBatchTriangle(a, AddWorldVertex(1, 0, 0, 0, 0, 0), AddWorldVertex(0, 1, 0, 0, 0, 0));
    EndWorldBatch();
    EXPECT_EQ(Count(GfxCallKind::DrawIndexedPrimitive), 1);
    EXPECT_TRUE(NullGfxFaults().empty()) << NullGfxFaults()[0];
}

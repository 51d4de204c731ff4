// Materials and named meshes on the null device: materials unique by
// content, blocks drawn in runs of consecutive marked blocks, buffers in
// the vertex format's order, and the bit-run tables.
#include <cstring>

#include "graphics_fixture.h"
#include "platform/files.h"

using namespace platform;

namespace {

class MeshTest : public GraphicsTest {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        CreateDevice();
    }

    // A quad of one colour at x = block, in each part that has the block.
    static MeshVertex Corner(float x, float y, uint32_t colour)
    {
        MeshVertex v;
        v.x = x;
        v.y = y;
        v.z = 5.0f;
        v.nz = -1.0f;
        v.diffuse = colour;
        v.specular = 0x11223344;
        v.u = x;
        v.v = y;
        return v;
    }

    // A mesh of eight blocks in two parts: the first has a quad in every
    // block, the second none in block 4.
    NamedMesh* BuildEightBlocks()
    {
        Material* first = CreateMaterial(nullptr, 0, 0, 1, 0, nullptr);
        Material* second = CreateMaterial(nullptr, 1, 0, 1, 0, nullptr);
        NamedMesh* mesh = GetMesh("Blocks");
        SetMeshPartCount(mesh, 2, 8);
        SetMeshPartMaterial(mesh, 0, first, MeshVertexTypeOfMaterial);
        SetMeshPartMaterial(mesh, 1, second, MeshVertexTypeOfMaterial);
        for (int b = 0; b < 8; ++b) {
            EXPECT_EQ(BeginMeshBlock(mesh), b);
            for (int p = 0; p < 2; ++p) {
                if (p == 1 && b == 4)
                    continue;
                MeshPart* part = &mesh->parts[size_t(p)];
                int i0 = AddMeshVertex(part, Corner(float(b), 0, 0xFF000000u + uint32_t(b)));
                int i1 = AddMeshVertex(part, Corner(float(b) + 1, 0, 0xFF000000u + uint32_t(b)));
                int i2 = AddMeshVertex(part, Corner(float(b) + 1, 1, 0xFF000000u + uint32_t(b)));
                int i3 = AddMeshVertex(part, Corner(float(b), 1, 0xFF000000u + uint32_t(b)));
                AddMeshTriangle(part, i0, i1, i2);
                AddMeshTriangle(part, i2, i3, i0);
                int triangles = 0, vertices = 0;
                GetMeshPartBlockCounts(part, triangles, vertices);
                EXPECT_EQ(triangles, 2);
                EXPECT_EQ(vertices, 4);
            }
            EndMeshBlock(mesh);
        }
        FinishMesh(mesh);
        return mesh;
    }

    // A one-part mesh of blocks that each hold the vertices in a row and
    // the triangles (block-relative indices).
    NamedMesh* OnePartMesh(const char* name, int blocks, int vertices, const std::vector<int>& triangles)
    {
        NamedMesh* mesh = GetMesh(name);
        SetMeshPartCount(mesh, 1, blocks);
        SetMeshPartMaterial(mesh, 0, CreateMaterial(nullptr, 0, 0, 1, 0, nullptr), MeshVertexTypeOfMaterial);
        for (int b = 0; b < blocks; ++b) {
            BeginMeshBlock(mesh);
            MeshPart* part = &mesh->parts[0];
            for (int k = 0; k < vertices; ++k)
                AddMeshVertex(part, Corner(float(b), float(k), 0xFFFFFFFF));
            for (size_t t = 0; t + 2 < triangles.size(); t += 3)
                AddMeshTriangle(part, triangles[t], triangles[t + 1], triangles[t + 2]);
            EndMeshBlock(mesh);
        }
        FinishMesh(mesh);
        return mesh;
    }

    // The (first block, last block) of each recorded draw: each block is 4
    // vertices and 6 indices in a part holding every block before it.
    static std::vector<std::pair<uint32_t, uint32_t>> DrawnRuns(const std::vector<int>& vertexBaseOfBlock)
    {
        std::vector<std::pair<uint32_t, uint32_t>> runs;
        for (const GfxCall* call : Calls(GfxCallKind::DrawIndexedPrimitive)) {
            const uint32_t minIndex = call->args[1], numVertices = call->args[2];
            uint32_t first = 0, last = 0;
            for (size_t b = 0; b < vertexBaseOfBlock.size(); ++b) {
                if (vertexBaseOfBlock[b] == int(minIndex))
                    first = uint32_t(b);
                if (vertexBaseOfBlock[b] == int(minIndex + numVertices - 4))
                    last = uint32_t(b);
            }
            runs.emplace_back(first, last);
        }
        return runs;
    }
};

TEST_F(MeshTest, MaterialsAreUniqueByContent)
{
    ASSERT_TRUE(MakeFolder("data"));
    ASSERT_TRUE(MakeFolder("data\\pic"));
    MutableTextureLoadSettings.ddsCache = 0;
    folder.WriteFile("data/pic/GRASS.raw", std::string(48, '\x40'));
    Material* a = GetMaterial("GRASS", 0, 0, 0, 0, 0, nullptr);
    ASSERT_NE(a->texture, nullptr);
    EXPECT_EQ(GetMaterial("grass", 0, 0, 0, 0, 0, nullptr), a);
    Material* doubled = GetMaterial("GRASS", 1, 0, 0, 0, 0, nullptr);
    EXPECT_NE(doubled, a);
    EXPECT_EQ(FindMaterialByName("GRASS", 1, 0, 0, 0, nullptr), doubled);
    EXPECT_EQ(FindMaterialByName("UNKNOWN", 0, 0, 0, 0, nullptr), nullptr);
    // No texture, pre-lit: the default material; a missing texture: a
    // material without one.
    EXPECT_EQ(GetMaterial("", 0, 0, 1, 0, 0, nullptr), DefaultMaterial);
    EXPECT_EQ(GetMaterial("MISSING", 0, 0, 1, 0, 0, nullptr), DefaultMaterial);
    GetMaterial("GRASS", 0, 1, 0, 0, 0, nullptr);
    TextureRecord* grass = a->texture;
    int freed = 0;
    while (FreeFirstMaterialOfTexture(grass))
        ++freed;
    EXPECT_EQ(freed, 3);
    FreeAllMaterials(1);
    ASSERT_NE(DefaultMaterial, nullptr);
    EXPECT_EQ(MaterialSet.size(), 1u);
    EXPECT_EQ(VertexTypeOfMaterial(DefaultMaterial), 10);
}

TEST_F(MeshTest, MarkedBlocksDrawInRunsSkippingEmptyOnes)
{
    NamedMesh* mesh = BuildEightBlocks();
    EXPECT_EQ(GetMesh("BLOCKS"), mesh);
    EXPECT_EQ(mesh->blockCount, 8);
    EXPECT_EQ(mesh->parts[1].indexCount, 7 * 6);
    NullGfxClearCalls();
    for (int block : {3, 4, 5, 7, 8, -1})  // 8 and -1 lie outside
        MarkMeshBlock(mesh, block, 0);
    EXPECT_EQ(mesh->plainFirst, 3);
    EXPECT_EQ(mesh->plainLast, 7);
    BeginDeviceScene();
    ResetLightSetup();
    DrawMarkedBlocks(mesh, 0);
    // The full part: blocks 3-5 and 7; the part without block 4: 3, 5, 7.
    const std::vector<int> fullBase = {0, 4, 8, 12, 16, 20, 24, 28};
    const std::vector<int> gappedBase = {0, 4, 8, 12, -1, 16, 20, 24};
    auto runs = DrawnRuns(fullBase);
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0], std::make_pair(3u, 5u));
    EXPECT_EQ(runs[1], std::make_pair(7u, 7u));
    std::vector<std::pair<uint32_t, uint32_t>> gapped = DrawnRuns(gappedBase);
    EXPECT_EQ(gapped[2], std::make_pair(3u, 3u));
    EXPECT_EQ(gapped[3], std::make_pair(5u, 5u));
    EXPECT_EQ(gapped[4], std::make_pair(7u, 7u));
    // Start index and triangle count follow the blocks.
    const GfxCall* first = Calls(GfxCallKind::DrawIndexedPrimitive)[0];
    EXPECT_EQ(first->args[3], 3u * 6u);
    EXPECT_EQ(first->args[4], 6u);
    EXPECT_TRUE(NullGfxFaults().empty());
    // The marks are gone and the range is empty.
    EXPECT_EQ(mesh->plainFirst, 8);
    EXPECT_EQ(mesh->plainLast, 0);
    for (uint32_t word : mesh->plainMarks)
        EXPECT_EQ(word, 0u);
    NullGfxClearCalls();
    DrawMarkedBlocks(mesh, 0);
    EXPECT_EQ(Count(GfxCallKind::DrawIndexedPrimitive), 0);
}

TEST_F(MeshTest, RunsCrossByteBoundariesAndLongMeshes)
{
    // 70 blocks of one triangle; every block from 5 to 20 and 64 to 69.
    NamedMesh* mesh = OnePartMesh("Long", 70, 3, {0, 1, 2});
    for (int b = 5; b <= 20; ++b)
        MarkMeshBlock(mesh, b, 0);
    for (int b = 64; b < 70; ++b)
        MarkMeshBlock(mesh, b, 0);
    BeginDeviceScene();
    NullGfxClearCalls();
    DrawMarkedBlocks(mesh, 0);
    std::vector<std::string> draws = Described(GfxCallKind::DrawIndexedPrimitive);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0], "DrawIndexedPrimitive 4 15 48 15 16");
    EXPECT_EQ(draws[1], "DrawIndexedPrimitive 4 192 18 192 6");
}

TEST_F(MeshTest, FinishedBuffersHoldTheVertexFormatsComponentsInOrder)
{
    NamedMesh* mesh = BuildEightBlocks();
    MarkMeshBlock(mesh, 0, 0);
    BeginDeviceScene();
    NullGfxClearCalls();
    DrawMarkedBlocks(mesh, 0);
    const GfxCall* draw = Calls(GfxCallKind::DrawIndexedPrimitive).at(0);
    // Pre-lit: position, diffuse, specular, one coordinate pair (28 bytes).
    ASSERT_EQ(draw->stride, 28u);
    ASSERT_GE(draw->vertexBytes.size(), 2 * 28u);
    const uint8_t* second = draw->vertexBytes.data() + 28;
    float position[3], uv[2];
    uint32_t diffuse, specular;
    std::memcpy(position, second, 12);
    std::memcpy(&diffuse, second + 12, 4);
    std::memcpy(&specular, second + 16, 4);
    std::memcpy(uv, second + 20, 8);
    EXPECT_EQ(position[0], 1.0f);
    EXPECT_EQ(position[2], 5.0f);
    EXPECT_EQ(diffuse, 0xFF000000u);
    EXPECT_EQ(specular, 0x11223344u);
    EXPECT_EQ(uv[0], 1.0f);
    EXPECT_EQ(std::vector<uint32_t>(draw->indices.begin(), draw->indices.begin() + 6),
              (std::vector<uint32_t>{0, 1, 2, 2, 3, 0}));
}

TEST_F(MeshTest, APartPastSixteenBitIndicesLeavesTheBlockOut)
{
    // Three blocks of 30000 vertices; the second triangle names a vertex
    // the block lacks.
    NamedMesh* mesh = OnePartMesh("Huge", 3, 30000, {0, 1, 29999, 0, 1, 30000});
    EXPECT_EQ(mesh->parts[0].vertexCount, 60000);
    EXPECT_EQ(mesh->parts[0].indexCount, 6);
    EXPECT_EQ(mesh->parts[0].blocks[2].firstIndex, mesh->parts[0].blocks[2].endIndex);
}

TEST(BitRunTables, AgreeWithCountingBits)
{
    BuildBitRunTables();
    for (int v = 0; v < 256; ++v) {
        int lowest = 0;
        while (lowest < 8 && !((v >> lowest) & 1))
            ++lowest;
        int end = lowest;
        while (end < 8 && ((v >> end) & 1))
            ++end;
        int fromZero = 0;
        while (fromZero < 8 && ((v >> fromZero) & 1))
            ++fromZero;
        EXPECT_EQ(LowestSetBit[v], v ? lowest : 0) << v;
        EXPECT_EQ(RunEnd[v], v ? end : 0) << v;
        EXPECT_EQ(LowRunLength[v], fromZero) << v;
    }
}

} // namespace

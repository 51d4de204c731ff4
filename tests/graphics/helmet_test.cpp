// The helmet: loaded from the data builder's model in the default helmet
// colours with one node per level of detail, rebuilt with the graphics
// resources, and absent (not pretended) when its file is missing.
#include <filesystem>
#include <string>

#include "graphics_fixture.h"
#include "support/built_game.h"
#include "world/services.h"

namespace {

std::string BuiltFolder()
{
    static BuiltGame game(std::string(QV_BINARY_DIR) + "/tests/graphics/helmet_game_");
    return game.path;
}

class HelmetTest : public GraphicsTest {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        ResetWorldTables();
        InstallGraphicsWorldHooks();
    }
    void TearDown() override
    {
        GraphicsTest::TearDown();
        ResetWorldTables();
    }
    // Copies the built helmet model into the test's data folder.
    void CopyHelmet()
    {
        const std::string game = BuiltFolder();
        ASSERT_FALSE(game.empty()) << "the data builder failed";
        std::filesystem::create_directories(folder.Path() + "/data/hmn");
        std::filesystem::copy_file(game + "/data/hmn/helmet.zke", folder.Path() + "/data/hmn/helmet.zke");
    }
};

TEST_F(HelmetTest, LoadsInTheDefaultColoursWithANodePerLevelOfDetail)
{
    CopyHelmet();
    ASSERT_EQ(LoadHelmet(), 1);
    ASSERT_NE(Helmet.model, nullptr);
    const ObjectModel& model = *Helmet.model;
    ASSERT_EQ(Helmet.nodeCount, model.levelCount);
    for (int level = 0; level < Helmet.nodeCount; level++) {
        SCOPED_TRACE(level);
        const MeshNode& node = *Helmet.nodes[level];
        EXPECT_GT(node.GetVertexCount(), 0);
        EXPECT_FALSE(node.parts.empty());
        // Each node covers its own level's distances, so the helmet is
        // drawn at every distance the model has a level for.
        EXPECT_EQ(node.farDistance.raw, model.levelDistance[level]);
        EXPECT_EQ(node.nearDistance.raw, level > 0 ? model.levelDistance[level - 1] : 0);
    }
    int skins = 0;
    for (const ModelTexture& texture : model.textures)
        if (texture.flags & 1) {
            EXPECT_STREQ(texture.name, "HEL_DEFAULT");
            skins++;
        }
    EXPECT_EQ(skins, 1);
    int masters = 0;
    for (const GridCell& cell : model.grid.cells)
        if (cell.code[0] == 'M' && cell.code[1] == '1') {
            EXPECT_EQ(cell.red, 180);
            EXPECT_EQ(cell.green, 180);
            EXPECT_EQ(cell.blue, 180);
            masters++;
        }
    EXPECT_GT(masters, 0);

    FreeHelmetTextures();
    EXPECT_EQ(Helmet.nodeCount, 0);
    EXPECT_NE(Helmet.model, nullptr) << "the model stays for the rebuild";
    RebuildHelmetTextures();
    EXPECT_EQ(Helmet.nodeCount, model.levelCount);
    EXPECT_GT(Helmet.nodes[0]->GetVertexCount(), 0);

    FreeHelmet();
    EXPECT_EQ(Helmet.model, nullptr);
    EXPECT_EQ(Helmet.nodes[0], nullptr);
}

TEST_F(HelmetTest, AMissingModelLeavesNoHelmetAndSaysSo)
{
    EXPECT_EQ(LoadHelmet(), 0);
    EXPECT_EQ(Helmet.model, nullptr);
    EXPECT_EQ(Helmet.nodeCount, 0);
    RebuildHelmetTextures();  // without a model there is nothing to build
    EXPECT_EQ(Helmet.nodeCount, 0);
    EXPECT_NE(folder.ReadFile("deb.log").find("helmet.zke"), std::string::npos);
}

} // namespace

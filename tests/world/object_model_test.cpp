// Object model records: reading, writing, refusing bad files, sorting,
// colour grids, mirroring and driver-side swaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model_fixture.h"
#include "support/temp_folder.h"
#include "world/services.h"

namespace {

class ObjectModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetWorldTables();
    }

    // Saves the model and returns the file's bytes.
    std::string Save(const ObjectModel& model, const char* name = "m.vob")
    {
        EXPECT_EQ(SaveObjectModel(model, name), 1);
        return folder.ReadFile(name);
    }

    TempFolder folder;
};

// Everything ReadObjectModel keeps, compared field by field.
void ExpectSameModel(const ObjectModel& a, const ObjectModel& b)
{
    EXPECT_EQ(std::string(a.name, 16), std::string(b.name, 16));
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.sideRule, b.sideRule);
    EXPECT_EQ(a.levelCount, b.levelCount);
    EXPECT_EQ(a.flags, b.flags);
    EXPECT_EQ(a.groupCount, b.groupCount);
    EXPECT_EQ(a.pitch, b.pitch);
    EXPECT_EQ(a.roll, b.roll);
    EXPECT_EQ(a.heading, b.heading);
    EXPECT_EQ(a.offset, b.offset);
    EXPECT_EQ(std::equal(a.levelDistance, a.levelDistance + 4, b.levelDistance), true);
    ASSERT_EQ(a.points.size(), b.points.size());
    for (size_t i = 0; i < a.points.size(); i++) {
        EXPECT_EQ(a.points[i].position, b.points[i].position);
        EXPECT_EQ(a.points[i].flags, b.points[i].flags);
        EXPECT_EQ(a.points[i].joint, b.points[i].joint);
    }
    ASSERT_EQ(a.triangles.size(), b.triangles.size());
    for (size_t i = 0; i < a.triangles.size(); i++)
        EXPECT_EQ(std::memcmp(&a.triangles[i], &b.triangles[i], sizeof(ModelTriangle)), 0) << i;
    EXPECT_EQ(a.grid.rows, b.grid.rows);
    EXPECT_EQ(a.grid.columns, b.grid.columns);
    for (size_t i = 0; i < a.grid.cells.size() && i < b.grid.cells.size(); i++)
        EXPECT_EQ(std::memcmp(&a.grid.cells[i], &b.grid.cells[i], sizeof(GridCell)), 0) << i;
    ASSERT_EQ(a.textures.size(), b.textures.size());
    ASSERT_EQ(a.surfaces.size(), b.surfaces.size());
    for (size_t i = 0; i < a.surfaces.size(); i++) {
        EXPECT_STREQ(a.surfaces[i].name, b.surfaces[i].name);
        EXPECT_EQ(a.surfaces[i].texture, b.surfaces[i].texture);
        EXPECT_EQ(a.surfaces[i].flags, b.surfaces[i].flags);
    }
    ASSERT_EQ(a.mappings.size(), b.mappings.size());
    for (size_t i = 0; i < a.mappings.size(); i++) {
        EXPECT_EQ(a.mappings[i].sMin, b.mappings[i].sMin);
        EXPECT_EQ(a.mappings[i].sMax, b.mappings[i].sMax);
        EXPECT_EQ(a.mappings[i].rotation, b.mappings[i].rotation);
        EXPECT_EQ(a.mappings[i].surface[0], b.mappings[i].surface[0]);
        EXPECT_EQ(a.mappings[i].surface[1], b.mappings[i].surface[1]);
    }
    ASSERT_EQ(a.subModels.size(), b.subModels.size());
    for (size_t i = 0; i < a.subModels.size(); i++)
        ExpectSameModel(a.subModels[i], b.subModels[i]);
}

TEST_F(ObjectModelTest, ReadsBackWhatWasWrittenAndRewritesTheSameBytes)
{
    ObjectModel model;
    fixture::MakeCarModel(model);
    SetModelCarCode("XRT");
    std::string bytes = Save(model);
    EXPECT_EQ(bytes.substr(0, 8), std::string("ZKEOBJ\x00\xFB", 8));

    ObjectModel loaded;
    ASSERT_EQ(LoadObjectModel(loaded, nullptr, "m.vob", 0), 1);
    // The sub-models keep their angles; the reader puts the car code in
    // front of car-specific texture names.
    ExpectSameModel(model, loaded);
    EXPECT_STREQ(loaded.textures[0].name, "XRT_DEFAULT");
    EXPECT_STREQ(loaded.textures[1].name, "glass_ATEST");
    EXPECT_STREQ(loaded.partNames[1], "wing");
    EXPECT_EQ(Save(loaded, "again.vob"), bytes);
}

TEST_F(ObjectModelTest, TopLevelRecordIsPlacedStraightWithItsOwnMesh)
{
    ObjectModel model;
    fixture::MakeCarModel(model);
    model.flags |= ModelFlagMirrorTwin;
    model.noOwnMesh = 1;
    model.pitch = 100;
    model.roll = 200;
    model.heading = 300;
    model.offset = MakeFixedVector(5, 6, 7);
    Save(model);
    ObjectModel loaded;
    ASSERT_EQ(LoadObjectModel(loaded, nullptr, "m.vob", 1), 1);
    EXPECT_EQ(loaded.noOwnMesh, 0);
    EXPECT_EQ(loaded.pitch, 0);
    EXPECT_EQ(loaded.roll, 0);
    EXPECT_EQ(loaded.heading, 0);
    EXPECT_EQ(loaded.flags & ModelFlagMirrorTwin, 0);
    EXPECT_EQ(loaded.offset, MakeFixedVector(5, 6, 7));
    // Sub-models keep theirs.
    EXPECT_EQ(loaded.subModels[0].pitch, 1200);
}

TEST_F(ObjectModelTest, ReadTimeRulesOfKindsSideRulesAndDistances)
{
    struct Case {
        int kind, side, expectKind, expectSide;
    };
    const Case cases[] = {{2, 0, 2, 3}, {4, 0, 3, 2}, {10, 0, 10, 2}, {5, 0, 5, 1}, {2, 1, 2, 1}};
    for (const Case& c : cases) {
        ObjectModel model;
        fixture::MakeBox(model, "k");
        model.kind = static_cast<uint8_t>(c.kind);
        model.sideRule = static_cast<uint8_t>(c.side);
        model.levelDistance[0] = (20 << 16) + 12345;
        Save(model);
        ObjectModel loaded;
        ASSERT_EQ(LoadObjectModel(loaded, nullptr, "m.vob", 0), 1);
        EXPECT_EQ(loaded.kind, c.expectKind) << c.kind;
        EXPECT_EQ(loaded.sideRule, c.expectSide) << c.kind;
        EXPECT_EQ(loaded.levelDistance[0], 20 << 16) << "fraction cleared";
        bool allNoReflection = std::all_of(loaded.surfaces.begin(), loaded.surfaces.end(),
                                           [](const ModelSurface& s) { return s.flags & 1; });
        EXPECT_EQ(allNoReflection, c.kind == 10) << c.kind;
    }
}

TEST_F(ObjectModelTest, OlderFileGetsTheSinglePartNameMain)
{
    ObjectModel model;
    fixture::MakeBox(model, "old");
    std::string bytes = Save(model);
    // Version 248 holds no part-name block: drop it and mark the version.
    const size_t nameBlock = bytes.size() - 256;
    std::string old = bytes.substr(0, nameBlock);
    old[7] = static_cast<char>(248);
    folder.WriteFile("old.vob", old);
    ObjectModel loaded;
    ASSERT_EQ(LoadObjectModel(loaded, nullptr, "old.vob", 1), 1);
    EXPECT_STREQ(loaded.partNames[0], "main");
    EXPECT_EQ(loaded.partNames[1][0], 0);
}

// Every prefix of a good file is refused, and so is every index that
// points outside its table, without reading outside the file.
TEST_F(ObjectModelTest, RefusesTruncatedFilesAtEveryLength)
{
    ObjectModel model;
    fixture::MakeCarModel(model);
    std::string bytes = Save(model);
    // The file itself, cut inside the header and inside the record.
    for (size_t length : {size_t(3), size_t(8), size_t(40), bytes.size() - 1}) {
        folder.WriteFile("cut.vob", bytes.substr(0, length));
        ObjectModel loaded;
        EXPECT_EQ(LoadObjectModel(loaded, nullptr, "cut.vob", 1), 0) << length;
    }
    // Every other length, read from a copy of exactly that many bytes so
    // that the sanitizer sees any read beyond it.
    for (size_t length = 8; length < bytes.size(); length++) {
        std::vector<uint8_t> image(bytes.begin(), bytes.begin() + std::ptrdiff_t(length));
        DataFile reader;
        int version = 0;
        OpenDataBlock(reader, image.data(), image.size(), version);
        ObjectModel loaded;
        ASSERT_EQ(ReadObjectModel(loaded, reader, version, 1, 1), 0) << length;
        EXPECT_TRUE(loaded.points.empty() && loaded.subModels.empty());
    }
}

TEST_F(ObjectModelTest, RefusesIndexesOutsideTheirTables)
{
    struct Case {
        const char* what;
        void (*spoil)(ObjectModel&);
    };
    const Case cases[] = {
        {"point reference", [](ObjectModel& m) { m.triangles[3].points[1] = 8; }},
        {"cell column", [](ObjectModel& m) { m.triangles[0].column = 2; }},
        {"mapping of a used cell", [](ObjectModel& m) { m.grid.At(1, 0).mapping = 2; }},
        {"own surface", [](ObjectModel& m) { m.mappings[0].surface[0] = 3; }},
        {"mirrored surface", [](ObjectModel& m) { m.mappings[1].surface[1] = -1; }},
        {"texture", [](ObjectModel& m) { m.surfaces[2].texture = 2; }},
        {"orientation", [](ObjectModel& m) { m.surfaces[0].orientation = 8; }},
        {"projection", [](ObjectModel& m) { m.mappings[0].kind = 7; }},
        {"no levels", [](ObjectModel& m) { m.levelCount = 0; }},
        {"five levels", [](ObjectModel& m) { m.levelCount = 5; }},
        {"sub-model point", [](ObjectModel& m) { m.subModels[0].subModels[0].triangles[0].points[0] = 9; }},
    };
    for (const Case& c : cases) {
        ObjectModel model;
        fixture::MakeCarModel(model);
        c.spoil(model);
        Save(model);
        ObjectModel loaded;
        EXPECT_EQ(LoadObjectModel(loaded, nullptr, "m.vob", 1), 0) << c.what;
    }
    // A cell that no triangle uses may name anything.
    ObjectModel model;
    fixture::MakeBox(model, "unused");
    model.grid.columns = 3;
    model.grid.cells.resize(6);
    model.grid.At(0, 2).mapping = 999;
    Save(model);
    ObjectModel loaded;
    EXPECT_EQ(LoadObjectModel(loaded, nullptr, "m.vob", 1), 1);
}

TEST_F(ObjectModelTest, RefusesSubModelsNestedTooDeep)
{
    for (int depth : {MaxModelDepth, MaxModelDepth + 1}) {
        ObjectModel model;
        fixture::MakeBox(model, "top");
        ObjectModel* inner = &model;
        for (int i = 1; i < depth; i++) {
            ObjectModel& sub = inner->subModels.emplace_back();
            fixture::MakeBox(sub, "in");
            inner = &sub;
        }
        Save(model);
        ObjectModel loaded;
        EXPECT_EQ(LoadObjectModel(loaded, nullptr, "m.vob", 1), depth <= MaxModelDepth ? 1 : 0) << depth;
    }
}

TEST(ObjectModelNames, AlphaKindOfTextureNames)
{
    struct Case {
        const char* name;
        int kind;
    };
    const Case cases[] = {{"ATEST", 0},         {"leafATEST", 1},  {"s_glassDUZEZ", 3},
                          {"S_glassalp24", 3},  {"glassalp15", 2}, {"fenceALP24", 2},
                          {"road", 0},          {"roadtex", 0},    {"xduzez", 2}};
    for (const Case& c : cases)
        EXPECT_EQ(GetDuzezKind(c.name), c.kind) << c.name;
}

TEST_F(ObjectModelTest, DuplicateTexturesCollapseAndSortingIsStable)
{
    ObjectModel model;
    InitObjectModel(model);
    fixture::AddTexture(model, "a");
    fixture::AddTexture(model, "b");
    fixture::AddTexture(model, "A");
    fixture::AddTexture(model, "s_waterDUZEZ");
    fixture::AddTexture(model, "leafATEST");
    // Surfaces in a shuffled order, some not reflecting.
    const int textures[] = {3, 2, 0, 1, 4, 0, 2, 1};
    const uint8_t flags[] = {0, 1, 0, 1, 0, 1, 0, 0};
    for (int i = 0; i < 8; i++) {
        std::string name = "s" + std::to_string(i);
        fixture::AddSurface(model, name.c_str(), textures[i], flags[i]);
        fixture::AddMapping(model, name.c_str(), 0, i, 7 - i);
    }
    SortModelTables(model);

    ASSERT_EQ(model.textures.size(), 4u);
    EXPECT_STREQ(model.textures[0].name, "a");
    EXPECT_STREQ(model.textures[1].name, "b");
    EXPECT_STREQ(model.textures[2].name, "leafATEST");
    EXPECT_STREQ(model.textures[3].name, "s_waterDUZEZ");

    // The surfaces as a stable sort by (texture x 2 + reflecting) would put
    // them, with the texture of "A" folded into "a".
    struct Row {
        std::string name;
        std::string texture;
        int key;
    };
    const char* oldNames[] = {"a", "b", "A", "s_waterDUZEZ", "leafATEST"};
    const int newIndex[] = {0, 1, 0, 3, 2};
    std::vector<Row> expected;
    for (int i = 0; i < 8; i++)
        expected.push_back({"s" + std::to_string(i), oldNames[textures[i]] == std::string("A") ? "a" : oldNames[textures[i]],
                            newIndex[textures[i]] * 2 + (flags[i] ? 0 : 1)});
    std::stable_sort(expected.begin(), expected.end(),
                     [](const Row& x, const Row& y) { return x.key < y.key; });
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(model.surfaces[size_t(i)].name, expected[size_t(i)].name) << i;
        EXPECT_EQ(model.textures[model.surfaces[size_t(i)].texture].name, expected[size_t(i)].texture) << i;
    }
    // Each mapping still names the surfaces it named before.
    for (int i = 0; i < 8; i++) {
        const TextureMapping& m = model.mappings[size_t(i)];
        EXPECT_EQ(model.surfaces[size_t(m.surface[0])].name, "s" + std::to_string(i));
        EXPECT_EQ(model.surfaces[size_t(m.surface[1])].name, "s" + std::to_string(7 - i));
    }
}

TEST(ObjectModelGrid, MasterColoursAndSharedColumns)
{
    ObjectModel model;
    fixture::SetGrid(model, 2, 5);
    auto set = [&](int row, int column, const char* code, uint8_t red, uint8_t green, uint8_t blue) {
        GridCell& cell = model.grid.At(row, column);
        fixture::Name(cell.code, sizeof cell.code, code);
        cell.red = red;
        cell.green = green;
        cell.blue = blue;
    };
    for (int row = 0; row < 2; row++) {
        set(row, 0, "M1", uint8_t(100 + row), 50, 251);
        set(row, 1, "C1", 0, 0, 0);
        set(row, 2, "d1", 0, 0, 0);
        set(row, 3, "E2", 7, 7, 7);
    }
    set(1, 4, "G_glass", 9, 8, 7);
    set(0, 4, "G_glass", 1, 1, 1);
    ResolveCellGrid(model.grid, 1);
    for (int row = 0; row < 2; row++) {
        EXPECT_EQ(model.grid.At(row, 1).red, 100 + row);
        EXPECT_EQ(model.grid.At(row, 2).red, (100 + row) * 3 / 5);
        EXPECT_EQ(model.grid.At(row, 2).blue, 251 * 3 / 5);
        EXPECT_EQ(model.grid.At(row, 3).red, 7) << "E2 has no M2";
        EXPECT_EQ(model.grid.At(row, 4).red, 9) << "shared column from the chosen row";
    }
}

TEST_F(ObjectModelTest, MirrorAndDriverSideSwapTwiceRestoreEveryByte)
{
    ObjectModel model;
    fixture::MakeCarModel(model);
    fixture::AddMapping(model, "U_logo", 1, 0, 1);
    std::string before = Save(model);

    ObjectModel mirrored = model;
    MirrorObjectModel(mirrored);
    EXPECT_NE(Save(mirrored), before);
    EXPECT_EQ(mirrored.points[1].position.x.raw, -65536);
    EXPECT_EQ(mirrored.subModels[0].offset.x.raw, 24000);
    MirrorObjectModel(mirrored);
    EXPECT_EQ(Save(mirrored), before);

    ObjectModel swapped = model;
    SwapDriverSide(swapped);
    // The driver-side triangles go to the twins with their winding turned;
    // the kind-2 sub-model moves across.
    EXPECT_EQ(swapped.triangles[0].points[0], model.triangles[0].points[0] ^ PointTwinBit);
    EXPECT_EQ(swapped.triangles[0].points[1], model.triangles[0].points[2] ^ PointTwinBit);
    EXPECT_EQ(swapped.subModels[0].offset.x.raw, 24000);
    EXPECT_EQ(swapped.triangles[2].points[1], model.triangles[2].points[1]);
    SwapDriverSide(swapped);
    EXPECT_EQ(Save(swapped), before);
}

TEST(ObjectModelMirror, SpecialMappingsKeepTheirPicture)
{
    ObjectModel model;
    fixture::AddTexture(model, "plain");
    fixture::AddTexture(model, "s_clock");
    fixture::AddSurface(model, "a", 0, 0);
    fixture::AddSurface(model, "b", 1, 0);
    fixture::AddMapping(model, "side", 2, 0, 0, -100, 300);
    fixture::AddMapping(model, "clock", 2, 1, 1, -100, 300);
    fixture::AddMapping(model, "u_logo", 6, 0, 0, -100, 300);
    fixture::AddMapping(model, "end", 3, 0, 1);
    fixture::AddMapping(model, "endclock", 3, 1, 0);
    for (TextureMapping& m : model.mappings)
        MirrorTextureMapping(model, m);
    const TextureMapping* m = model.mappings.data();
    EXPECT_EQ(m[0].sMin, 100);
    EXPECT_EQ(m[0].sMax, -300);
    EXPECT_EQ(m[0].rotation, -20);
    EXPECT_EQ(m[1].sMin, -300);
    EXPECT_EQ(m[1].sMax, 100);
    EXPECT_EQ(m[1].rotation, 20);
    EXPECT_EQ(m[2].sMin, -300);
    EXPECT_EQ(m[3].surface[0], 0) << "plain end projection stays";
    EXPECT_EQ(m[4].surface[0], 0) << "special end projection exchanges sides";
    EXPECT_EQ(m[4].surface[1], 1);
}

TEST(ObjectModelClock, ClockTexturesFollowTheKindInEverySubModel)
{
    ObjectModel model;
    fixture::AddTexture(model, "S_Clock");
    fixture::AddTexture(model, "s_clocks");
    fixture::AddTexture(model, "body");
    ObjectModel& sub = model.subModels.emplace_back();
    fixture::AddTexture(sub, "s_clock_n1");
    SetClockTextureByKind(model, 6);
    EXPECT_STREQ(model.textures[0].name, "s_clock_kta");
    EXPECT_STREQ(model.textures[1].name, "s_clocks");
    EXPECT_STREQ(model.textures[2].name, "body");
    EXPECT_STREQ(sub.textures[0].name, "s_clock_kta");
    SetClockTextureByKind(model, 7);
    EXPECT_STREQ(model.textures[0].name, "s_clock_kta");
}

TEST_F(ObjectModelTest, SharedModelReadsItsHeaderThenItsModel)
{
    ObjectModel model;
    fixture::MakeBox(model, "cone");
    {
        DataFile writer;
        CreateDataFile(writer, nullptr, "shared.bin", "ZKWORL", 251);
        WriteByte(writer, 0);
        WriteByte(writer, 1);
        WriteByte(writer, 2);
        WriteByte(writer, 3);
        for (float f : {1.5f, 0.1f, 0.2f, 0.3f, 4.0f})
            WriteFloat(writer, f);
        for (int b : {9, 2, 1, 0})
            WriteByte(writer, b);
        WriteObjectModel(model, writer, 1);
        WriteByte(writer, 77);
        ASSERT_EQ(CloseDataFile(writer), 1);
    }
    DataFile reader;
    int version = 0;
    LoadDataFile(reader, nullptr, "shared.bin", "ZKWORL", version, 251, false);
    ASSERT_TRUE(reader.IsOpen());
    SharedModel shared;
    ASSERT_EQ(ReadSharedModel(shared, reader, version), 1);
    EXPECT_EQ(shared.scale, 1.5f);
    EXPECT_EQ(shared.mass, 4.0f);
    EXPECT_EQ(shared.collisionKind, 2);
    EXPECT_EQ(shared.layoutFlag, 1);
    ASSERT_NE(GetSharedModelObject(shared), nullptr);
    EXPECT_EQ(GetSharedModelObject(shared)->points.size(), 8u);
    EXPECT_EQ(ReadByte(reader), 77) << "the stream continues after the model";
    FreeSharedModel(shared);
    EXPECT_EQ(shared.model, nullptr);
}

} // namespace

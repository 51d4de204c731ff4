// The graphics reset: every record graphics keeps is back at its start-up
// state whatever it held, and what graphics owns is freed.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "graphics_fixture.h"
#include "support/dirty_record.h"

namespace {

using GraphicsResetTest = GraphicsTest;

void NoMessage(const char*, int) {}

bool SameMatrix(const Matrix44& a, const Matrix44& b) { return std::memcmp(a.m, b.m, sizeof a.m) == 0; }

TEST_F(GraphicsResetTest, ResetGivesBackEveryRecordAtItsDefaults)
{
    // What graphics owns, made through its own services.
    GetMesh("dirty mesh");
    CreateMaterial(nullptr, 1, 0, 1, 0, nullptr);
    AdapterTableRecord adapters;
    DisplayModeRecord mode;
    adapters.adapters[0].modes = &mode;
    adapters.adapters[0].modeCount = 1;
    adapters.count = 1;
    SetAdapterTable(adapters);
    // Every value record, byte by byte (0x01 where a record holds a bool).
    DirtyRecord(StateCache, 0x01);
    DirtyRecord(FogState);
    DirtyRecord(VertexShaderTable);
    DirtyRecord(MutableCardSettings);
    DirtyRecord(Transforms, 0x01);
    DirtyRecord(ScreenScale);
    DirtyRecord(LightFactors);
    DirtyRecord(ViewState);
    DirtyRecord(FreeCamera);
    DirtyRecord(DefaultCamera);
    DirtyRecord(EnvironmentFactors);
    DirtyRecord(MutableTextureLoadSettings);
    DirtyRecord(MutableCarEffectStandIns);
    DirtyRecord(MutablePendingNotices, 0x01);
    DirtyRecord(MutableFrame);
    std::memset(static_cast<void*>(MutableStandardColours), 0x5A, sizeof MutableStandardColours);
    // The records that also hold what graphics owns, field by field.
    TextureStages.stageLodIndex = 3;
    TextureStages.skinTextureCounter = 77;
    WorldBatch.vertexCount = 5;
    ScreenBatch.triangleCount = 6;
    OpenBatch = &ScreenBatch;
    Gfx.width = 1;
    Gfx.fogFlag = 1;
    ColourShift = 1;
    CurrentCamera = nullptr;
    MakeGfxSystem = [] { return static_cast<platform::GfxSystem*>(nullptr); };
    SetGraphicsMessageHooks({NoMessage});
    GraphicsTextHooks text;
    text.createFontTextures = [] { return 4; };
    SetGraphicsTextHooks(text);
    SoftwareTarget.windowTop = 7;
    SoftwareTarget.fillColour = 0x1234;
    SoftwareTarget.row = 9;
    PushBackgroundMode(BackgroundAmbient);

    ResetGraphicsTables();

    EXPECT_TRUE(MeshRegistry.empty());
    EXPECT_TRUE(MaterialSet.empty());
    EXPECT_EQ(AdapterTable.count, 0);
    EXPECT_EQ(AdapterTable.adapters[0].modes, nullptr);
    EXPECT_EQ(StateCache, StateCacheRecord{});
    EXPECT_EQ(FogState, FogStateRecord{});
    EXPECT_EQ(VertexShaderTable, VertexShaderTableRecord{});
    EXPECT_EQ(CardSettings, CardSettingsRecord{});
    const TransformRecord transforms;
    EXPECT_TRUE(SameMatrix(Transforms.world, transforms.world) && SameMatrix(Transforms.worldInverse, transforms.worldInverse) &&
                SameMatrix(Transforms.view, transforms.view) && SameMatrix(Transforms.projection, transforms.projection));
    EXPECT_EQ(Transforms.widthFactor, transforms.widthFactor);
    EXPECT_EQ(Transforms.nearZ, transforms.nearZ);
    EXPECT_EQ(Transforms.farZ, transforms.farZ);
    EXPECT_EQ(Transforms.viewReset, transforms.viewReset);
    EXPECT_EQ(ScreenScale, ScreenScaleRecord{});
    EXPECT_EQ(LightFactors, LightFactorsRecord{});
    const ViewStateRecord view;
    EXPECT_EQ(ViewState.transform, view.transform);
    EXPECT_EQ(std::memcmp(ViewState.lightCamera, view.lightCamera, sizeof view.lightCamera), 0);
    EXPECT_TRUE(std::equal(std::begin(ViewState.planes), std::end(ViewState.planes), std::begin(view.planes)));
    EXPECT_EQ(ViewState.top, view.top);
    EXPECT_EQ(ViewState.bottom, view.bottom);
    EXPECT_TRUE(SameMatrix(ViewState.viewMatrix, view.viewMatrix));
    EXPECT_EQ(ViewState.orthoHeight, view.orthoHeight);
    EXPECT_EQ(ViewState.layout, view.layout);
    EXPECT_EQ(FreeCamera, FreeCameraRecord{});
    EXPECT_EQ(DefaultCamera, Camera{});
    EXPECT_EQ(EnvironmentFactors, EnvironmentFactorsRecord{});
    EXPECT_EQ(TextureLoadSettings, TextureLoadSettingsRecord{});
    EXPECT_EQ(MutableCarEffectStandIns, CarEffectStandIns{});
    EXPECT_EQ(MutablePendingNotices, PendingNoticesRecord{});
    EXPECT_TRUE(std::all_of(std::begin(StandardColours), std::end(StandardColours),
                            [](const ColourRecord& c) { return c == ColourRecord{}; }));
    EXPECT_EQ(TextureStages, TextureStageRecord{});
    EXPECT_EQ(WorldBatch.vertexCount, 0);
    EXPECT_EQ(ScreenBatch.triangleCount, 0);
    EXPECT_EQ(OpenBatch, nullptr);
    EXPECT_EQ(Gfx.width, DeviceRecord{}.width);
    EXPECT_EQ(Gfx.fogFlag, 0);
    EXPECT_EQ(ColourShift, 0);
    EXPECT_EQ(CurrentCamera, &DefaultCamera);
    EXPECT_EQ(MakeGfxSystem, &platform::CreateNullGfxSystem);
    EXPECT_EQ(GetGraphicsMessageHooks().printMessage, GraphicsMessageHooks{}.printMessage);
    EXPECT_EQ(GetGraphicsTextHooks().createFontTextures, GraphicsTextHooks{}.createFontTextures);
    EXPECT_EQ(MutableFrame, FrameRecord{});
    EXPECT_EQ(BackgroundModeStack.count, 0);
    EXPECT_EQ(SoftwareTarget.windowTop, SoftwareTargetRecord{}.windowTop);
    EXPECT_EQ(SoftwareTarget.fillColour, 0);
    EXPECT_EQ(SoftwareTarget.row, 0);
}

} // namespace

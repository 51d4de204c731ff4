// The one reset of this subsystem's tables: shuts the device down and
// returns every graphics global to its start-up state.
#include "graphics/local.h"
#include "graphics/services.h"

void ResetGraphicsTables()
{
    ResetSky();
    ResetMeshBlockQueue();
    ShutdownDirect3D();
    ResetDrawingTables();
    FreeBatchBuffers();
    FreeAllMaterials(0);
    FreeAllTextures(0);
    FreeAllVertexBuffers();
    FreeAllIndexBuffers();
    ReleaseDepthSurfaces();
    FreeAdapterTable();
    Gfx = DeviceRecord{};
    UseOpenGlBackEnd = false;
    StateCache = StateCacheRecord{};
    FogState = FogStateRecord{};
    VertexShaderTable = VertexShaderTableRecord{};
    CardSettings = CardSettingsRecord{};
    Transforms = TransformRecord{};
    WorldBatch = DrawBatch{};
    ScreenBatch = DrawBatch{};
    OpenBatch = nullptr;
    ScreenScale = ScreenScaleRecord{};
    for (auto*& texture : StageTextures)
        texture = nullptr;
    StageLodIndex = 255;
    SkidMarkStandIn = nullptr;
    ParticleStandIn = nullptr;
    ResetFrameTables();
    ResetBuiltinTextureTables();
    ClearPlateCache();
    SetSoftwareTarget(0, nullptr);
    SetGraphicsMessageHooks(GraphicsMessageHooks{});
    SetGraphicsTextHooks(GraphicsTextHooks{});
}

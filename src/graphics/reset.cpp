// The one reset of this subsystem's tables: frees what graphics owns, shuts
// the device down and returns every graphics record to its start-up state.
#include "graphics/local.h"

PendingNoticesRecord MutablePendingNotices;

void ResetGraphicsTables()
{
    ResetSky();
    ResetMeshBlockQueue();
    FreeHelmet();
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
    MakeGfxSystem = platform::CreateNullGfxSystem;
    StateCache = StateCacheRecord{};
    FogState = FogStateRecord{};
    VertexShaderTable = VertexShaderTableRecord{};
    MutableCardSettings = CardSettingsRecord{};
    TextureStages = TextureStageRecord{};
    WorldBatch = DrawBatch{};
    ScreenBatch = DrawBatch{};
    OpenBatch = nullptr;
    ScreenScale = ScreenScaleRecord{};
    MutableCarEffectStandIns = CarEffectStandIns{};
    MutablePendingNotices = PendingNoticesRecord{};
    ResetFrameTables();
    ResetBuiltinTextureTables();
    ClearPlateCache();
    SetSoftwareTarget(0, nullptr);
    SetGraphicsMessageHooks(GraphicsMessageHooks{});
    SetGraphicsTextHooks(GraphicsTextHooks{});
}

// The hooks through which the world reaches the interface and graphics,
// with their least bodies: messages go to the debug log only, nothing is
// drawn, no material or named mesh is made.
#include "world/hooks.h"

namespace {

void LogMessage(const char* text, int) { LogPrintf("message : %s", text ? text : ""); }
void LogError(const char* text) { LogPrintf("error : %s", text ? text : ""); }

Material* NoMaterial(const char*, int, int, int, uint8_t* sky)
{
    if (sky)
        *sky = 0;
    return nullptr;
}
void NoFlatMode(Material*) {}
Material* NoDefaultMaterial() { return nullptr; }
NamedMesh* NoMesh(const char*) { return nullptr; }
void NoPartCount(NamedMesh*, int, int) {}
void NoPartMaterial(NamedMesh*, int, Material*) {}
int NoPart(NamedMesh*, const Material*) { return -1; }
int NoBlock(NamedMesh*) { return -1; }
void NoReserve(NamedMesh*, int, int, int) {}
int NoMeshVertex(NamedMesh*, int, const MeshVertexRecord&) { return -1; }
void NoMeshTriangle(NamedMesh*, int, int, int, int) {}
void NoMeshStep(NamedMesh*) {}
void NoBounds(NamedMesh*, const float*) {}
void IdentityView(const FixedVector& world, FixedVector& view) { view = world; }
const FixedMatrix* IdentityViewMatrix() { return &IdentityMatrix; }
// Without a camera nothing is in view.
int NothingInView(const FixedVector&, Fixed) { return 0; }
int NotReady() { return 1; }
int NotShifted() { return 0; }
void NoStep() {}
void NoBlending(int) {}
void NoBatch(const Material*) {}
int NoBatchVertex(float, float, float, float, float, uint32_t) { return -1; }
void NoBatchTriangle(int, int, int) {}
uint32_t CellColourOnly(const uint8_t colour[4], const FixedVector&, int)
{
    return 0xFF000000u | uint32_t(colour[0]) << 16 | uint32_t(colour[1]) << 8 | colour[2];
}
uint32_t CellColourUnlit(const uint8_t colour[4], const FixedVector& normal) { return CellColourOnly(colour, normal, 0); }
void NoFigureLights(int ambient[3], int first[3], FixedVector& firstDirection, int second[3],
                    FixedVector& secondDirection, int& shift)
{
    for (int i = 0; i < 3; i++)
        ambient[i] = first[i] = second[i] = 0;
    firstDirection = secondDirection = MakeFixedVector(0, 0, 65536);
    shift = 0;
}

constexpr WorldMessageHooks LeastMessageHooks = {LogMessage, LogError};
constexpr WorldDrawHooks LeastDrawHooks = {
    NoMaterial, NoFlatMode, NoDefaultMaterial,
    NoMesh, NoPartCount, NoPartMaterial, NoPart, NoBlock, NoReserve, NoMeshVertex, NoMeshTriangle,
    NoMeshStep, NoBounds, NoMeshStep, NoMeshStep,
    IdentityView, IdentityViewMatrix, NothingInView, NotReady, NotShifted, NoStep, NoStep, NoBlending,
    NoBatch, NoBatchVertex, NoBatchTriangle, NoStep,
    CellColourOnly, CellColourUnlit, NoFigureLights, NoStep,
};

// The hooks in use. Live for the whole run; written only by the setters.
WorldMessageHooks MessageHooks = LeastMessageHooks;
WorldDrawHooks DrawHooks = LeastDrawHooks;

template <typename T>
void Keep(T& target, T given, T least)
{
    target = given ? given : least;
}

} // namespace

const WorldMessageHooks& GetWorldMessageHooks() { return MessageHooks; }
const WorldDrawHooks& GetWorldDrawHooks() { return DrawHooks; }

void SetWorldMessageHooks(const WorldMessageHooks& hooks)
{
    Keep(MessageHooks.printMessage, hooks.printMessage, LeastMessageHooks.printMessage);
    Keep(MessageHooks.printError, hooks.printError, LeastMessageHooks.printError);
}

void SetWorldDrawHooks(const WorldDrawHooks& hooks)
{
    const WorldDrawHooks& l = LeastDrawHooks;
    WorldDrawHooks& d = DrawHooks;
    Keep(d.getMaterialTexture, hooks.getMaterialTexture, l.getMaterialTexture);
    Keep(d.setFlatTextureMode, hooks.setFlatTextureMode, l.setFlatTextureMode);
    Keep(d.defaultMaterial, hooks.defaultMaterial, l.defaultMaterial);
    Keep(d.getMesh, hooks.getMesh, l.getMesh);
    Keep(d.setMeshPartCount, hooks.setMeshPartCount, l.setMeshPartCount);
    Keep(d.setMeshPartMaterial, hooks.setMeshPartMaterial, l.setMeshPartMaterial);
    Keep(d.findMeshPart, hooks.findMeshPart, l.findMeshPart);
    Keep(d.beginMeshBlock, hooks.beginMeshBlock, l.beginMeshBlock);
    Keep(d.reserveMeshPart, hooks.reserveMeshPart, l.reserveMeshPart);
    Keep(d.addMeshVertex, hooks.addMeshVertex, l.addMeshVertex);
    Keep(d.addMeshTriangle, hooks.addMeshTriangle, l.addMeshTriangle);
    Keep(d.endMeshBlock, hooks.endMeshBlock, l.endMeshBlock);
    Keep(d.setMeshBounds, hooks.setMeshBounds, l.setMeshBounds);
    Keep(d.finishMesh, hooks.finishMesh, l.finishMesh);
    Keep(d.releaseMesh, hooks.releaseMesh, l.releaseMesh);
    Keep(d.toViewFrame, hooks.toViewFrame, l.toViewFrame);
    Keep(d.viewMatrix, hooks.viewMatrix, l.viewMatrix);
    Keep(d.sphereInView, hooks.sphereInView, l.sphereInView);
    Keep(d.deviceNotReady, hooks.deviceNotReady, l.deviceNotReady);
    Keep(d.depthShifted, hooks.depthShifted, l.depthShifted);
    Keep(d.resetViewMatrix, hooks.resetViewMatrix, l.resetViewMatrix);
    Keep(d.restoreViewMatrix, hooks.restoreViewMatrix, l.restoreViewMatrix);
    Keep(d.setBlending, hooks.setBlending, l.setBlending);
    Keep(d.beginWorldBatch, hooks.beginWorldBatch, l.beginWorldBatch);
    Keep(d.addWorldVertex, hooks.addWorldVertex, l.addWorldVertex);
    Keep(d.addBatchTriangle, hooks.addBatchTriangle, l.addBatchTriangle);
    Keep(d.endWorldBatch, hooks.endWorldBatch, l.endWorldBatch);
    Keep(d.lightVertex, hooks.lightVertex, l.lightVertex);
    Keep(d.vertexColour, hooks.vertexColour, l.vertexColour);
    Keep(d.figureLights, hooks.figureLights, l.figureLights);
    Keep(d.rebuildLightScheme, hooks.rebuildLightScheme, l.rebuildLightScheme);
}

void ResetWorldHooks()
{
    MessageHooks = LeastMessageHooks;
    DrawHooks = LeastDrawHooks;
}

void WorldPrintMessage(const char* text, int colour) { MessageHooks.printMessage(text, colour); }
void WorldPrintError(const char* text) { MessageHooks.printError(text); }

// What the world asks of the subsystems above it: the on-screen messages
// of the interface and the drawing services of graphics. Each is a function
// pointer with a least body (messages go to the debug log; nothing is drawn
// and no material or mesh is made) until the owner installs its own through
// SetWorldMessageHooks and SetWorldDrawHooks.
#pragma once

#include <cstdint>

#include "core/services.h"

struct Material;
struct NamedMesh;

struct WorldMessageHooks {
    // A message in a standard colour on the message list.
    void (*printMessage)(const char* text, int colour);
    // An error message (error colour and sound).
    void (*printError)(const char* text);
};

// One vertex handed to a named mesh (metres, unit normal).
struct MeshVertexRecord {
    float x = 0, y = 0, z = 0;
    float nx = 0, ny = 0, nz = 0;
    uint32_t colour = 0;  // ARGB
    float u = 0, v = 0;
};

struct WorldDrawHooks {
    // Materials and textures.
    // The material of a model surface's texture: mode 0 solid scenery, 1
    // plain node, 2 car, 3 car skin; with environment the world's
    // environment texture is its second texture; sky is set for the world's
    // sky and environment textures. Null: no material.
    Material* (*getMaterialTexture)(const char* name, int mode, int environment, int skinIndex,
                                    uint8_t* sky);
    // Gives the material's texture the flat-surface mode.
    void (*setFlatTextureMode)(Material* material);
    // The material drawn in place of car-specific parts in depth-shifted drawing.
    Material* (*defaultMaterial)();

    // Named meshes. getMesh finds or creates; the rest fill it.
    NamedMesh* (*getMesh)(const char* name);
    void (*setMeshPartCount)(NamedMesh* mesh, int parts, int blocks);
    void (*setMeshPartMaterial)(NamedMesh* mesh, int part, Material* material);
    // The part of the mesh that has the material; -1 when none.
    int (*findMeshPart)(NamedMesh* mesh, const Material* material);
    int (*beginMeshBlock)(NamedMesh* mesh);
    void (*reserveMeshPart)(NamedMesh* mesh, int part, int triangles, int vertices);
    int (*addMeshVertex)(NamedMesh* mesh, int part, const MeshVertexRecord& vertex);
    void (*addMeshTriangle)(NamedMesh* mesh, int part, int a, int b, int c);
    void (*endMeshBlock)(NamedMesh* mesh);
    void (*setMeshBounds)(NamedMesh* mesh, const float box[6]);
    void (*finishMesh)(NamedMesh* mesh);
    void (*releaseMesh)(NamedMesh* mesh);

    // The camera: world to view frame (16.16), and the view test of a
    // sphere in the view frame (1 when some of it may be seen).
    void (*toViewFrame)(const FixedVector& world, FixedVector& view);
    const FixedMatrix* (*viewMatrix)();
    int (*sphereInView)(const FixedVector& viewCentre, Fixed radius);
    // Set while the device cannot be drawn to; set while drawing depth-shifted.
    int (*deviceNotReady)();
    int (*depthShifted)();
    // The view transform to identity (vertices given in the view frame), and back.
    void (*resetViewMatrix)();
    void (*restoreViewMatrix)();
    // Alpha blending on or off.
    void (*setBlending)(int on);

    // The world batch.
    void (*beginWorldBatch)(const Material* material);
    int (*addWorldVertex)(float x, float y, float z, float u, float v, uint32_t colour);
    void (*addBatchTriangle)(int a, int b, int c);
    void (*endWorldBatch)();

    // Vertex colours: the lit colour of a cell colour (r, g, b, flags) with a
    // view-frame normal and a shade shift; the unshaded vertex colour.
    uint32_t (*lightVertex)(const uint8_t colour[4], const FixedVector& viewNormal, int shadeShift);
    uint32_t (*vertexColour)(const uint8_t colour[4], const FixedVector& viewNormal);
    // The lights of lit figures: ambient, two light colours (0..255 per
    // channel) and directions (16.16 unit, view frame), and the light shift.
    void (*figureLights)(int ambient[3], int first[3], FixedVector& firstDirection, int second[3],
                         FixedVector& secondDirection, int& shift);
    // Another light scheme was selected: the graphics resources that hold
    // its lighting are freed and made again, the looping sound paused
    // meanwhile. Nothing to do without graphics.
    void (*rebuildLightScheme)();
};

// The hooks in use; installed by the interface and graphics at start-up.
const WorldMessageHooks& GetWorldMessageHooks();
const WorldDrawHooks& GetWorldDrawHooks();
// Replaces the hooks; a null member keeps its least body.
void SetWorldMessageHooks(const WorldMessageHooks& hooks);
void SetWorldDrawHooks(const WorldDrawHooks& hooks);
// Back to the least bodies (ResetWorldTables does it too).
void ResetWorldHooks();

// Shorthands of the message hooks.
void WorldPrintMessage(const char* text, int colour);
void WorldPrintError(const char* text);

// A car's damage on its drawn body, until mesh nodes are built: no car
// holds a mesh node yet, so there is nothing to move, smooth or keep.
#include "world/services.h"

int DeformMeshNode(MeshNode&, const Vec3&, const Vec3&, float, float) { return 0; }
void FinishMeshNodeDeform(MeshNode&) {}
void SaveMeshNodeShape(MeshNode&) {}
void RestoreMeshNodeShape(MeshNode&) {}
void FreeMeshNodeShape(MeshNode&) {}

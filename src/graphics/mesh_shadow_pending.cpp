// Temporary body of the shadowed mesh drawing, until the shadow textures
// are built: blocks marked with shadows are drawn as plain blocks (their
// shadows are missing) and their marks cleared, so that nothing marked is
// lost from the frame.
#include <algorithm>

#include "graphics/local.h"

void DrawShadowedBlocks(NamedMesh* mesh, int /*shadowLimit*/)
{
    if (!mesh || !mesh->finished)
        return;
    for (MeshPart& part : mesh->parts)
        DrawMarkedRuns(part, mesh->shadowMarks, mesh->shadowFirst, mesh->shadowLast, 1);
    std::fill(mesh->shadowMarks.begin(), mesh->shadowMarks.end(), 0u);
    mesh->shadowFirst = mesh->blockCount;
    mesh->shadowLast = 0;
}

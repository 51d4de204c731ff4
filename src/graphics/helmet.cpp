// The helmet every driver figure wears: its model loaded once at start-up,
// painted in the default helmet colours, and the nodes it is drawn from,
// one per level of detail.
#include <algorithm>
#include <cstdio>

#include "graphics/local.h"

HelmetRecord Helmet;

namespace {

// The grey of the helmet's master colours M1 to M4.
constexpr uint8_t HelmetGrey = 180;
constexpr const char* DefaultHelmetSkin = "DEFAULT";

// The helmet's skin textures take the skin's texture name ("HEL_<skin>"),
// and its master colour cells M1 to M4 the helmet grey, spread over the
// colour grid.
void SetHelmetColours(ObjectModel& model, const char* skin)
{
    for (ModelTexture& texture : model.textures)
        if (texture.flags & 1)
            std::snprintf(texture.name, sizeof texture.name, "%s_%s", HelmetSkinPrefix, skin);
    for (GridCell& cell : model.grid.cells) {
        if ((cell.code[0] == 'M' || cell.code[0] == 'm') && cell.code[1] >= '1' && cell.code[1] <= '4') {
            cell.red = cell.green = cell.blue = HelmetGrey;
        }
    }
    ResolveCellGrid(model.grid, 0);
}

// The helmet's nodes from its model: its textures in the plain node form,
// then node n from level n.
void BuildHelmetNodes(ObjectModel& model)
{
    SetHelmetColours(model, DefaultHelmetSkin);
    // The helmet's mesh for mesh drawing is made with the light-mapped
    // materials of the world drawing, which is not built yet.
    LogNotAvailableOnce(MutablePendingNotices.helmetMesh, "BuildHelmetTextures : the helmet mesh");
    LoadModelTextures(model, 0, 0, 0, AllModelParts);
    Helmet.nodeCount = std::min<int>(model.levelCount, MaxHelmetNodes);
    for (int level = 0; level < Helmet.nodeCount; level++) {
        auto* node = new MeshNode;
        node->ResetNode();
        BuildModelMeshNode(model, *node, level, 0, 0, 65536, 65536, AllModelParts);
        Helmet.nodes[level] = node;
    }
}

} // namespace

int LoadHelmet()
{
    FreeHelmet();
    auto* model = new ObjectModel;
    InitObjectModel(*model);
    const char* reason = nullptr;
    if (!LoadObjectModel(*model, nullptr, HelmetModelFile, 1, &reason)) {
        LogPrintf("LoadHelmet : %s : %s", reason ? reason : "model not read", HelmetModelFile);
        FreeObjectModel(*model);
        delete model;
        return 0;
    }
    Helmet.model = model;
    BuildHelmetNodes(*model);
    return 1;
}

void FreeHelmetTextures()
{
    for (MeshNode*& node : Helmet.nodes) {
        if (node) {
            DestroySceneNodeTree(*node);
            delete node;
        }
        node = nullptr;
    }
    Helmet.nodeCount = 0;
}

void RebuildHelmetTextures()
{
    FreeHelmetTextures();
    if (Helmet.model)
        BuildHelmetNodes(*Helmet.model);
}

void FreeHelmet()
{
    FreeHelmetTextures();
    if (Helmet.model) {
        FreeObjectModel(*Helmet.model);
        delete Helmet.model;
    }
    Helmet = {};
}

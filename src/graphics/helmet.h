// The helmet every driver figure wears: its object model
// ("data\hmn\helmet.zke") in the default helmet colours and the nodes it is
// drawn from, one per level of detail of the model (at most four).
#pragma once

constexpr const char* HelmetModelFile = "data\\hmn\\helmet.zke";
// The texture name prefix of helmet skins ("HEL_<skin>").
constexpr const char* HelmetSkinPrefix = "HEL";

// Loads the helmet model and builds its nodes; 1 when loaded, 0 when the
// model file cannot be read (the program then has no helmet; logged).
int LoadHelmet();
// Frees the helmet's nodes and its model.
void FreeHelmet();
// The helmet's textures and nodes alone: freed before the graphics
// resources are rebuilt, and built again after from the loaded model.
void FreeHelmetTextures();
void RebuildHelmetTextures();

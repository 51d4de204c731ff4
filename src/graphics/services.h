// Graphics and in-race display: the door other subsystems include.
//
// Graphics owns the graphics device and its adapters, the card settings,
// the render-state cache, textures, materials, named meshes, the draw
// batches, the camera and the view, the colours of messages and the vertex
// lighting, and the helmet's model and nodes. The adapter table and the
// card settings are read-only outside it. It draws through the platform's
// graphics layer and builds from the world's object models and mesh nodes;
// the interface's messages reach it through the hooks the interface
// installs (graphics/hooks.h), and it installs the world's drawing hooks
// (graphics/world_hooks.h).
#pragma once

#include "graphics/builtin_textures.h"
#include "graphics/camera.h"
#include "graphics/car_effects.h"
#include "graphics/colours.h"
#include "graphics/core_hooks.h"
#include "graphics/device.h"
#include "graphics/draw_batch.h"
#include "graphics/frame.h"
#include "graphics/helmet.h"
#include "graphics/hooks.h"
#include "graphics/materials.h"
#include "graphics/meshes.h"
#include "graphics/offscreen.h"
#include "graphics/textures.h"
#include "graphics/vehicle_hooks.h"
#include "graphics/world_hooks.h"

// Resets every table this subsystem owns to its start-up state, and the
// graphics hooks to their least bodies.
void ResetGraphicsTables();

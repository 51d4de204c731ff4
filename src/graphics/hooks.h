// What graphics asks of the interface above it: its messages, and the
// vector font that the built-in textures and the number plates are drawn
// with. Each is a function pointer whose default is the least body of a
// program without an interface (lines go to the debug log; no font
// texture is made and plates stay blank); the interface installs its own
// at start-up (InstallUiGraphicsHooks) and tests install fakes.
#pragma once

#include "core/services.h"

struct GraphicsMessageHooks {
    // A line of the message list in a standard colour.
    void (*printMessage)(const char* text, int colour) = [](const char* text, int) { LogLine(text); };
};

struct GraphicsTextHooks {
    // Rasterises the font into its textures (the number made), and forgets
    // them before the textures are made again.
    int (*createFontTextures)() = [] { return 0; };
    void (*resetFontTextures)() = [] {};
    // A number plate's text: its width at a size (screen units of the
    // offscreen image), and its glyphs filled into the offscreen image
    // from x, with the top of their cells at y.
    float (*plateTextWidth)(const char* text, float size) = [](const char*, float) { return 0.0f; };
    void (*drawPlateText)(const char* text, float x, float y, float xSize, float ySize) =
        [](const char*, float, float, float, float) {};
    // Every character cache is dropped (their textures went with the
    // graphics resources).
    void (*freeCharCaches)() = [] {};
};

// The installed hooks. Live for the whole run; only the setters write
// them, ResetGraphicsTables sets them back.
const GraphicsMessageHooks& GetGraphicsMessageHooks();
void SetGraphicsMessageHooks(const GraphicsMessageHooks& hooks);
const GraphicsTextHooks& GetGraphicsTextHooks();
void SetGraphicsTextHooks(const GraphicsTextHooks& hooks);

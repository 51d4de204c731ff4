// What graphics asks of the interface above it: its messages. Each is a
// function pointer whose default is the least body of a program without an
// interface (the line goes to the debug log); the interface installs its
// own at start-up (InstallUiGraphicsHooks) and tests install fakes.
#pragma once

#include "core/services.h"

struct GraphicsMessageHooks {
    // A line of the message list in a standard colour.
    void (*printMessage)(const char* text, int colour) = [](const char* text, int) { LogLine(text); };
};

// The installed hooks. Live for the whole run; only
// SetGraphicsMessageHooks writes them, ResetGraphicsTables sets them back.
const GraphicsMessageHooks& GetGraphicsMessageHooks();
void SetGraphicsMessageHooks(const GraphicsMessageHooks& hooks);

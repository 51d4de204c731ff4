// The hooks through which graphics reaches the interface, with their least
// bodies: messages go to the debug log, no font is drawn.
#include "graphics/hooks.h"

namespace {
// The installed hooks. Live for the whole run.
GraphicsMessageHooks InstalledMessageHooks;
GraphicsTextHooks InstalledTextHooks;
} // namespace

const GraphicsMessageHooks& GetGraphicsMessageHooks() { return InstalledMessageHooks; }

void SetGraphicsMessageHooks(const GraphicsMessageHooks& hooks) { InstalledMessageHooks = hooks; }

const GraphicsTextHooks& GetGraphicsTextHooks() { return InstalledTextHooks; }

void SetGraphicsTextHooks(const GraphicsTextHooks& hooks) { InstalledTextHooks = hooks; }

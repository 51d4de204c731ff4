// The hooks through which graphics reaches the interface, with their least
// bodies: messages go to the debug log.
#include "graphics/hooks.h"

namespace {
// The installed hooks. Live for the whole run.
GraphicsMessageHooks InstalledMessageHooks;
} // namespace

const GraphicsMessageHooks& GetGraphicsMessageHooks() { return InstalledMessageHooks; }

void SetGraphicsMessageHooks(const GraphicsMessageHooks& hooks) { InstalledMessageHooks = hooks; }

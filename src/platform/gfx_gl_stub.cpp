// The OpenGL graphics back end is not built into this program yet: asking
// for it answers "not available", as on a machine without OpenGL.
#include "platform/gfx.h"

namespace platform {

GfxSystem* CreateGlGfxSystem() { return nullptr; }

} // namespace platform

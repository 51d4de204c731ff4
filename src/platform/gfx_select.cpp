// Chooses the graphics back end.
#include "platform/gfx.h"

namespace platform {

GfxSystem* CreateGfxSystem(GfxBackEnd backEnd)
{
    switch (backEnd) {
    case GfxBackEnd::Null: return CreateNullGfxSystem();
    case GfxBackEnd::OpenGl: return CreateGlGfxSystem();
    }
    return nullptr;
}

} // namespace platform

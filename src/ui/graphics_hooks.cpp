// What the interface gives graphics: its message list.
#include "graphics/services.h"
#include "ui/services.h"

void InstallUiGraphicsHooks()
{
    GraphicsMessageHooks hooks = GetGraphicsMessageHooks();
    hooks.printMessage = PrintMessage;
    SetGraphicsMessageHooks(hooks);
}

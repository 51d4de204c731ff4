// What the interface gives the world: its message list, messages in a
// standard colour and errors.
#include "ui/services.h"
#include "world/services.h"

void InstallUiWorldHooks()
{
    WorldMessageHooks hooks = GetWorldMessageHooks();
    hooks.printMessage = PrintMessage;
    hooks.printError = PrintError;
    SetWorldMessageHooks(hooks);
}

// What the interface gives the cars: their messages on the message list.
#include "ui/services.h"
#include "vehicle/services.h"

void InstallUiVehicleHooks()
{
    CarMessageHooks messages = GetCarMessageHooks();
    messages.printMessage = PrintMessage;
    messages.printError = PrintError;
    messages.printNotice = PrintNotice;
    messages.printLoadError = PrintLoadError;
    messages.printNetDebug = PrintNetDebugMessage;
    SetCarMessageHooks(messages);
}

// What the interface gives the race: its message lines and the language's
// code page. A message box over a screen is an error line until dialogs
// are built.
#include "session/services.h"
#include "ui/services.h"

void InstallUiSessionHooks()
{
    RaceHooks hooks = GetRaceHooks();
    hooks.printMessage = PrintMessage;
    hooks.printNotice = PrintNotice;
    hooks.printError = PrintError;
    hooks.showMessageBox = [](Screen*, const char* text) { PrintError(text); };
    hooks.languageCodePage = [] { return TextCodePage; };
    SetRaceHooks(hooks);
}

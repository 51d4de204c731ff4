// The dedicated host's console as a bare command line, until its status
// window is built: typed lines run as commands, and the debug log's lines
// are written to the terminal.
#include "net/local.h"
#include "session/services.h"

void InitHostConsole()
{
    SetConsoleMode(1);
    MutableNet.consoleLength = 0;
    // Until the console draws its own status window, the terminal shows
    // the debug log, from its first line on (an invisible host shows
    // nothing).
    if (ProgramMode.dedicatedMode < 3)
        EchoDebugLog(true);
}

void PaintHostWindow() {}
void UpdateHostWindow() {}

void OnHostConsoleKey(int code)
{
    char* line = MutableNet.consoleLine;
    int& length = MutableNet.consoleLength;
    if (code == 13) {
        line[length] = 0;
        if (length > 0)
            ExecuteCommand(nullptr, line, 0);
        length = 0;
    } else if (code == 8) {
        if (length > 0)
            --length;
    } else if (code >= 32 && code < 256 && length < HostConsoleLineSize - 1) {
        line[length++] = static_cast<char>(code);
    }
}

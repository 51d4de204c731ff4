// Core's hooks into the subsystems above it and their least bodies.
#include "core/hooks.h"

#include "core/local.h"
#include "core/services.h"

namespace {

void LogMessage(const char* text, int) { LogLine(text); }

void LogText(const char* text) { LogLine(text); }

void LogMessagePair(const char* first, const char* second, int) { LogPrintf("%s %s", first, second); }

void LogLoadError(const char* fileName) { LogPrintf("%s : %s", GetMessageText(52), fileName); }

int QuitWithoutShell(int)
{
    if (ProgramMode.quitState == 0)
        SetQuitState(1);
    return ProgramMode.quitState;
}

// Each lives for the whole run; only the setters below write them.
InterfaceHooks InstalledInterfaceHooks;
SettingsHooks InstalledSettingsHooks;
ShellHooks InstalledShellHooks;

} // namespace

InterfaceHooks::InterfaceHooks()
    : printMessage(LogMessage), printError(LogText), printMessagePair(LogMessagePair), printLoadError(LogLoadError)
{
}

ShellHooks::ShellHooks() : requestQuit(QuitWithoutShell) {}

const InterfaceHooks& GetInterfaceHooks() { return InstalledInterfaceHooks; }
const SettingsHooks& GetSettingsHooks() { return InstalledSettingsHooks; }
const ShellHooks& GetShellHooks() { return InstalledShellHooks; }

void SetInterfaceHooks(const InterfaceHooks& hooks) { InstalledInterfaceHooks = hooks; }
void SetSettingsHooks(const SettingsHooks& hooks) { InstalledSettingsHooks = hooks; }
void SetShellHooks(const ShellHooks& hooks) { InstalledShellHooks = hooks; }

void ResetCoreHooks()
{
    InstalledInterfaceHooks = {};
    InstalledSettingsHooks = {};
    InstalledShellHooks = {};
}

int RequestQuit(int target) { return InstalledShellHooks.requestQuit(target); }

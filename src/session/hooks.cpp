// The race's hooks into the subsystems above it and their least bodies.
#include "session/hooks.h"

#include "core/services.h"

namespace {

void LogText(const char* text) { LogLine(text); }
void LogMessage(const char* text, int) { LogLine(text); }
void LogMessageBox(Screen*, const char* text) { LogLine(text); }

RaceHooks InstalledRaceHooks;

} // namespace

RaceHooks::RaceHooks()
    : printMessage(LogMessage), printNotice(LogText), printError(LogText), showMessageBox(LogMessageBox)
{
}

const RaceHooks& GetRaceHooks() { return InstalledRaceHooks; }

void SetRaceHooks(const RaceHooks& hooks) { InstalledRaceHooks = hooks; }

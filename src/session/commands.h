// Text commands and chat: lines typed by the user, received from the host
// or run from a script. The commands are not built yet: the temporary
// bodies (commands_pending.cpp) log every line and understand "/exit"
// only, which asks the program to quit.
#pragma once

// 1 when the line may be sent now (the flood limit).
// Pending: no flood limit; answers 1.
int MaySendText(const char* line, int flags);
// The flood limit of message commands, on this computer and the host alike:
// 1 (and the time remembered) when more than 500 ms have passed since the
// last one let through; else 0 with the refused-key sound.
int CheckMessageCommandRate();
// Runs a typed or received line: "/" lines are commands, others chat.
// Pending: logs the line; only "/exit" acts.
void ExecuteCommand(void* connection, const char* line, int flags);
// Runs "data\script\<name>.qvn" line by line as commands.
// Pending: no scripts; does nothing.
void RunScript(const char* name);

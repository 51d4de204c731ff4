// The dedicated host's console. Its status window is not built yet: the
// console is a bare command line on the terminal (host_console_pending.cpp)
// where typed lines run as commands and the debug log's lines are written.
#pragma once

// Sets the console up (console mode on).
void InitHostConsole();
// Paints the console's window; keeps it up to date once per pass.
// Pending: no status window; both do nothing.
void PaintHostWindow();
void UpdateHostWindow();
// A key typed at the console: Enter runs the line, Backspace removes a
// character, other characters are added.
void OnHostConsoleKey(int code);

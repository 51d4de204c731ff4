// The program shell: the door for the program's entry and the shell's tests.
//
// The shell starts the program as its command line says, runs the main
// loop that paces the frames, advances the game clock, runs the screens,
// draws and takes the window's events, and shuts the program down. It owns
// the main window with its input and display modes, the root screen and the
// command line with the hand-over to a running copy. It sits on top of every
// subsystem and installs their hooks at start-up; nothing includes it.
#pragma once

#include "app/command_line.h"
#include "app/exit_codes.h"
#include "app/main_window.h"
#include "app/root_screen.h"
#include "app/shell.h"
#include "app/shell_events.h"

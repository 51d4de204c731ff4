// Declarations shared only inside the program shell.
#pragma once

// The text of a command-line or hand-over message, in the current language.
const char* CommandLineText(const char* english);
// The field of view and the screen scales of the drawing area as it now is
// (after the device is made and after every change of the drawing area).
void UpdateViewOfDrawingArea();

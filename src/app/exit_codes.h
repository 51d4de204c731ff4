// The program's exit codes: what a script or a service manager learns from
// the way the program ended. The README lists the same table.
//
// A replay check (the "hlvc" option) ends with its own codes 1 to 13, which
// outside scripts already read ("1": the lap is good); the failures of
// start-up therefore use codes of their own, from 20 on, so that a refused
// command line can never read as a good lap.
#pragma once

enum ExitStatus : int {
    // A normal end: the user quit, a signal asked the program to end, or a
    // file named on the command line was handed to the running copy.
    ExitNormal = 0,
    // The command line, a host configuration file it names, or a file to
    // hand over was refused.
    ExitBadCommandLine = 20,
    // The data folder is missing or cannot be written.
    ExitDataFolder = 21,
    // Content that start-up needs (skins, engines, the font, the figures,
    // the car body models) is missing or damaged.
    ExitContentMissing = 22,
    // The machine refused what the program needs: no display, no window,
    // no graphics device, or no system timer.
    ExitMachineRefused = 23,
};

// The program version text ("0.5Z") that the race files, replays and the
// network carry.
#pragma once

constexpr int ProgramVersionSize = 8;
// Read-only outside the session; written by FormatVersion at start-up.
// Lives for the whole run.
extern const char (&ProgramVersion)[ProgramVersionSize];
void FormatVersion();

// Application core: the services every other subsystem uses.
//
// The core starts the program and runs its main loop, and owns what every
// subsystem shares: the debug log, binary data files, 16.16 fixed-point and
// float maths, CRC-32 and TEA, text helpers, the car name table, the
// translatable texts, the settings and the player profile. It needs only
// the platform layer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

// ---------------------------------------------------------------------------
// Debug log "deb.log": one line per event, never stops the program.

// Sets the logging flag and deletes the log file.
void StartDebugLog();
// Appends one line (colour codes removed, at most 128 characters); returns
// 0 when the log cannot be opened.
int LogLine(const char* text);
// Formats into a 256-character buffer and logs it with LogLine.
int LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Logs the version line.
void LogVersion();
// Names the log file ("deb.log" by default).
void SetDebugLogName(std::string_view fileName);
const char* DebugLogName();
// Whether StartDebugLog has run. Lives for the whole run.
extern bool DebugLogging;

// The product's short name and version, as the version line shows them.
constexpr const char* ProductShortName = "QVN";
constexpr const char* ProductVersion = "0.5Z";

// ---------------------------------------------------------------------------
// Binary data files (DataFile).
//@@ data-file

// ---------------------------------------------------------------------------
// 16.16 fixed-point and float maths.
//@@ maths

// ---------------------------------------------------------------------------
// CRC-32, TEA and text helpers.
//@@ crc-text
// Writes exactly n bytes of the text with colour codes removed (the rest
// zero filled, so the output holds no terminator when the text fills it);
// returns the output index that matches the input position.
int StripColourCodes(char* output, const char* text, int n, int position);

// ---------------------------------------------------------------------------
// Car name table.
//@@ car-table

// ---------------------------------------------------------------------------
// Resets every table the core owns to its start-up state.
void ResetCoreTables();

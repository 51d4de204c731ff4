// The debug log "deb.log" and the product name and version it begins with.
#pragma once

#include <string>
#include <string_view>

// Debug log "deb.log": one line per event, never stops the program.

// Sets the logging flag and starts the log empty. The folder's "deb.log"
// belongs to one running copy: when another copy writes it, this copy logs
// to the first free "deb_2.log" .. "deb_9.log" instead. Returns what the
// user should be told about that (empty when this copy has "deb.log").
std::string StartDebugLog();
// Appends one line (colour codes removed, at most 128 characters); returns
// 0 when the log cannot be opened.
int LogLine(const char* text);
// Formats into a 256-character buffer and logs it with LogLine.
int LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Logs "<name> : not available yet" for a service that is not built yet,
// once: noted, the caller's flag, is set after the first line.
void LogNotAvailableOnce(bool& noted, const char* name);
// Logs the version line.
void LogVersion();
// Makes the named file this copy's debug log, started empty (the "log"
// option and text command). Returns the reason when it is refused (empty
// when done): the name must be a plain file name ending in ".log" in the
// program's folder; an existing file must be a debug log of this program
// (a user's file is never emptied); another running copy's log is left alone.
std::string UseDebugLogFile(std::string_view fileName);
// The current log file's name.
const char* DebugLogName();
// When on, every logged line is also written to standard output; turning
// it on first writes the lines logged so far.
void EchoDebugLog(bool on);
// Lets the log go and names "deb.log" again, logging flag and echo off.
void ResetDebugLog();
// Whether StartDebugLog has run. Lives for the whole run.
extern const bool& DebugLogging;

// The product's short name and version, as the version line shows them.
constexpr const char* ProductShortName = "QVN";
constexpr const char* ProductVersion = "0.5Z";

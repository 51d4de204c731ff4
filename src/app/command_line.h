// The command line and the hand-over of data files to a running copy.
//
// The command line either names a data file (a replay, setup or layout, as
// when the user opens one from the desktop), which HandOverFile copies into
// its data folder and hands to a running copy, or holds options written as
// "/name=value" that start the program as a host, a guest, a replay checker
// or a killer of a running host; a host configuration file may hold them
// instead. What the options choose goes into core's records (ProgramMode,
// Settings, DataPaths) and into the multiplayer layer's host options.
#pragma once

#include <string>

namespace platform {
struct HandOverPeer;
}

// The replay to open (name without folder and extension) holds this many
// characters.
constexpr int ReplayNameLength = 47;
constexpr int CommandLineErrorSize = 256;

// What the command line and the hand-over leave for the rest of start-up
// and for the root screen. Lives for the whole run; ResetAppTables sets it
// back.
struct CommandLineRecord {
    char error[CommandLineErrorSize] = "";  // the text of a command-line error (start mode 0)
    // The replay to open and its kind: 1 single-player, 2 multiplayer, 0
    // none. Set by the hand-over in either copy and by the replay check
    // option; the root screen opens it and clears the request.
    char replayToOpen[ReplayNameLength + 1] = "";
    int replayOpenRequest = 0;
    // 1 when HandOverFile ended the program with an error message rather
    // than by handing the file over (start-up reads it for the exit code).
    int handOverRefused = 0;
};
extern CommandLineRecord CommandLine;

// The option names, in order; the first five are the start options.
constexpr int OptionCount = 46;
constexpr int StartOptionCount = 5;
extern const char* const OptionTable[OptionCount];

// The data files a command line may name, by kind 1 to 4.
struct FileKind {
    const char* word;    // the extension, upper case
    const char* folder;  // under "data"
    const char* magic;   // the file's first six bytes
};
constexpr int FileKindCount = 4;
extern const FileKind FileKindTable[FileKindCount + 1];  // entry 0 unused

// Linux passes the words of the command line apart: joined with single
// blanks they are the line the program reads ("/host=My Host" stays one
// option, a path with blanks one name).
std::string JoinCommandLine(int argc, const char* const* argv);

// Checks a data file named by the command line, copies it into its data
// folder and hands it to the running copy (null when none runs). Returns 1
// to go on starting (no data file named, or a replay for this copy to play)
// and 0 to end the program (handed over, copied, or an error shown).
int HandOverFile(const platform::HandOverPeer* runningCopy, const char* commandLine);

// Reads the options; on an error sets the start mode to 0 and the error
// text.
void ParseCommandLine(const char* commandLine);

// Makes sure "data\<name>" can hold files: 0 when "data\<name>\file.fl"
// can be created (it is deleted again) or the folder could be created,
// -1 otherwise.
int MakeDataFolder(const char* name);

// The running copy's answer to a hand-over request (kind 1 and 2 replays
// with their name, 3 setups, 4 layouts): 1 taken, 3 not able to open a
// replay now, 4 a name that is missing or too long; 0 for other kinds.
int OnFileRequest(int kind, const char* name);
// Whether this copy can open a handed-over replay now: the root screen,
// the replay browser or a replay viewer is idle.
int IsIdleForFileRequest();

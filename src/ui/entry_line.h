// The one text-entry line: every text the player types (dialogs, chat and
// commands, names, numbers, file names, passwords, the host console) is
// edited here as a row of character cells, each with its own code page,
// colour and trail byte, and kept beside them as the caret-coded text the
// rest of the program sends, stores and draws.
#pragma once

#include <cstdint>

// Room of the line: at most EntryLineSize - 1 characters and text bytes.
constexpr int EntryLineSize = 96;

// Modes of the line.
enum : uint8_t {
    EntryModeFree = 0,
    EntryModeFileName = 1,    // no "." first; \ / : * ? " < > | kept as caret escapes
    EntryModeSingleByte = 2,  // double-byte characters are refused
};

// The colour of a cell that takes the text's own colour.
constexpr uint8_t EntryOwnColour = 8;

struct EntryCell {
    uint8_t character = 0;  // 0 ends the cells
    uint8_t codePage = 0;   // 0..9
    uint8_t colour = 0;     // 0..7, or EntryOwnColour
    uint8_t trail = 0;      // trail byte of a double-byte character, else 0

    bool operator==(const EntryCell&) const = default;
};

struct EntryLineRecord {
    char text[EntryLineSize] = {};  // caret-coded, rebuilt after every change
    EntryCell cells[EntryLineSize] = {};
    int caret = 0;              // cell index where typing inserts
    int prefixLength = 0;       // cells before this are fixed
    int maxLength = EntryLineSize;
    uint8_t mode = EntryModeFree;
    uint8_t pendingLead = 0;    // lead byte waiting for its trail byte
    uint8_t typingColour = EntryOwnColour;
    int recallSeq = -1;         // seq of the message line last recalled, -1 none
    int caretTextPosition = 0;  // index in text where the caret's cell begins
    int freeBytes = 0;          // text bytes left; 0 while no entry is active
    EntryCell copiedCells[EntryLineSize] = {};  // the last copy, to paste back with colours
    char copiedText[EntryLineSize] = {};        // its plain text in the cells' pages
    int storedMessageRequest = 0;  // message key number + 1 of a function key pressed meanwhile

    bool operator==(const EntryLineRecord&) const = default;
};
// Read-only outside the interface; lives for the whole run, started again
// by BeginTextEntry.
extern const EntryLineRecord& EntryLine;

// Starts editing: an empty line of at most maxLength (capped at 96) in the
// mode, or the initial text parsed in code page 0 with the caret after it;
// prefix cells of it are fixed (-1: the whole initial text).
void BeginTextEntry(int maxLength, const char* initial, int prefix, int mode);
// Inserts a character at the caret: 1 when taken or quietly ignored, 0
// when refused (line full or text too long) with the invalid-key sound.
int InsertCharacter(int character, int trail, int codePage, int colour);
// InsertCharacter in the keyboard's code page and the typing colour.
int TypeCharacter(int character);
// Inserts cells up to the first with character 0, stopping at the first
// refused; 1 when all went in.
int InsertCells(const EntryCell* cells);
// TypeCharacter for each byte until one is refused; 1 when all went in.
int TypeString(const char* text);
// The editing keys (arrows, words with Ctrl, Home, End, Backspace, Delete,
// colours with Ctrl and a digit, recall, copy and paste) and typing.
void HandleEntryKey(int code);
// Trims the line for use: no blanks (in file-name mode no dots either) at
// the prefix, none at the end; the caret goes to the end.
void TrimEntryLine();
// Turns a caret-coded text into cells (up to EntryLineSize - 1) or into
// plain text (plainSize bytes, terminated); either may be null. Returns
// the number of characters.
int ParseCaretText(EntryCell* cells, char* plain, int plainSize, const char* text, int codePage);
// Puts a caret-coded text in the page into the line in place of what it
// held (cut to what the line holds); the caret goes to its end.
void SetEntryLineText(const char* text, int codePage);
// Rebuilds text, caretTextPosition and freeBytes from the cells; returns
// the text's length (maxLength when cells did not fit).
int RebuildEntryText();
// Typing colour (0..8), as Ctrl with a digit sets it.
void SetTypingColour(int colour);
// Leaves a function key's stored-message request while a dialog is open
// (number + 1 of the message key, 0 none); InsertStoredMessage takes it.
void RequestStoredMessage(int request);
// Inserts the requested stored message in code page 0 and clears the
// request: 1 when one was requested and all of it went in.
int InsertStoredMessage();
// Ends text entry: the line's free space becomes 0 (no entry active).
void EndTextEntry();

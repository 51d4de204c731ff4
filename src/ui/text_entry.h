// The text-entry dialog: the one modal dialog in which every typed input
// is asked (names, numbers, passwords, chat lines, file names to load or
// save), with a list of existing files that can be sorted, renamed and
// deleted, and a question before a file is overwritten. Its logic is kept
// apart from its drawing (text_entry_draw.cpp).
#pragma once

#include "ui/entry_line.h"
#include "ui/file_list.h"
#include "ui/screens.h"

// Entry types.
enum : int {
    EntryTypeText = 0,
    EntryTypeName = 1,        // a name in file-name mode
    EntryTypePassword = 2,    // single-byte, shown as bullets, no copy, input method closed
    EntryTypeSingleByte = 3,  // input method closed
    EntryTypeLoadFile = 4,    // choose an existing file
    EntryTypeFileName = 5,
    EntryTypeSaveFile = 6,    // a file name to save; asks before overwriting
};

// States of the open dialog.
enum : int {
    EntryStateEditing = 0,
    EntryStateRenaming = 1,
    EntryStateConfirmDelete = 2,
    EntryStateConfirmOverwrite = 3,
    EntryStateNameExists = 4,
    EntryStateFileNotFound = 5,
    EntryStateNoFiles = 6,
    EntryStateNoName = 7,
};

// Commands of the dialog's own buttons besides the colours 0..8.
enum : int {
    EntryCommandSortByName = 9,
    EntryCommandSortByDate = 10,
    EntryCommandRename = 11,
    EntryCommandDelete = 12,
    EntryCommandCodePage = -1,
    EntryCommandKeyboard = -2,
    EntryCommandInputMethod = -3,
};

// Called on acceptance with the asking screen, the typed caret-coded text
// and the value given at opening (plus the answer's choice).
using TextEntryCompletion = void (*)(Screen* screen, const char* text, int value);

constexpr int EntryTitleSize = 128;
constexpr int EntryPatternSize = 128;
constexpr int EntryFilterSize = 8;
// Rows of the file list shown at once, and the rows Page Up and Page Down
// move it by.
constexpr int EntryVisibleFiles = 16;
constexpr int EntryPageRows = 15;

struct TextEntryDialogRecord {
    Screen header;
    Screen* asker = nullptr;                // the screen that opened it
    TextEntryCompletion completion = nullptr;
    char title[EntryTitleSize] = {};        // a longer title becomes empty
    int value = 0;
    int type = EntryTypeText;
    char pattern[EntryPatternSize] = {};    // a file path with one "%s" for the name; empty: no list
    char filter[EntryFilterSize] = {};      // the fixed prefix that filters the list
    FileList files;
    int sortByDate = 1;
    int state = EntryStateEditing;
    char oldName[EntryLineSize] = {};       // the file under rename
    int keyboardShown = 0;
    int selectedLead = 0;
    int savedUiMode = 0;
};
// The one dialog; read-only outside the interface; lives for the whole run.
extern const TextEntryDialogRecord& TextEntryDialog;

// Opens the dialog as the child of screen, unless screen has a child
// already or nothing is drawn; returns the dialog's screen or screen.
Screen* OpenTextEntry(Screen* screen, TextEntryCompletion completion, const char* title, int maxLength, int value,
                      const char* initial, int prefix, int type, const char* pattern);
// Answer 0 cancels; any other accepts (answer - 1 goes to the completion).
void TextDialogAnswer(int answer);
// The dialog's own buttons (colours 0..8 and the commands above).
void TextDialogCommand(int command);
// A click on a listed file: the first fills the line, a second accepts.
void OnDialogFileRow(int row);
// Closes the dialog without calling the completion.
void CloseTextDialog();
// Scans the pattern with the filter again.
void RefreshDialogFiles();
// Brings the typed name's row into view when sorted by name.
void ScrollDialogFiles();
// The path of a name in the dialog's pattern; 0 when the name cannot be a
// file of the pattern's folder or the path does not fit.
int DialogFilePath(const char* name, char* path, int size);
// The chat and command line: the text-entry dialog titled "Enter
// message", at most 96 characters, the initial text fixed.
void AskCommandLine(Screen* parent, const char* prefix);

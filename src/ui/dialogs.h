// Modal dialogs (dialogs.cpp): a question or a notice in a small panel that
// opens as the child of the screen that asks. There is one message dialog
// for the whole program, so a screen that already has a child cannot open
// another; its notices then go to the message list.
#pragma once

struct Screen;

// What the message dialog's answer calls: the asking screen and the two
// values given when it opened.
using DialogAction = void (*)(Screen* screen, int value, int value2);

// Button styles of the message dialog.
enum MessageDialogStyle : int {
    DialogYesNo = 0,
    DialogYesNoPlainSecond = 1,  // the second line in code page 0
    DialogOkCancel = 2,
};

// A notice with an OK button on the screen; a light-red message line
// instead when the screen is null or already has a child.
void ShowMessageBox(Screen* screen, const char* text);
// The two texts joined by a blank, as ShowMessageBox.
void ShowMessageBoxPair(Screen* screen, const char* first, const char* second);
// A notice with a second line in code page 0 (names and file names).
void ShowMessageBoxLines(Screen* screen, const char* text, const char* second);
// A question: accepting (the yes or OK button, Enter or Y) calls the action
// with the two values; anything else closes it. Nothing opens when the
// screen already has a child.
void OpenConfirmDialog(Screen* screen, DialogAction action, const char* text, const char* second, int value,
                       int value2, int style);

// What the list dialog's choice calls: the asking screen, the user value
// given when it opened and the row chosen.
using ChoiceAction = void (*)(Screen* screen, int userValue, int row);
// A column of choices under a title: texts holds count references to
// translatable texts (so a language change shows at once), the current
// row is highlighted. A row click closes it and calls the action; the
// cancel button or any key closes it without calling. Nothing opens when
// the screen already has a child, nor without graphics.
void OpenChoiceDialog(Screen* screen, ChoiceAction action, const char* title, const char* const* const* texts,
                      int count, int userValue, int currentIndex);

// What the file picker's choice calls: the asking screen, the chosen name
// (without its extension) and its row.
using FilePickerCompletion = void (*)(Screen* screen, const char* name, int row);
// The file picker: a full screen listing the files of the pattern (a game
// path such as "data\spr\*.spr", and the second pattern's files after
// them), sorted by name (sort mode 0) or date (1), with the select name
// selected. A click on a name shorter than maxNameLength calls the
// completion and closes the picker; a longer one is refused with a
// message and the picker stays. Opens as the screen's child unless it has
// one; returns the child (null when none opened).
Screen* OpenFilePicker(Screen* screen, FilePickerCompletion completion, const char* pattern, const char* title,
                       int maxNameLength, const char* selectName, int sortMode, const char* secondPattern);
// The tips panel: five tips for a new driver under a title. It ignores
// keys; the screen that opened it closes it. Returns the new screen.
Screen* OpenTipsPanel(Screen* screen);

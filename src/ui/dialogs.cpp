// The message dialog and the list dialog: static screens that show a
// notice, ask a yes/no question or offer a column of choices over the
// screen that opened them, and give the answer to the asking screen's
// action.
#include <cstdio>
#include <cstring>

#include "ui/local.h"

MessageDialogRecord MutableMessageDialog;
ChoiceDialogRecord MutableChoiceDialog;

namespace {

// The interface mode while a modal dialog is open.
constexpr int DialogUiMode = 2;
// Message colours of the fallback lines.
constexpr int LightRed = 9;
// The answers: accept (calls the action) and decline.
constexpr int AnswerAccept = 0, AnswerDecline = 1;
// The panel's grey and the black of its texts.
constexpr ColourRecord PanelGrey{148, 148, 148, 0};
constexpr ColourRecord TextBlack{0, 0, 0, 0};

MessageDialogRecord& Dialog() { return MutableMessageDialog; }

// Closes a dialog: the interface mode it found comes back and the asking
// screen takes input again.
void CloseDialog(Screen& dialog, int savedUiMode)
{
    dialog.alive = 0;
    MutableUi.uiMode = savedUiMode;
    if (dialog.parent != nullptr)
        ResumeScreen(dialog.parent);
    // A dialog asked from another dialog (the code-page chooser over the
    // text entry) leaves that one open.
    MutableUi.dialogOpen = savedUiMode == DialogUiMode ? 1 : 0;
}

// Opens a dialog over the asking screen: modal, current, its child.
void OpenDialog(Screen& dialog, Screen* screen, int& savedUiMode)
{
    savedUiMode = UiMode;
    MutableUi.uiMode = DialogUiMode;
    MutableUi.dialogOpen = 1;
    SetCurrentScreen(&dialog);
    OpenChildScreen(screen, &dialog);
}

// The frame of a closed dialog gives back the interface mode and ends it.
Screen* EndClosedDialog(int savedUiMode)
{
    MutableUi.dialogOpen = 0;
    MutableUi.uiMode = savedUiMode;
    return nullptr;
}

void MessageDialogAnswer(Screen*, int, int answer)
{
    MessageDialogRecord& dialog = Dialog();
    Screen* asking = dialog.parent;
    const DialogAction action = dialog.action;
    CloseDialog(dialog, dialog.savedUiMode);
    if (answer == AnswerAccept && action != nullptr)
        action(asking, dialog.value, dialog.value2);
}

void AddDialogButton(float x1, float x2, TextId text, UiColour colour, int answer)
{
    AddUiItem(&Dialog(), x1, -0.29f, x2, -0.21f, UiWord(answer), UiWord(GetText(text)), UiWord(0), UiWord(),
              UiParamButton, InterfaceColour(colour), MessageDialogAnswer);
}

void AddMessageDialogItems(MessageDialogRecord& dialog)
{
    AddUiItem(nullptr, -0.42f, -0.47f, 0.42f, -0.19f, UiWord(), UiWord(""), UiWord(0), UiWord(), UiParamButton,
              &PanelGrey, nullptr);
    AddUiItem(nullptr, -0.42f, -0.45f, 0.42f, -0.37f, UiWord(), UiWord(dialog.text), UiWord(-1), UiWord(),
              UiCentredText, &TextBlack, nullptr);
    if (dialog.second[0] != 0) {
        auto add = dialog.style == DialogYesNoPlainSecond ? AddUiItemUntranslated : AddUiItem;
        add(nullptr, -0.42f, -0.37f, 0.42f, -0.29f, UiWord(), UiWord(dialog.second), UiWord(-1), UiWord(),
            UiCentredText, &TextBlack, nullptr);
    }
    if (dialog.action == nullptr) {
        AddDialogButton(-0.13f, 0.13f, TX_3a_capitlok, UiColour::ButtonGreen, AnswerDecline);
        return;
    }
    const bool okCancel = dialog.style == DialogOkCancel;
    AddDialogButton(-0.35f, -0.15f, okCancel ? TX_3a_cancelbt : TX_3a_small_no, UiColour::ButtonRed, AnswerDecline);
    AddDialogButton(0.15f, 0.35f, okCancel ? TX_3a_capitlok : TX_3a_smallyes, UiColour::ButtonGreen, AnswerAccept);
}

Screen* MessageDialogFrame(Screen* screen)
{
    MessageDialogRecord& dialog = Dialog();
    if (!dialog.alive)
        return EndClosedDialog(dialog.savedUiMode);
    if (ScreenFrameBusy(screen))
        return screen;
    AddMessageDialogItems(dialog);
    return screen;
}

void MessageDialogKey(Screen*, int code)
{
    constexpr int Enter = 13, Escape = 27, Space = 32;
    if (Dialog().action != nullptr) {
        MessageDialogAnswer(nullptr, 0, code == Enter || code == 'Y' ? AnswerAccept : AnswerDecline);
        return;
    }
    if (code == Enter || code == Escape || code == Space)
        MessageDialogAnswer(nullptr, 0, AnswerDecline);
}

// A text that does not fit the dialog's line is shown as an empty one.
void CopyLine(char (&line)[MessageDialogLineSize], const char* text)
{
    line[0] = 0;
    if (text != nullptr && std::strlen(text) < sizeof line)
        std::snprintf(line, sizeof line, "%s", text);
}

void OpenMessageDialog(Screen* screen, DialogAction action, const char* text, const char* second, int value,
                       int value2, int style)
{
    if (!ProgramMode.graphicsOn) {
        PrintMessage(text, LightRed);
        return;
    }
    MessageDialogRecord& dialog = Dialog();
    dialog = MessageDialogRecord{};
    InitScreen(&dialog, screen, MessageDialogFrame, MessageDialogKey, DefaultScreenMouse, nullptr, 1);
    dialog.action = action;
    CopyLine(dialog.text, text);
    CopyLine(dialog.second, second);
    dialog.value = value;
    dialog.value2 = value2;
    dialog.style = static_cast<uint8_t>(style);
    OpenDialog(dialog, screen, dialog.savedUiMode);
}

// The list dialog's geometry: rows from y -0.35, 0.06 high; the panel
// reaches 0.12 below the last row.
constexpr float ChoiceRowsTop = -0.35f, ChoiceRowHeight = 0.06f;

void ChoiceDialogRow(Screen*, int row, int)
{
    ChoiceDialogRecord& dialog = MutableChoiceDialog;
    Screen* asking = dialog.parent;
    const ChoiceAction action = dialog.action;
    CloseDialog(dialog, dialog.savedUiMode);
    if (action != nullptr)
        action(asking, dialog.userValue, row);
}

void ChoiceDialogCancel(Screen*, int, int)
{
    CloseDialog(MutableChoiceDialog, MutableChoiceDialog.savedUiMode);
}

void AddChoiceDialogItems(ChoiceDialogRecord& dialog)
{
    const float rowsEnd = ChoiceRowsTop + ChoiceRowHeight * static_cast<float>(dialog.count);
    AddUiItem(nullptr, -0.42f, -0.47f, 0.42f, rowsEnd + 0.12f, UiWord(), UiWord(""), UiWord(0), UiWord(),
              UiParamButton, &PanelGrey, nullptr);
    AddUiItem(nullptr, -0.42f, -0.45f, 0.42f, -0.37f, UiWord(), UiWord(dialog.title), UiWord(-1), UiWord(),
              UiCentredText, InterfaceColour(UiColour::TextUnselected), nullptr);
    for (int row = 0; row < dialog.count; ++row) {
        const float top = ChoiceRowsTop + ChoiceRowHeight * static_cast<float>(row);
        const UiColour colour = row == dialog.currentIndex ? UiColour::TextSelected : UiColour::TextUnselected;
        AddUiItem(&dialog, -0.35f, top, 0.35f, top + ChoiceRowHeight, UiWord(&dialog.currentIndex),
                  UiWord(dialog.texts[row]), UiWord(row), UiWord(), UiChoiceButton, InterfaceColour(colour),
                  ChoiceDialogRow);
    }
    AddUiItem(&dialog, -0.13f, rowsEnd + 0.02f, 0.13f, rowsEnd + 0.1f, UiWord(0), UiWord(GetText(TX_3a_cancelbt)),
              UiWord(0), UiWord(), UiParamButton, InterfaceColour(UiColour::ButtonRed), ChoiceDialogCancel);
}

Screen* ChoiceDialogFrame(Screen* screen)
{
    ChoiceDialogRecord& dialog = MutableChoiceDialog;
    if (!dialog.alive)
        return EndClosedDialog(dialog.savedUiMode);
    if (ScreenFrameBusy(screen))
        return screen;
    AddChoiceDialogItems(dialog);
    return screen;
}

void ChoiceDialogKey(Screen*, int) { ChoiceDialogCancel(nullptr, 0, 0); }

} // namespace

void ShowMessageBox(Screen* screen, const char* text)
{
    if (screen == nullptr || screen->child != nullptr) {
        PrintMessage(text, LightRed);
        return;
    }
    OpenMessageDialog(screen, nullptr, text, "", 0, 0, DialogYesNo);
}

void ShowMessageBoxPair(Screen* screen, const char* first, const char* second)
{
    char line[MessageDialogLineSize];
    std::snprintf(line, sizeof line, "%s %s", first, second);
    ShowMessageBox(screen, line);
}

void ShowMessageBoxLines(Screen* screen, const char* text, const char* second)
{
    if (screen == nullptr || screen->child != nullptr) {
        PrintMessagePair(text, second, LightRed);
        return;
    }
    OpenMessageDialog(screen, nullptr, text, second, 0, 0, DialogYesNoPlainSecond);
}

void OpenConfirmDialog(Screen* screen, DialogAction action, const char* text, const char* second, int value,
                       int value2, int style)
{
    if (screen == nullptr || screen->child != nullptr)
        return;
    OpenMessageDialog(screen, action, text, second, value, value2, style);
}

void OpenChoiceDialog(Screen* screen, ChoiceAction action, const char* title, const char* const* const* texts,
                      int count, int userValue, int currentIndex)
{
    if (screen == nullptr || screen->child != nullptr || !ProgramMode.graphicsOn || texts == nullptr || count < 0)
        return;
    ChoiceDialogRecord& dialog = MutableChoiceDialog;
    dialog = ChoiceDialogRecord{};
    InitScreen(&dialog, screen, ChoiceDialogFrame, ChoiceDialogKey, DefaultScreenMouse, nullptr, 1);
    dialog.action = action;
    dialog.title = title;
    dialog.texts = texts;
    dialog.count = count;
    dialog.userValue = userValue;
    dialog.currentIndex = currentIndex;
    OpenDialog(dialog, screen, dialog.savedUiMode);
}

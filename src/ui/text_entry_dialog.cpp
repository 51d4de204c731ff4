// The text-entry dialog's logic: opening and closing, acceptance and
// cancel through its states, its keys and commands, and the file list
// with renaming, deleting and the question before an overwrite.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "devices/services.h"
#include "platform/files.h"
#include "session/services.h"
#include "ui/local.h"

TextEntryDialogRecord MutableTextEntryDialog;
const TextEntryDialogRecord& TextEntryDialog = MutableTextEntryDialog;

namespace {

constexpr int EnterKey = 13, EscapeKey = 27;
constexpr int CommandLineLength = 96;
// The file list keeps the typed name's row this far from the top.
constexpr int TypedRowOffset = 7;

TextEntryDialogRecord& Dialog() { return MutableTextEntryDialog; }

int LineModeOfType(int type)
{
    switch (type) {
    case EntryTypePassword:
    case EntryTypeSingleByte: return EntryModeSingleByte;
    case EntryTypeName:
    case EntryTypeLoadFile:
    case EntryTypeFileName:
    case EntryTypeSaveFile: return EntryModeFileName;
    default: return EntryModeFree;
    }
}

bool IsFileType(int type) { return type >= EntryTypeLoadFile && type <= EntryTypeSaveFile; }

// 1 when the pattern has exactly one "%s" and no other "%": names are put
// in its place as text, never through a format.
bool IsNamePattern(const char* pattern)
{
    const char* at = std::strchr(pattern, '%');
    return at != nullptr && at[1] == 's' && std::strchr(at + 2, '%') == nullptr;
}

// The pattern with text in place of its "%s"; 0 when it does not fit.
int FillPattern(const char* text, char* path, int size)
{
    const std::string pattern = Dialog().pattern;
    const size_t at = pattern.find("%s");
    if (at == std::string::npos)
        return 0;
    const std::string filled = pattern.substr(0, at) + text + pattern.substr(at + 2);
    if (static_cast<int>(filled.size()) >= size)
        return 0;
    std::memcpy(path, filled.c_str(), filled.size() + 1);
    return 1;
}

bool DialogFileExists(const char* name)
{
    char path[EntryPatternSize + EntryLineSize];
    return DialogFilePath(name, path, sizeof path) && platform::FileExists(path);
}

void SetState(int state) { Dialog().state = state; }

void AcceptAndClose(int choice)
{
    char text[EntryLineSize];
    std::memcpy(text, EntryLine.text, sizeof text);
    Screen* asker = Dialog().asker;
    const TextEntryCompletion completion = Dialog().completion;
    CloseTextDialog();
    if (completion != nullptr)
        completion(asker, text, choice);
}

void RenameDialogFile()
{
    char from[EntryPatternSize + EntryLineSize], to[EntryPatternSize + EntryLineSize];
    if (!DialogFilePath(Dialog().oldName, from, sizeof from) || !DialogFilePath(EntryLine.text, to, sizeof to)) {
        LogPrintf("RenameDialogFile : name refused : %s", EntryLine.text);
        PlayUiSound(InvalidKeySound);
        return;
    }
    if (platform::FileExists(to)) {
        SetState(EntryStateNameExists);
        return;
    }
    if (!platform::RenameFile(from, to))
        LogPrintf("RenameDialogFile : rename failed : %s", from);
    SetState(EntryStateEditing);
    RefreshDialogFiles();
}

void DeleteDialogFile()
{
    char path[EntryPatternSize + EntryLineSize];
    if (!DialogFilePath(EntryLine.text, path, sizeof path))
        LogPrintf("DeleteDialogFile : name refused : %s", EntryLine.text);
    else if (!platform::RemoveFile(path))
        LogPrintf("DeleteDialogFile : delete failed : %s", path);
    SetState(EntryStateEditing);
    RefreshDialogFiles();
}

// Acceptance while editing or confirming an overwrite: the checks of a
// file to save or load, then the completion.
void AcceptTypedText(int choice)
{
    TextEntryDialogRecord& d = Dialog();
    const bool withFiles = d.pattern[0] != 0 && IsFileType(d.type);
    if (d.type == EntryTypeSaveFile && d.state == EntryStateEditing) {
        const bool noName = ParseCaretText(nullptr, nullptr, 0, EntryLine.text, 0) <= EntryLine.prefixLength;
        if (noName || (withFiles && !IsSafeFileName(EntryLine.text))) {
            SetState(EntryStateNoName);
            return;
        }
        if (withFiles && DialogFileExists(EntryLine.text)) {
            SetState(EntryStateConfirmOverwrite);
            return;
        }
    }
    if (d.type == EntryTypeLoadFile && withFiles && !DialogFileExists(EntryLine.text)) {
        SetState(EntryStateFileNotFound);
        return;
    }
    AcceptAndClose(choice);
}

void AcceptDialog(int choice)
{
    switch (Dialog().state) {
    case EntryStateNameExists: SetState(EntryStateRenaming); return;
    case EntryStateFileNotFound:
    case EntryStateNoName: SetState(EntryStateEditing); return;
    case EntryStateNoFiles: CloseTextDialog(); return;
    default: break;
    }
    TrimEntryLine();
    switch (Dialog().state) {
    case EntryStateRenaming: RenameDialogFile(); break;
    case EntryStateConfirmDelete: DeleteDialogFile(); break;
    default: AcceptTypedText(choice); break;
    }
}

void CancelDialog()
{
    switch (Dialog().state) {
    case EntryStateRenaming:
        SetEntryLineText(Dialog().oldName, 0);
        SetState(EntryStateEditing);
        break;
    case EntryStateConfirmDelete:
    case EntryStateConfirmOverwrite: SetState(EntryStateEditing); break;
    default: CloseTextDialog(); break;
    }
}

void MoveFileRows(int rows)
{
    TextEntryDialogRecord& d = Dialog();
    if (d.files.Count() <= EntryVisibleFiles)
        return;
    d.files.firstRow = std::clamp(d.files.firstRow + rows, 0, d.files.Count() - EntryVisibleFiles);
}

void EditingKey(int code)
{
    switch (code) {
    case EnterKey: AcceptDialog(Dialog().value); return;
    case EscapeKey: CancelDialog(); return;
    case KeyCodePageUp: MoveFileRows(-EntryPageRows); return;
    case KeyCodePageDown: MoveFileRows(EntryPageRows); return;
    case KeyCodeCopy:
        if (Dialog().type == EntryTypePassword)
            return;
        break;
    default: break;
    }
    HandleEntryKey(code);
    ScrollDialogFiles();
}

void TextDialogKey(Screen*, int code)
{
    switch (Dialog().state) {
    case EntryStateConfirmDelete:
    case EntryStateConfirmOverwrite:
        if (code == EnterKey || code == 'Y' || code == 'y')
            AcceptDialog(Dialog().value);
        else
            CancelDialog();
        return;
    case EntryStateNameExists:
    case EntryStateFileNotFound:
    case EntryStateNoFiles:
    case EntryStateNoName:
        if (code == EnterKey || code == EscapeKey || code == ' ')
            AcceptDialog(Dialog().value);
        return;
    default: EditingKey(code); return;
    }
}

Screen* TextDialogFrame(Screen* screen)
{
    TextEntryDialogRecord& d = Dialog();
    if (!d.header.alive) {
        RestoreImeAfterEntry();
        MutableUi.dialogOpen = 0;
        RequestStoredMessage(0);
        MutableUi.uiMode = d.savedUiMode;
        return nullptr;
    }
    if (d.header.child == nullptr && EntryLine.storedMessageRequest != 0 && InsertStoredMessage()) {
        AcceptDialog(d.value);
        return screen;
    }
    StepChildScreen(screen);
    if (ScreenFrameBusy(screen))
        return screen;
    DrawTextEntryDialog(d);
    return screen;
}

void CopyBounded(char* out, int size, const char* text)
{
    std::snprintf(out, static_cast<size_t>(size), "%s", text != nullptr ? text : "");
}

void ExecuteCommandLine(Screen*, const char* text, int) { ExecuteCommand(nullptr, text, 0); }

// The keyboard's code pages the code-page chooser offers, by name: slots
// of the text table, so the list shows the loaded language.
constexpr int InputCodePageCount = 10;
const char* const* const* InputCodePageNames()
{
    static const char* const* const names[InputCodePageCount] = {
        GetTextSlot(TX_3h_cp_latin), GetTextSlot(TX_3h_cp_cente), GetTextSlot(TX_3h_cp_turki),
        GetTextSlot(TX_3h_cp_balti), GetTextSlot(TX_3h_cp_japan), GetTextSlot(TX_3h_cp_cyril),
        GetTextSlot(TX_3h_cp_greek), GetTextSlot(TX_3h_cp_tr_ch), GetTextSlot(TX_3h_cp_si_ch),
        GetTextSlot(TX_3h_cp_korea),
    };
    return names;
}

// The chosen page types the dialog's characters from now on; a page the
// character map did not load gives its last loaded page.
void OnInputCodePageChosen(Screen*, int, int row)
{
    const int last = CharacterMap.codePageCount - 1;
    SetInputCodePage(std::clamp(row, 0, std::max(last, 0)));
}

} // namespace

Screen* OpenTextEntry(Screen* screen, TextEntryCompletion completion, const char* title, int maxLength, int value,
                      const char* initial, int prefix, int type, const char* pattern)
{
    if (screen == nullptr || screen->child != nullptr || !ProgramMode.graphicsOn)
        return screen;
    TextEntryDialogRecord& d = Dialog();
    d = TextEntryDialogRecord{};
    InitScreen(&d.header, screen, TextDialogFrame, TextDialogKey, DefaultScreenMouse, nullptr, 0);
    d.asker = screen;
    d.completion = completion;
    if (title != nullptr && std::strlen(title) < sizeof d.title)
        CopyBounded(d.title, sizeof d.title, title);
    d.value = value;
    d.type = std::clamp(type, static_cast<int>(EntryTypeText), static_cast<int>(EntryTypeSaveFile));
    BeginTextEntry(maxLength, initial, prefix, LineModeOfType(d.type));
    if (initial != nullptr && prefix > 0 && prefix < EntryFilterSize)
        CopyBounded(d.filter, std::min(prefix, static_cast<int>(std::strlen(initial))) + 1, initial);
    d.savedUiMode = UiMode;
    MutableUi.uiMode = 2;
    MutableUi.dialogOpen = 1;
    if (pattern != nullptr && IsNamePattern(pattern) && std::strlen(pattern) < sizeof d.pattern) {
        CopyBounded(d.pattern, sizeof d.pattern, pattern);
        if (d.type == EntryTypeSaveFile && (initial == nullptr || initial[0] == 0))
            d.sortByDate = 0;
        RefreshDialogFiles();
    } else if (pattern != nullptr) {
        LogPrintf("OpenTextEntry : file pattern refused : %s", pattern);
    }
    SetCurrentScreen(&d.header);
    if (d.type == EntryTypePassword || d.type == EntryTypeSingleByte || (initial != nullptr && initial[0] == '/'))
        CloseImeForDialog();
    else
        PrepareImeForEntry();
    return OpenChildScreen(screen, &d.header);
}

void TextDialogAnswer(int answer)
{
    if (answer == 0)
        CancelDialog();
    else
        AcceptDialog(answer - 1);
}

void TextDialogCommand(int command)
{
    TextEntryDialogRecord& d = Dialog();
    if (command >= 0 && command <= EntryOwnColour) {
        SetTypingColour(command);
        return;
    }
    switch (command) {
    case EntryCommandSortByName:
    case EntryCommandSortByDate:
        d.sortByDate = command == EntryCommandSortByDate ? 1 : 0;
        RefreshDialogFiles();
        break;
    case EntryCommandRename:
        TrimEntryLine();
        CopyBounded(d.oldName, sizeof d.oldName, EntryLine.text);
        SetState(EntryStateRenaming);
        break;
    case EntryCommandDelete:
        TrimEntryLine();
        SetState(EntryStateConfirmDelete);
        break;
    case EntryCommandCodePage:
        OpenChoiceDialog(&d.header, OnInputCodePageChosen, GetText(TX_3g_seldefcp), InputCodePageNames(),
                         InputCodePageCount, 0, InputCodePage);
        break;
    case EntryCommandKeyboard: d.keyboardShown = !d.keyboardShown; break;
    case EntryCommandInputMethod:
        if (ImeState.open)
            SetIMMStatus(0);
        else if (d.type == EntryTypePassword || d.type == EntryTypeSingleByte)
            PlayUiSound(InvalidKeySound);
        else
            SetIMMStatus(1);
        break;
    default: break;
    }
}

void OnDialogFileRow(int row)
{
    const TextEntryDialogRecord& d = Dialog();
    if (row < 0 || row >= d.files.Count())
        return;
    const char* name = d.files.entries[static_cast<size_t>(row)].name;
    if (EqualsNoCase(name, EntryLine.text))
        AcceptDialog(d.value);
    else
        SetEntryLineText(name, 0);
}

void CloseTextDialog()
{
    TextEntryDialogRecord& d = Dialog();
    RestoreImeAfterEntry();
    MutableUi.uiMode = d.savedUiMode;
    MutableUi.dialogOpen = 0;
    RequestStoredMessage(0);
    d.header.alive = 0;
    if (d.asker != nullptr) {
        d.asker->child = nullptr;
        SetCurrentScreen(d.asker);
    }
}

void RefreshDialogFiles()
{
    TextEntryDialogRecord& d = Dialog();
    ClearFileList(d.files);
    const std::string wanted = std::string(d.filter) + "*";
    char path[EntryPatternSize + EntryLineSize];
    if (d.pattern[0] == 0 || !FillPattern(wanted.c_str(), path, sizeof path))
        return;
    ScanFileList(d.files, path, d.sortByDate ? FileSortByTime : FileSortByName, EntryLine.maxLength, nullptr, 0,
                 nullptr, 0);
    RemoveFile(d.files, d.filter);
    if (d.type == EntryTypeLoadFile && d.files.Count() == 0)
        SetState(EntryStateNoFiles);
    ScrollDialogFiles();
}

void ScrollDialogFiles()
{
    TextEntryDialogRecord& d = Dialog();
    if (d.sortByDate || d.files.Count() <= EntryVisibleFiles)
        return;
    const int index = FindFile(d.files, EntryLine.text);
    if (index >= 0)
        d.files.firstRow = std::clamp(index - TypedRowOffset, 0, d.files.Count() - EntryVisibleFiles);
}

int DialogFilePath(const char* name, char* path, int size)
{
    if (!IsSafeFileName(name))
        return 0;
    return FillPattern(name, path, size);
}

void AskCommandLine(Screen* parent, const char* prefix)
{
    if (!CheckMessageCommandRate())
        return;
    const bool fixed = prefix != nullptr && prefix[0] != 0;
    OpenTextEntry(parent, ExecuteCommandLine, GetText(TX_3a_entermsg), CommandLineLength, 0, prefix,
                  fixed ? -1 : 0, EntryTypeText, nullptr);
}

// The text-entry dialog's drawing, kept to its texts until the display
// list draws panels and buttons: the title or question, the typed line
// with its caret (bullets for a password), the answers and the listed
// files, at the dialog's places in screen units.
#include <cstring>

#include "ui/local.h"

namespace {

constexpr uint32_t Black = 0xFF000000u, Green = 0xFF00C000u, Grey = 0xFF808080u, White = 0xFFFFFFFFu;
constexpr float Left = -0.4f, TextSize = 0.0255f, LineHeight = 0.06f;
constexpr float TitleY = -0.45f, LineY = -0.37f, AnswersY = -0.29f, FilesY = -0.11f;
constexpr float FileRowHeight = 0.06f;
constexpr char Bullet = '*';

const char* StateTitle(const TextEntryDialogRecord& dialog)
{
    switch (dialog.state) {
    case EntryStateRenaming: return GetText(TX_3g_newnamef);
    case EntryStateConfirmDelete: return GetText(TX_3g_deleteex);
    case EntryStateConfirmOverwrite: return GetText(TX_3a_overwrex);
    case EntryStateNameExists: return GetText(TX_3g_filealre);
    case EntryStateFileNotFound: return GetText(TX_3g_cnotfind);
    case EntryStateNoName: return GetText(TX_3a_nosvnonm);
    default: return dialog.title;
    }
}

void DrawTypedLine(const TextEntryDialogRecord& dialog)
{
    if (dialog.state == EntryStateNoFiles) {
        DrawPlainText(GetText(TX_3g_nofilesl), Left, LineY, TextSize, LineHeight, Black, CaretNone, TextCodePage);
        return;
    }
    const bool editing = dialog.state == EntryStateEditing || dialog.state == EntryStateRenaming;
    const int caret = editing ? EntryLine.caretTextPosition : CaretNone;
    if (dialog.type != EntryTypePassword) {
        DrawPlainText(EntryLine.text, Left, LineY, TextSize, LineHeight, Green, caret, 0);
        return;
    }
    char bullets[EntryLineSize] = {};
    std::memset(bullets, Bullet, std::strlen(EntryLine.text));
    DrawPlainText(bullets, Left, LineY, TextSize, LineHeight, Green, caret, 0);
}

void DrawAnswers(const TextEntryDialogRecord& dialog)
{
    const bool question = dialog.state == EntryStateConfirmDelete || dialog.state == EntryStateConfirmOverwrite;
    const bool notice = dialog.state >= EntryStateNameExists;
    if (notice) {
        DrawPlainText(GetText(TX_3a_capitlok), -0.02f, AnswersY, TextSize, LineHeight, White, CaretNone, TextCodePage);
        return;
    }
    DrawPlainText(GetText(question ? TX_3a_small_no : TX_3a_cancelbt), -0.3f, AnswersY, TextSize, LineHeight, White,
                  CaretNone, TextCodePage);
    DrawPlainText(GetText(question ? TX_3a_smallyes : TX_3a_capitlok), 0.2f, AnswersY, TextSize, LineHeight, White,
                  CaretNone, TextCodePage);
}

void DrawFiles(const TextEntryDialogRecord& dialog)
{
    const FileList& files = dialog.files;
    for (int row = 0; row < EntryVisibleFiles && files.firstRow + row < files.Count(); ++row) {
        const FileEntry& entry = files.entries[static_cast<size_t>(files.firstRow + row)];
        const float y = FilesY + row * FileRowHeight;
        const uint32_t colour = EqualsNoCase(entry.name, EntryLine.text) ? White : Grey;
        DrawPlainText(entry.name, Left, y, TextSize, FileRowHeight, colour, CaretNone, 0);
        if (dialog.type >= EntryTypeLoadFile)
            DrawPlainText(entry.dateText, 0.1f, y, TextSize, FileRowHeight, colour, CaretNone, 0);
    }
}

} // namespace

void DrawTextEntryDialog(const TextEntryDialogRecord& dialog)
{
    DrawPlainText(StateTitle(dialog), Left, TitleY, TextSize, LineHeight, Black, CaretNone, TextCodePage);
    DrawTypedLine(dialog);
    DrawAnswers(dialog);
    if (dialog.state == EntryStateEditing || dialog.state == EntryStateRenaming)
        DrawFiles(dialog);
}

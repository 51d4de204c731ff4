// The file picker: a full screen of file names to choose from, sorted by
// name or date, with a scroll bar when they do not fit.
#include <cstdio>
#include <cstring>
#include <string>

#include "ui/local.h"

namespace {

constexpr int PickerRows = 36;
constexpr float RowsTop = -0.875f, RowHeight = 0.05f;
constexpr float NameX1 = 0.2f, NameX2 = 0.75f, DateX2 = 0.95f;
constexpr float ScrollBarX1 = 0.925f, ScrollBarX2 = 0.95f;
constexpr float SortY1 = -0.95f, SortY2 = -0.9f;
// The sort buttons' values.
constexpr int SortButtonName = 1, SortButtonDate = 2;
// The longest maximum a picker takes: the list keeps one character more
// than the maximum, so that a name cut to fit the list is never taken for
// a file of that name.
constexpr int LargestPickedName = FileNameSize - 1;

struct FilePicker : Screen {
    FileList files;
    std::string title, pattern, secondPattern;
    int maxNameLength = 0;
    int sortMode = FileSortByName;
    FilePickerCompletion completion = nullptr;
};

void ScanPickerFiles(FilePicker& picker)
{
    ScanFileList(picker.files, picker.pattern.c_str(), picker.sortMode, picker.maxNameLength + 1, nullptr, 0,
                 picker.secondPattern.empty() ? nullptr : picker.secondPattern.c_str(), 0);
}

void OnPickerSort(Screen* screen, int, int button)
{
    FilePicker& picker = *static_cast<FilePicker*>(screen);
    picker.sortMode = button == SortButtonDate ? FileSortByTime : FileSortByName;
    ScanPickerFiles(picker);
}

void OnPickerRow(Screen* screen, int, int row)
{
    FilePicker& picker = *static_cast<FilePicker*>(screen);
    if (row < 0 || row >= picker.files.Count())
        return;
    const char* name = picker.files.entries[static_cast<size_t>(row)].name;
    if (static_cast<int>(std::strlen(name)) >= picker.maxNameLength) {
        PrintError(GetText(TX_3a_namelong));
        return;
    }
    char chosen[FileNameSize];
    std::snprintf(chosen, sizeof chosen, "%s", name);
    if (picker.completion != nullptr)
        picker.completion(picker.parent, chosen, row);
    CloseScreen(&picker);
}

void AddPickerSortButtons(FilePicker& picker)
{
    const bool byDate = picker.sortMode == FileSortByTime;
    AddUiItem(&picker, NameX1, SortY1, NameX2, SortY2, UiWord(SortButtonName), UiWord(GetText(TX_3a_namesort)),
              UiWord(0), UiWord(), UiButton,
              InterfaceColour(byDate ? UiColour::TextUnselected : UiColour::TextSelected), OnPickerSort);
    AddUiItem(&picker, NameX2, SortY1, DateX2, SortY2, UiWord(SortButtonDate), UiWord(GetText(TX_3a_datesort)),
              UiWord(0), UiWord(), UiButton,
              InterfaceColour(byDate ? UiColour::TextSelected : UiColour::TextUnselected), OnPickerSort);
}

void AddPickerRows(FilePicker& picker)
{
    FileList& files = picker.files;
    const int count = files.Count();
    const bool scrolls = count > PickerRows;
    files.firstRow = scrolls ? Clamp(files.firstRow, 0, count - PickerRows) : 0;
    const float dateX2 = scrolls ? ScrollBarX1 : DateX2;
    for (int shown = 0; shown < PickerRows && files.firstRow + shown < count; ++shown) {
        const int row = files.firstRow + shown;
        const FileEntry& entry = files.entries[static_cast<size_t>(row)];
        const float top = RowsTop + RowHeight * static_cast<float>(shown);
        const ColourRecord* colour =
            InterfaceColour(row == files.selection ? UiColour::TextSelected : UiColour::TextUnselected);
        AddUiItemUntranslated(&picker, NameX1, top, NameX2, top + RowHeight, UiWord(row), UiWord(entry.name),
                              UiWord(0), UiWord(0), UiTextButtonLeft, colour, OnPickerRow);
        AddUiItemUntranslated(nullptr, NameX2, top, dateX2, top + RowHeight, UiWord(), UiWord(entry.dateText),
                              UiWord(0), UiWord(), UiLabel, colour, nullptr);
    }
    if (scrolls)
        DrawScrollBar(&picker, NameX1, ScrollBarX1, RowsTop, ScrollBarX2, RowsTop + RowHeight * PickerRows,
                      &files.firstRow, PickerRows, count);
}

Screen* FilePickerFrame(Screen* screen)
{
    FilePicker* picker = static_cast<FilePicker*>(screen);
    if (!picker->alive) {
        delete picker;
        return nullptr;
    }
    StepChildScreen(picker);
    if (ScreenFrameBusy(picker))
        return picker;
    AddScreenTitle(picker->title.c_str(), 0, 0);
    AddPickerRows(*picker);
    AddPickerSortButtons(*picker);
    AddBackButton(picker, 0, [](Screen* owner, int, int) { CloseScreen(owner); }, nullptr);
    return picker;
}

} // namespace

Screen* OpenFilePicker(Screen* screen, FilePickerCompletion completion, const char* pattern, const char* title,
                       int maxNameLength, const char* selectName, int sortMode, const char* secondPattern)
{
    if (screen == nullptr || screen->child != nullptr || pattern == nullptr)
        return nullptr;
    FilePicker* picker = new FilePicker;
    InitScreen(picker, screen, FilePickerFrame, DefaultScreenKey, DefaultScreenMouse, nullptr, 1);
    picker->title = title != nullptr ? title : "";
    picker->pattern = pattern;
    picker->secondPattern = secondPattern != nullptr ? secondPattern : "";
    picker->maxNameLength = Clamp(maxNameLength, 1, LargestPickedName);
    picker->sortMode = sortMode == FileSortByTime ? FileSortByTime : FileSortByName;
    picker->completion = completion;
    ScanPickerFiles(*picker);
    if (selectName != nullptr && selectName[0] != 0)
        SelectFile(picker->files, selectName);
    SetCurrentScreen(picker);
    return OpenChildScreen(screen, picker);
}

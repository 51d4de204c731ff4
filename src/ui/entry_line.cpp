// The text-entry line: typing, caret moves and deletion by characters and
// words, colours, recall of message lines, the clipboard and stored
// messages, over one row of character cells that is turned into
// caret-coded text after every change.
#include <algorithm>
#include <cstring>
#include <string>

#include "devices/services.h"
#include "platform/clipboard.h"
#include "platform/text_codes.h"
#include "session/services.h"
#include "ui/local.h"

EntryLineRecord MutableEntryLine;
const EntryLineRecord& EntryLine = MutableEntryLine;

namespace {

// Typed text commands stay within this many bytes, so that they fit the
// command packet; emote lines ("/me ") may use the whole line.
constexpr int CommandLineLimit = 63;

EntryLineRecord& Line() { return MutableEntryLine; }

int CellCount()
{
    int count = 0;
    while (count < EntryLineSize && Line().cells[count].character != 0)
        ++count;
    return count;
}

// The greatest number of characters the line holds.
int CellLimit() { return std::max(Line().maxLength - 1, 0); }

bool IsBlankCell(int index) { return Line().cells[index].character == ' '; }

// 1 when a byte is shown differently in the two pages (or no map says).
bool EntryDiffers(int pageA, int pageB, int character)
{
    const CharacterMapRecord& map = CharacterMap;
    if (pageA >= map.codePageCount || pageB >= map.codePageCount || character < 32)
        return true;
    const CharEntry& a = map.codePages[pageA].chars[character - 32];
    const CharEntry& b = map.codePages[pageB].chars[character - 32];
    return a.glyph != b.glyph || a.overlay != b.overlay || a.flags != b.flags;
}

void RefuseWithSound() { PlayUiSound(InvalidKeySound); }

void DeleteCell(int index)
{
    EntryCell* cells = Line().cells;
    for (int i = index; i < EntryLineSize - 1; ++i)
        cells[i] = cells[i + 1];
    cells[EntryLineSize - 1] = EntryCell{};
}

void DeleteBeforeCaret()
{
    if (Line().caret <= Line().prefixLength)
        return;
    --Line().caret;
    DeleteCell(Line().caret);
}

void DeleteAtCaret()
{
    if (Line().caret < CellCount())
        DeleteCell(Line().caret);
}

// The cells of a caret-coded text in the page, cut to what the line holds
// (in cells and in text bytes); the caret goes after the last.
void SetLineFromText(const char* text, int page)
{
    EntryLineRecord& line = Line();
    std::fill(std::begin(line.cells), std::end(line.cells), EntryCell{});
    ParseCaretText(line.cells, nullptr, 0, text, page);
    for (int i = CellLimit(); i < EntryLineSize; ++i)
        line.cells[i] = EntryCell{};
    line.caret = CellCount();
    while (RebuildEntryText() >= line.maxLength && line.caret > 0) {
        line.cells[--line.caret] = EntryCell{};
    }
}

// The limit of the text's length: shorter for a text command.
int TextLimit()
{
    const char* text = Line().text;
    const bool emote = (text[1] == 'm' || text[1] == 'M') && (text[2] == 'e' || text[2] == 'E') && text[3] == ' ';
    if (text[0] == '/' && !emote)
        return std::min(CommandLineLimit, Line().maxLength - 1);
    return Line().maxLength - 1;
}

// The plain characters of cells (trail bytes kept, no codes) as UTF-8,
// each converted from its own page.
std::string CellsToUtf8(const EntryCell* cells)
{
    std::string utf8;
    for (int i = 0; i < EntryLineSize && cells[i].character != 0; ++i) {
        char bytes[2] = {static_cast<char>(cells[i].character), static_cast<char>(cells[i].trail)};
        utf8 += platform::CodePageToUtf8(WindowsCodePageOf(cells[i].codePage),
                                         std::string_view(bytes, cells[i].trail != 0 ? 2 : 1));
    }
    return utf8;
}

void CopyToClipboard()
{
    EntryLineRecord& line = Line();
    std::copy(std::begin(line.cells), std::end(line.cells), std::begin(line.copiedCells));
    int length = 0;
    for (int i = 0; i < EntryLineSize && line.cells[i].character != 0; ++i) {
        const int size = line.cells[i].trail != 0 ? 2 : 1;
        if (length + size >= EntryLineSize)
            break;
        line.copiedText[length++] = static_cast<char>(line.cells[i].character);
        if (size == 2)
            line.copiedText[length++] = static_cast<char>(line.cells[i].trail);
    }
    std::fill(line.copiedText + length, std::end(line.copiedText), '\0');
    if (!platform::WriteClipboardText(CellsToUtf8(line.copiedCells)))
        LogLine("CopyToClipboard : clipboard refused the text");
}

// Pastes the clipboard's text: the line's own last copy with its colours
// and pages, any other text typed in the keyboard's page, cleaned of
// control characters and invalid sequences and cut to the line's size.
void PasteFromClipboard()
{
    std::string utf8;
    if (!platform::ReadClipboardText(utf8))
        return;
    if (Line().copiedCells[0].character != 0 && utf8 == CellsToUtf8(Line().copiedCells)) {
        InsertCells(Line().copiedCells);
        return;
    }
    std::string bytes = platform::Utf8ToCodePage(WindowsCodePageOf(InputCodePage), utf8);
    if (bytes.size() > EntryLineSize - 1)
        bytes.resize(EntryLineSize - 1);
    TypeString(bytes.c_str());
    Line().pendingLead = 0;  // a double-byte character cut in half is dropped
}

void RecallOlderLine()
{
    char buffer[EntryLineSize] = {};
    int page = 0;
    const int seq = RecallMessage(buffer, Line().recallSeq, Line().maxLength, &page);
    if (seq == -1 || (seq == Line().recallSeq && Line().recallSeq != -1))
        return;
    Line().recallSeq = seq;
    SetLineFromText(buffer, page);
}

void RecallNewerLine()
{
    if (Line().recallSeq == -1)
        return;
    char buffer[EntryLineSize] = {};
    int page = 0;
    const int seq = RecallMessageBefore(buffer, Line().recallSeq, Line().maxLength, &page);
    Line().recallSeq = seq;
    SetLineFromText(seq == -1 ? "" : buffer, page);
}

void MoveCaretLeft(bool byWord)
{
    EntryLineRecord& line = Line();
    if (line.caret <= line.prefixLength)
        return;
    --line.caret;
    while (byWord && line.caret > line.prefixLength && !IsBlankCell(line.caret - 1))
        --line.caret;
}

void MoveCaretRight(bool byWord)
{
    EntryLineRecord& line = Line();
    const int count = CellCount();
    if (line.caret >= count)
        return;
    ++line.caret;
    while (byWord && line.caret < count && !IsBlankCell(line.caret - 1))
        ++line.caret;
}

void DeleteWordBackwards()
{
    DeleteBeforeCaret();
    while (Line().caret > Line().prefixLength && !IsBlankCell(Line().caret - 1))
        DeleteBeforeCaret();
}

void DeleteWordForwards()
{
    while (Line().caret < CellCount() && !IsBlankCell(Line().caret))
        DeleteAtCaret();
    DeleteAtCaret();
}

// Ctrl with a main-row or keypad digit 0..8: the colour, else -1.
int ColourOfCtrlDigit(int code)
{
    if (!InputState.ctrlHeld)
        return -1;
    if (code >= '0' && code <= '8')
        return code - '0';
    if (code >= 96 && code <= 104)
        return code - 96;
    return -1;
}

bool RecallAllowed() { return Line().mode == EntryModeFree && Line().prefixLength == 0; }

} // namespace

int WindowsCodePageOf(int page)
{
    if (page >= 0 && page < CharacterMap.codePageCount && CharacterMap.codePages[page].number != 0)
        return CharacterMap.codePages[page].number;
    return platform::KeyboardCodePageNumber();
}

void BeginTextEntry(int maxLength, const char* initial, int prefix, int mode)
{
    EntryLineRecord& line = Line();
    const EntryLineRecord kept = line;
    line = EntryLineRecord{};
    std::copy(std::begin(kept.copiedCells), std::end(kept.copiedCells), std::begin(line.copiedCells));
    std::copy(std::begin(kept.copiedText), std::end(kept.copiedText), std::begin(line.copiedText));
    line.storedMessageRequest = kept.storedMessageRequest;
    line.maxLength = std::clamp(maxLength, 1, EntryLineSize);
    line.mode = static_cast<uint8_t>(mode);
    if (initial != nullptr) {
        SetLineFromText(initial, 0);
        line.prefixLength = prefix == -1 ? line.caret : std::clamp(prefix, 0, line.caret);
    }
    RebuildEntryText();
}

void EndTextEntry() { Line().freeBytes = 0; }

void SetEntryLineText(const char* text, int codePage) { SetLineFromText(text, codePage); }

int InsertCharacter(int character, int trail, int codePage, int colour)
{
    EntryLineRecord& line = Line();
    if (CellCount() >= CellLimit()) {
        RefuseWithSound();
        return 0;
    }
    if (!IsTypableCharacter(character))
        return 1;
    EntryCell cell{static_cast<uint8_t>(character), static_cast<uint8_t>(codePage), static_cast<uint8_t>(colour), 0};
    if (line.pendingLead == 0) {
        if (line.mode == EntryModeFileName && character == '.' && line.caret == 0)
            return 1;
        if (IsLeadByte(codePage, static_cast<unsigned char>(character))) {
            if (trail == 0) {
                line.pendingLead = static_cast<uint8_t>(character);
                return 1;
            }
            cell.trail = static_cast<uint8_t>(trail);
        }
    } else {
        cell.character = line.pendingLead;
        cell.trail = static_cast<uint8_t>(character);
    }
    if (cell.trail != 0 && line.mode == EntryModeSingleByte) {
        RefuseWithSound();
        line.pendingLead = 0;
        return 1;
    }
    const EntryLineRecord kept = line;
    for (int i = CellLimit() - 1; i > line.caret; --i)
        line.cells[i] = line.cells[i - 1];
    line.cells[line.caret] = cell;
    line.pendingLead = 0;
    ++line.caret;
    const int length = RebuildEntryText();
    if (length > TextLimit() || length >= line.maxLength) {
        std::copy(std::begin(kept.cells), std::end(kept.cells), std::begin(line.cells));
        line.caret = kept.caret;
        RebuildEntryText();
        RefuseWithSound();
        return 0;
    }
    return 1;
}

int TypeCharacter(int character) { return InsertCharacter(character, 0, InputCodePage, Line().typingColour); }

int InsertCells(const EntryCell* cells)
{
    for (int i = 0; i < EntryLineSize && cells[i].character != 0; ++i) {
        if (!InsertCharacter(cells[i].character, cells[i].trail, cells[i].codePage, cells[i].colour))
            return 0;
    }
    return 1;
}

int TypeString(const char* text)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        if (!TypeCharacter(*p))
            return 0;
    }
    return 1;
}

void HandleEntryKey(int code)
{
    EntryLineRecord& line = Line();
    const bool ctrl = InputState.ctrlHeld != 0;
    const int colour = ColourOfCtrlDigit(code);
    if (colour >= 0) {
        line.typingColour = static_cast<uint8_t>(colour);
        return;
    }
    switch (code) {
    case KeyCodeUp:
        if (RecallAllowed())
            RecallOlderLine();
        break;
    case KeyCodeDown:
        if (RecallAllowed())
            RecallNewerLine();
        break;
    case KeyCodeLeft: MoveCaretLeft(ctrl); break;
    case KeyCodeRight: MoveCaretRight(ctrl); break;
    case KeyCodeHome: line.caret = line.prefixLength; break;
    case KeyCodeEnd: line.caret = CellCount(); break;
    case 8: DeleteBeforeCaret(); break;
    case 127: DeleteWordBackwards(); break;
    case KeyCodeDelete:
        if (ctrl)
            DeleteWordForwards();
        else
            DeleteAtCaret();
        break;
    case ' ':
        if (line.caret != line.prefixLength)
            TypeCharacter(code);
        break;
    case KeyCodeCopy: CopyToClipboard(); break;
    case KeyCodePaste: PasteFromClipboard(); break;
    default: TypeCharacter(code); break;
    }
    RebuildEntryText();
}

void TrimEntryLine()
{
    EntryLineRecord& line = Line();
    const auto trimmedAtPrefix = [&](uint8_t c) { return c == ' ' || (line.mode == EntryModeFileName && c == '.'); };
    while (line.prefixLength < CellCount() && trimmedAtPrefix(line.cells[line.prefixLength].character))
        DeleteCell(line.prefixLength);
    for (int count = CellCount(); count > line.prefixLength && IsBlankCell(count - 1); --count)
        line.cells[count - 1] = EntryCell{};
    line.caret = CellCount();
    RebuildEntryText();
}

int ParseCaretText(EntryCell* cells, char* plain, int plainSize, const char* text, int codePage)
{
    const int savedPage = CurrentCodePage != nullptr ? static_cast<int>(CurrentCodePage - CharacterMap.codePages) : 0;
    SelectCodePage(codePage);
    int page = codePage, colour = EntryOwnColour, count = 0, plainLength = 0;
    TextWalker walker(text, codePage);
    TextStep step;
    while (count < EntryLineSize - 1 && walker.Next(step)) {
        switch (step.kind) {
        case TextStepKind::Colour: colour = step.colour; continue;
        case TextStepKind::OwnColour: colour = EntryOwnColour; continue;
        case TextStepKind::OwnColourAndPage: colour = EntryOwnColour; page = codePage; continue;
        case TextStepKind::PageZero: colour = EntryOwnColour; page = 0; continue;
        case TextStepKind::Page: page = step.page; continue;
        case TextStepKind::Character: break;
        }
        if (step.trail == 0)
            continue;  // a lead byte without its trail
        const uint8_t trail = step.trail > 0 ? static_cast<uint8_t>(step.trail) : 0;
        if (cells != nullptr)
            cells[count] = EntryCell{static_cast<uint8_t>(step.character), static_cast<uint8_t>(page),
                                     static_cast<uint8_t>(colour), trail};
        if (plain != nullptr && plainLength + (trail != 0 ? 2 : 1) < plainSize) {
            plain[plainLength++] = static_cast<char>(step.character);
            if (trail != 0)
                plain[plainLength++] = static_cast<char>(trail);
        }
        ++count;
    }
    if (cells != nullptr)
        cells[count] = EntryCell{};
    if (plain != nullptr && plainSize > 0)
        plain[plainLength] = '\0';
    SelectCodePage(savedPage);
    return count;
}

int RebuildEntryText()
{
    EntryLineRecord& line = Line();
    const int limit = line.maxLength - 1;
    char text[EntryLineSize] = {};
    int length = 0, page = 0, colour = EntryOwnColour;
    line.caretTextPosition = -1;
    int i = 0;
    for (; i < EntryLineSize && line.cells[i].character != 0; ++i) {
        const EntryCell& cell = line.cells[i];
        char bytes[8];
        int size = 0;
        const bool switchPage = cell.codePage != page && EntryDiffers(cell.codePage, page, cell.character);
        if (switchPage) {
            bytes[size++] = '^';
            bytes[size++] = PageLetter(cell.codePage);
        }
        const bool switchColour = cell.character != ' ' && cell.colour != colour;
        if (switchColour) {
            bytes[size++] = '^';
            bytes[size++] = static_cast<char>(cell.colour == EntryOwnColour ? '9' : '0' + cell.colour);
        }
        const int characterAt = size;
        const char escape = line.mode == EntryModeFileName ? CharToEscapeLetter(static_cast<char>(cell.character)) : 0;
        if (cell.character == '^' || escape != 0) {
            bytes[size++] = '^';
            bytes[size++] = escape != 0 ? escape : '^';
        } else {
            bytes[size++] = static_cast<char>(cell.character);
        }
        if (cell.trail != 0)
            bytes[size++] = static_cast<char>(cell.trail);
        if (length + size > limit)
            break;
        if (switchPage)
            page = cell.codePage;
        if (switchColour)
            colour = cell.colour;
        if (i == line.caret)
            line.caretTextPosition = length + characterAt;
        std::memcpy(text + length, bytes, static_cast<size_t>(size));
        length += size;
    }
    std::memcpy(line.text, text, sizeof text);
    if (line.caretTextPosition < 0)
        line.caretTextPosition = length;
    line.freeBytes = std::max(limit - length, 0);
    const bool cellsLeft = i < EntryLineSize && line.cells[i].character != 0;
    return cellsLeft ? line.maxLength : length;
}

void SetTypingColour(int colour) { Line().typingColour = static_cast<uint8_t>(std::clamp(colour, 0, 8)); }

void RequestStoredMessage(int request) { Line().storedMessageRequest = request; }

int InsertStoredMessage()
{
    const int request = Line().storedMessageRequest;
    if (request <= 0 || request > MessageKeyCount)
        return 0;
    Line().storedMessageRequest = 0;
    EntryCell cells[EntryLineSize];
    ParseCaretText(cells, nullptr, 0, MessageKeyTable[request - 1], 0);
    const int inserted = InsertCells(cells);
    RebuildEntryText();
    return inserted;
}

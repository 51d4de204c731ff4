// Code pages: the page in use, the language's page and the keyboard's page.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/keyboard_layout.h"
#include "platform/text_codes.h"
#include "ui/local.h"

namespace {

constexpr int KeyboardLayoutTextMs = 3000;

// The last searched page with this Windows code page number; -1 none.
int FindLoadedPage(int number)
{
    int found = -1;
    for (int p = 0; p < MutableCharacterMap.searchedPageCount; p++)
        if (MutableCharacterMap.codePages[p].number == number)
            found = p;
    return found;
}

const char* const PageNames[SearchedCodePages] = {
    "Latin 1", "Central Europe", "Turkish", "Baltic", "Japanese",
    "Cyrillic", "Greek", "Traditional Chinese", "Simplified Chinese", "Korean",
};

// The Windows ANSI code page that goes with a Windows language id: the
// keyboard layout follows the user's language on this system.
int AnsiCodePageOfLanguage(int languageId)
{
    int primary = languageId & 0x3FF, sub = languageId >> 10;
    switch (primary) {
    case 0x05: case 0x0E: case 0x15: case 0x18: case 0x1A: case 0x1B: case 0x1C: case 0x24:
        return 1250;  // Czech, Hungarian, Polish, Romanian, Croatian, Slovak, Albanian, Slovenian
    case 0x02: case 0x19: case 0x22: case 0x23: case 0x2F:
        return 1251;  // Bulgarian, Russian, Ukrainian, Belarusian, Macedonian
    case 0x08: return 1253;  // Greek
    case 0x1F: return 1254;  // Turkish
    case 0x25: case 0x26: case 0x27: return 1257;  // Estonian, Latvian, Lithuanian
    case 0x11: return 932;   // Japanese
    case 0x12: return 949;   // Korean
    case 0x04: return sub == 2 || sub == 4 ? 936 : 950;  // Chinese: PRC and Singapore simplified
    default: return 1252;
    }
}

} // namespace

void SelectCodePage(int n)
{
    if (MutableCharacterMap.codePageCount == 0) {
        MutableUi.currentCodePage = nullptr;
        return;
    }
    if (n < 0 || n >= MutableCharacterMap.codePageCount)
        n = 0;
    MutableUi.currentCodePage = &MutableCharacterMap.codePages[n];
}

void SelectTranslationCodePage()
{
    MutableUi.textCodePage = -1;
    MutableUi.nounFirst = 0;
    int number = std::atoi(GetText(TX_tx_codepage));
    MutableUi.textCodePage = FindLoadedPage(number);
    if (MutableUi.textCodePage < 0) {
        MutableUi.textCodePage = 0;
        PrintError("Warning : translation uses an unknown codepage");
    }
    SelectCodePage(MutableUi.textCodePage);
    const char* order = GetText(TX_tx_noun_adj);
    MutableUi.nounFirst = (order[0] == 'n' || order[0] == 'N') && (order[1] == 'a' || order[1] == 'A') && !order[2];
}

void SetInputCodePage(int page)
{
    MutableUi.inputCodePage = page;
    platform::SetKeyboardCodePageNumber(WindowsCodePageOf(page));
}

void ReadKeyboardLayoutName(int announce)
{
    // The desktop's own layout where it can be read (not without graphics,
    // which never touch the window system); else the user's language.
    platform::KeyboardLayoutInfo layout;
    const bool read = ProgramMode.graphicsOn && platform::ReadKeyboardLayout(layout);
    const int number = read ? layout.ansiCodePage : AnsiCodePageOfLanguage(GetUserDefaultLanguageId());
    int page = FindLoadedPage(number);
    const bool known = page >= 0;
    if (!known)
        page = 0;
    // Typed text reaches the game in the keyboard's page.
    platform::SetKeyboardCodePageNumber(WindowsCodePageOf(page));
    if (page != MutableUi.inputCodePage) {
        SetInputCodePage(page);
        char line[128];
        if (announce) {
            std::snprintf(line, sizeof line, "%s : %s", "Keyboard", known ? PageNames[page] : "unknown");
            PrintMessage(line, 8);
        } else {
            std::snprintf(line, sizeof line, "kb %s", known ? PageNames[page] : "?");
            LogLine(line);
        }
    }
    // The layout's name is shown for the Chinese pages, whose input method
    // the user may want to see named.
    MutableKeyboardLayout = KeyboardLayoutRecord{};
    if (InputCodePage == 7 || InputCodePage == 8) {
        MutableKeyboardLayout.inputMethod = layout.inputMethod ? 1 : 0;
        const char* text = layout.text;
        if (const char* dash = std::strstr(text, ") - "))
            text = dash + 4;
        std::snprintf(MutableKeyboardLayout.text, sizeof MutableKeyboardLayout.text, "%s", text);
        if (MutableKeyboardLayout.text[0] != 0)
            MutableKeyboardLayout.displayMs = KeyboardLayoutTextMs;
    }
}

int FindCodePageByNumber(int number)
{
    if (CharacterMap.codePageCount > 0)
        return FindLoadedPage(number);
    // Before the character map is loaded: its ten searched pages are always
    // these, in this order.
    static const int StandardNumbers[SearchedCodePages] = {1252, 1250, 1254, 1257, 932, 1251, 1253, 950, 936, 949};
    for (int page = SearchedCodePages - 1; page >= 0; --page)
        if (StandardNumbers[page] == number)
            return page;
    return -1;
}

int IsDoubleBytePage(int page) { return page == 4 || page == 7 || page == 8 || page == 9; }

int IsCodePageUnavailable(int page)
{
    if (!IsDoubleBytePage(page) || page >= CharacterMap.codePageCount)
        return 0;
    return CharacterMap.codePages[page].font == nullptr ? 1 : 0;
}

int IsLeadByte(int page, unsigned char character)
{
    if (page < 0 || page >= CharacterMap.codePageCount || character < 128)
        return 0;
    return (CharacterMap.codePages[page].chars[character - 32].flags & (CharLeadWithPage | CharLeadWithoutPage)) ? 1 : 0;
}

void InitFontWeights()
{
    EditSettings([](SettingsRecord& settings) { settings.fwJ = settings.fwH = settings.fwS = settings.fwK = 600; });
}

// The interface's run record, the read-only names it is exported under,
// and the one reset of this subsystem's tables.
#include "ui/local.h"

UiRecord MutableUi;
Screen* const& CurrentScreen = MutableUi.currentScreen;
const int& DialogOpen = MutableUi.dialogOpen;
const int& UiMode = MutableUi.uiMode;
const int& KeyDownDispatching = MutableUi.keyDownDispatching;
const int& SwallowNextChar = MutableUi.swallowNextChar;
const int& TextCodePage = MutableUi.textCodePage;
const float& TextScale = MutableUi.textScale;
CodePage* const& CurrentCodePage = MutableUi.currentCodePage;
const int& InputCodePage = MutableUi.inputCodePage;
const int& NounFirst = MutableUi.nounFirst;
const int& MessageHistoryShown = MutableUi.messageHistoryShown;
const float& MessageAreaTop = MutableUi.messageAreaTop;
KeyboardLayoutRecord MutableKeyboardLayout;
const KeyboardLayoutRecord& KeyboardLayout = MutableKeyboardLayout;

void SetKeyDownDispatching(int dispatching) { MutableUi.keyDownDispatching = dispatching; }
void SetSwallowNextChar(int swallow) { MutableUi.swallowNextChar = swallow; }
void SetTextCodePage(int page) { MutableUi.textCodePage = page; }
void SetTextScale(float scale) { MutableUi.textScale = scale; }
void SetMessageHistoryShown(int shown) { MutableUi.messageHistoryShown = shown; }
void SetMessageAreaTop(float top) { MutableUi.messageAreaTop = top; }

void ResetUiTables()
{
    FreeCharacterMap();
    ResetFontTextures();
    MutableCharacterMap.glyphSpacing = 0;
    MutableCharacterMap.curveSteps = 7;
    MutableUi = {};
    MutableKeyboardLayout = {};
    MutableGlyphQueues = {};
    MutablePageFonts = {};
    MutableEntryLine = {};
    MutableImeState = {};
    MutableTextEntryDialog = {};
    MutablePointer = {};
    ClearDisplayList();
    MutableMessageDialog = {};
    MutableChoiceDialog = {};
    ResetMessageList();
    MutableInterfaceSettings = {};
    MutableInterfaceColours = {};
}

// The one reset of this subsystem's tables.
#include "ui/local.h"

void ResetUiTables()
{
    TextCodePage = 0;
    TextScale = 1.0f;
    FreeCharacterMap();
    ResetFontTextures();
    CharacterMap.glyphSpacing = 0;
    CharacterMap.curveSteps = 7;
    InputCodePage = 0;
    NounFirst = 0;
    KeyboardLayout = KeyboardLayoutRecord{};
    MutableGlyphQueues = GlyphQueueTableRecord{};
    MutablePageFonts = PageFontsRecord{};
    DialogOpen = 0;
    UiMode = 0;
    KeyDownDispatching = 0;
    SwallowNextChar = 0;
}

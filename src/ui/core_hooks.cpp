// What the interface gives core: its message lines, the language's code
// page, the character map's pages and the width of a text in the font.
#include "ui/services.h"

namespace {

// A text's width as drawn at a text scale of 1, whatever the scale of the
// frame: text pages are wrapped to a width of their own.
float UnscaledTextWidth(const char* text, float size, int codePage)
{
    float savedScale = TextScale;
    SetTextScale(1.0f);
    float width = GetTextWidth(text, size, codePage);
    SetTextScale(savedScale);
    return width;
}

} // namespace

void InstallUiCoreHooks()
{
    InterfaceHooks hooks = GetInterfaceHooks();
    hooks.printMessage = PrintMessage;
    hooks.printError = PrintError;
    hooks.printMessagePair = PrintMessagePair;
    hooks.printLoadError = PrintLoadError;
    hooks.textCodePage = [] { return TextCodePage; };
    hooks.findCodePageByNumber = FindCodePageByNumber;
    hooks.isCodePageUnavailable = IsCodePageUnavailable;
    hooks.isDoubleBytePage = IsDoubleBytePage;
    hooks.isLeadByte = IsLeadByte;
    hooks.textWidth = UnscaledTextWidth;
    SetInterfaceHooks(hooks);
}

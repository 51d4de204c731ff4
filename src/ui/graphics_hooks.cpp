// What the interface gives graphics: its message list, and the vector font
// for the font textures and the number plates.
#include "graphics/services.h"
#include "ui/services.h"

void InstallUiGraphicsHooks()
{
    GraphicsMessageHooks messages = GetGraphicsMessageHooks();
    messages.printMessage = PrintMessage;
    SetGraphicsMessageHooks(messages);

    GraphicsTextHooks text = GetGraphicsTextHooks();
    text.createFontTextures = CreateFontTextures;
    text.resetFontTextures = ResetFontTextures;
    text.plateTextWidth = [](const char* plate, float size) { return GetColouredTextWidth(plate, size, 0); };
    text.drawPlateText = DrawPlateText;
    text.freeCharCaches = FreeCharCaches;
    SetGraphicsTextHooks(text);
}

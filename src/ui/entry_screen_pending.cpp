// Temporary entry screen, until the real one is built: the first screen of
// the chain, which hands over to the root screen on its first frame.
#include "ui/services.h"

namespace {

Screen* EntryFrame(Screen* screen)
{
    Screen* parent = screen->parent;
    delete screen;
    return CreateRootScreen(parent);
}

void EntryKey(Screen*, int) {}

int EntryMouse(Screen*, MouseEvent*) { return 0; }

} // namespace

Screen* CreateEntryScreen()
{
    Screen* screen = new Screen;
    InitScreen(screen, nullptr, EntryFrame, EntryKey, EntryMouse, "entry", 1);
    SetCurrentScreen(screen);
    return screen;
}

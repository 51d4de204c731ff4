// Temporary entry screen, until the real one is built: the first screen of
// the chain, which hands over to its successor on its first frame.
#include "ui/services.h"

namespace {

struct EntryScreen : Screen {
    Screen* (*successor)(Screen* parent) = nullptr;
};

Screen* EntryFrame(Screen* screen)
{
    EntryScreen* entry = static_cast<EntryScreen*>(screen);
    Screen* parent = entry->parent;
    Screen* (*successor)(Screen*) = entry->successor;
    delete entry;
    return successor != nullptr ? successor(parent) : nullptr;
}

void EntryKey(Screen*, int) {}

int EntryMouse(Screen*, MouseEvent*) { return 0; }

} // namespace

Screen* CreateEntryScreen(Screen* (*successor)(Screen* parent))
{
    EntryScreen* screen = new EntryScreen;
    screen->successor = successor;
    InitScreen(screen, nullptr, EntryFrame, EntryKey, EntryMouse, "entry", 1);
    SetCurrentScreen(screen);
    return screen;
}

// The screen machine: the header every screen begins with, opening,
// stepping and closing screens, the busy test of every frame, and the
// standard key and mouse handlers of menu screens.
#include "ui/local.h"

#include "graphics/services.h"

void SetCurrentScreen(Screen* screen)
{
    MutableUi.currentScreen = screen;
    if (screen != nullptr && screen->background != nullptr)
        SetEntryBackground(screen->background);
}

Screen* InitScreen(Screen* screen, Screen* parent, Screen* (*frame)(Screen*), void (*key)(Screen*, int),
                   int (*mouse)(Screen*, MouseEvent*), const char* background, int rawKeys)
{
    screen->parent = parent;
    screen->child = nullptr;
    screen->alive = 1;
    screen->frame = frame;
    screen->key = key;
    screen->mouse = mouse;
    screen->background = background;
    // Without graphics every screen takes characters (the console's).
    screen->rawKeys = (ProgramMode.graphicsOn && rawKeys) ? 1 : 0;
    // A character screen opened by a raw key's handler must not receive
    // the character of that same keystroke.
    if (MutableUi.keyDownDispatching && !screen->rawKeys)
        MutableUi.swallowNextChar = 1;
    return screen;
}

Screen* OpenChildScreen(Screen* parent, Screen* child)
{
    EndReplayDrag();
    if (child != nullptr)
        parent->child = child;
    return child;
}

Screen* StepChildScreen(Screen* screen)
{
    if (screen->child != nullptr)
        screen->child = screen->child->frame(screen->child);
    return screen->child;
}

void CloseScreen(Screen* screen)
{
    SetCurrentScreen(screen->parent);
    screen->alive = 0;
}

void ResumeScreen(Screen* screen)
{
    screen->child = nullptr;
    if (ProgramMode.graphicsOn)
        MutableUi.dialogOpen = 0;
    SetCurrentScreen(screen);
}

int ScreenFrameBusy(Screen* screen)
{
    if (screen->child != nullptr)
        return 1;
    if (ProgramMode.quitState != 0)
        CloseScreen(screen);
    return DisplayPass.skipDrawing;
}

void DefaultScreenKey(Screen* screen, int code)
{
    switch (code) {
    case 13:
    case 27:
    case 'Q':
    case 'X':
        CloseScreen(screen);
        break;
    case 'H':
        MutableUi.messageHistoryShown = !MutableUi.messageHistoryShown;
        break;
    case 'N':
        if (InputState.shiftHeld)
            ToggleSound();
        break;
    case 'T':
        AskCommandLine(screen, nullptr);
        break;
    case 111:  // numeric-pad divide
    case 191:  // the "/" key
        AskCommandLine(screen, "/");
        break;
    default:
        break;
    }
}

int DefaultScreenMouse(Screen* screen, MouseEvent* event) { return HandleScreenMouse(screen, event); }

int IsTypableCharacter(int code) { return (code >= 32 && code <= 126) || (code >= 128 && code <= 255); }

// The main window over SDL2: one window made for OpenGL, class "QVN", whose
// events become the game's window events (keys as virtual-key codes,
// characters as code-page bytes, Alt with digits as digit characters).
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/clipboard.h"
#include "platform/message_box.h"
#include "platform/text_codes.h"
#include "platform/window_local.h"

namespace platform::sdl {
namespace {

SDL_Window* Window = nullptr;
bool FocusKnown = false;  // no focus event yet: the window counts as foreground
bool HasFocus = false;
int LastX = 0, LastY = 0;

bool AltDown() { return (SDL_GetModState() & KMOD_ALT) != 0; }

// The digit 0..9 of a main-row or keypad digit key, else -1.
int DigitOfKey(SDL_Keycode key)
{
    if (key >= SDLK_0 && key <= SDLK_9)
        return key - SDLK_0;
    if (key == SDLK_KP_0)
        return 0;
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return key - SDLK_KP_1 + 1;
    return -1;
}

void QueueKeyEvent(const SDL_KeyboardEvent& key, bool down)
{
    int virtualKey = VirtualKeyFromSdl(key.keysym.sym);
    if (virtualKey == 0)
        return;
    WindowEvent event;
    event.kind = down ? WindowEventKind::KeyDown : WindowEventKind::KeyUp;
    event.key = virtualKey;
    event.repeat = key.repeat ? 1 : 0;
    QueueWindowEvent(event);
    if (!down)
        return;
    // Keys whose characters the window system sends besides the key-down
    // but SDL's text input does not: control characters, and digits typed
    // with Alt held (collected into a character code by the game).
    int character = 0;
    if (AltDown()) {
        int digit = DigitOfKey(key.keysym.sym);
        if (digit >= 0)
            character = '0' + digit;
    } else if (virtualKey == VkBack || virtualKey == VkTab || virtualKey == VkReturn ||
               virtualKey == VkEscape) {
        character = virtualKey;
    }
    if (character != 0) {
        WindowEvent typed;
        typed.kind = WindowEventKind::Char;
        typed.character = character;
        QueueWindowEvent(typed);
    }
}

// UTF-8 text of SDL's text input (typed keys and the input method's
// results) into bytes of the keyboard's code page, one event each: a
// double-byte character arrives as its lead byte, then its trail byte.
void QueueText(const char* text)
{
    if (AltDown())
        return;  // digits with Alt come from their key-downs
    for (char byte : Utf8ToCodePage(KeyboardCodePageNumber(), text)) {
        WindowEvent event;
        event.kind = WindowEventKind::Char;
        event.character = static_cast<unsigned char>(byte);
        QueueWindowEvent(event);
    }
}

// The input method's unfinished composition, UTF-8 as SDL gives it, with
// the cursor's place in characters; an empty text ends the composition.
void QueueComposition(const char* text, int cursor)
{
    WindowEvent editing;
    editing.kind = WindowEventKind::TextEditing;
    editing.editCursor = cursor;
    std::snprintf(editing.text, sizeof editing.text, "%s", text);
    QueueWindowEvent(editing);
}

int ReadSdlClipboard(std::string& utf8)
{
    if (!SDL_HasClipboardText())
        return 0;
    char* text = SDL_GetClipboardText();
    if (text == nullptr)
        return 0;
    utf8 = text;
    SDL_free(text);
    return utf8.empty() ? 0 : 1;
}

int WriteSdlClipboard(std::string_view utf8)
{
    std::string text(utf8);
    return SDL_SetClipboardText(text.c_str()) == 0 ? 1 : 0;
}

const ClipboardBackEnd SdlClipboard = {WriteSdlClipboard, ReadSdlClipboard};

void QueueMouse(WindowEventKind kind, int button, int x, int y, int wheel)
{
    WindowEvent event;
    event.kind = kind;
    event.button = button;
    event.x = x;
    event.y = y;
    event.wheel = wheel;
    SDL_Keymod mods = SDL_GetModState();
    event.ctrl = (mods & KMOD_CTRL) ? 1 : 0;
    event.shift = (mods & KMOD_SHIFT) ? 1 : 0;
    QueueWindowEvent(event);
}

int ButtonNumber(uint8_t sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
    }
}

void QueueWindowChange(const SDL_WindowEvent& change)
{
    WindowEvent event;
    switch (change.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST:
        FocusKnown = true;
        HasFocus = change.event == SDL_WINDOWEVENT_FOCUS_GAINED;
        event.kind = WindowEventKind::Activate;
        event.active = HasFocus ? 1 : 0;
        event.minimised = (SDL_GetWindowFlags(Window) & SDL_WINDOW_MINIMIZED) ? 1 : 0;
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        event.kind = WindowEventKind::Activate;
        event.active = 0;
        event.minimised = 1;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        event.kind = WindowEventKind::Resize;
        event.width = change.data1;
        event.height = change.data2;
        break;
    case SDL_WINDOWEVENT_EXPOSED: event.kind = WindowEventKind::Paint; break;
    case SDL_WINDOWEVENT_CLOSE: event.kind = WindowEventKind::Close; break;
    case SDL_WINDOWEVENT_LEAVE: event.kind = WindowEventKind::MouseLeave; break;
    default: return;
    }
    QueueWindowEvent(event);
}

int ShowSdlMessageBox(MessageBoxKind kind, const char* caption, const char* text)
{
    SDL_MessageBoxData data {};
    data.window = Window;
    data.title = caption;
    data.message = text;
    SDL_MessageBoxButtonData ok {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, MessageBoxOk, "OK"};
    SDL_MessageBoxButtonData yesNo[2] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, MessageBoxYes, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, MessageBoxNo, "No"},
    };
    switch (kind) {
    case MessageBoxKind::Error: data.flags = SDL_MESSAGEBOX_ERROR; break;
    case MessageBoxKind::Warning: data.flags = SDL_MESSAGEBOX_WARNING; break;
    default: data.flags = SDL_MESSAGEBOX_INFORMATION; break;
    }
    if (kind == MessageBoxKind::Question) {
        data.buttons = yesNo;
        data.numbuttons = 2;
    } else {
        data.buttons = &ok;
        data.numbuttons = 1;
    }
    int pressed = 0;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        // No box could be shown: standard error answers instead.
        SetMessageBoxBackEnd(nullptr);
        int answer = ShowMessageBox(kind, caption, text);
        SetMessageBoxBackEnd(ShowSdlMessageBox);
        return answer;
    }
    if (kind == MessageBoxKind::Question)
        return pressed == MessageBoxYes ? MessageBoxYes : MessageBoxNo;
    return MessageBoxOk;
}

} // namespace

int OpenSystem()
{
    // The program handles SIGTERM and SIGINT itself, as close requests.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The X11 class by which running copies and tools find the window.
    // SDL reads it from the environment when its video starts.
    setenv("SDL_VIDEO_X11_WMCLASS", "QVN", 1);
    // Compositions longer than SDL's short event text arrive whole.
    SDL_SetHint(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "OpenWindowSystem : no video : %s\n", SDL_GetError());
        return 0;
    }
    SetClipboardBackEnd(&SdlClipboard);
    return 1;
}

void CloseSystem()
{
    SetClipboardBackEnd(nullptr);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void GetDesktopSize(int& width, int& height)
{
    SDL_DisplayMode mode {};
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        width = mode.w;
        height = mode.h;
    }
}

int OpenWindow(const MainWindowParams& params)
{
    if (Window != nullptr)
        return 1;
    // The attributes of the device's OpenGL context, which draws into this
    // window: compatibility profile, double buffered, 8 bits a colour, no
    // depth (the device draws into framebuffer objects of its own).
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    int width = params.console ? 200 : std::max(params.clientWidth, 1);
    int height = params.console ? 400 : std::max(params.clientHeight, 1);
    int x = params.console ? params.x : SDL_WINDOWPOS_CENTERED;
    int y = params.console ? params.y : SDL_WINDOWPOS_CENTERED;
    uint32_t flags = SDL_WINDOW_OPENGL | (params.shown ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN);
    if (!params.console)
        flags |= SDL_WINDOW_RESIZABLE;
    Window = SDL_CreateWindow("Quorvan", x, y, width, height, flags);
    if (Window == nullptr) {
        std::fprintf(stderr, "OpenMainWindow : %s\n", SDL_GetError());
        return 0;
    }
    FocusKnown = false;
    HasFocus = false;
    SDL_StartTextInput();
    return 1;
}

void CloseWindow()
{
    if (Window == nullptr)
        return;
    UseMessageBoxes(0);
    SDL_DestroyWindow(Window);
    Window = nullptr;
}

void* WindowHandle() { return Window; }

namespace {

// Sets the window's size when it differs from the size it has.
void SetSizeWhenDifferent(int width, int height)
{
    int haveWidth = 0, haveHeight = 0;
    SDL_GetWindowSize(Window, &haveWidth, &haveHeight);
    if (haveWidth != width || haveHeight != height)
        SDL_SetWindowSize(Window, width, height);
}

} // namespace

// Only what differs is changed, so that setting the style the window has
// already makes no window event: SDL answers a size set on a full-screen
// window by setting the display mode again and reporting a size change even
// when nothing changed, and the game answers a size change in full screen
// by setting the style again.
void SetStyle(int windowed, int clientWidth, int clientHeight)
{
    if (Window == nullptr)
        return;
    int width = std::max(clientWidth, 1);
    int height = std::max(clientHeight, 1);
    uint32_t flags = SDL_GetWindowFlags(Window);
    if (windowed) {
        if (flags & SDL_WINDOW_FULLSCREEN)
            SDL_SetWindowFullscreen(Window, 0);
        if (flags & SDL_WINDOW_BORDERLESS)
            SDL_SetWindowBordered(Window, SDL_TRUE);
        SetSizeWhenDifferent(width, height);
        return;
    }
    // A window in a full-screen display mode (the device sets it) has the
    // mode's size at the screen's origin already.
    if (flags & SDL_WINDOW_FULLSCREEN)
        return;
    if (!(flags & SDL_WINDOW_BORDERLESS))
        SDL_SetWindowBordered(Window, SDL_FALSE);
    int x = 0, y = 0;
    SDL_GetWindowPosition(Window, &x, &y);
    if (x != 0 || y != 0)
        SDL_SetWindowPosition(Window, 0, 0);
    SetSizeWhenDifferent(width, height);
}

void GetClientSize(int& width, int& height)
{
    if (Window != nullptr)
        SDL_GetWindowSize(Window, &width, &height);
}

void Show()
{
    if (Window != nullptr)
        SDL_ShowWindow(Window);
}

void Raise()
{
    if (Window != nullptr)
        SDL_RaiseWindow(Window);
}

int IsForeground() { return !FocusKnown || HasFocus ? 1 : 0; }

void ClipCursor(int clip)
{
    if (Window != nullptr)
        SDL_SetWindowGrab(Window, clip ? SDL_TRUE : SDL_FALSE);
}

void Capture(int capture) { SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE); }

void Warp(int x, int y)
{
    if (Window != nullptr)
        SDL_WarpMouseInWindow(Window, x, y);
}

void Pump()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN: QueueKeyEvent(event.key, true); break;
        case SDL_KEYUP: QueueKeyEvent(event.key, false); break;
        case SDL_TEXTINPUT: QueueText(event.text.text); break;
        case SDL_TEXTEDITING: QueueComposition(event.edit.text, event.edit.start); break;
        case SDL_TEXTEDITING_EXT:
            QueueComposition(event.editExt.text, event.editExt.start);
            SDL_free(event.editExt.text);
            break;
        case SDL_MOUSEMOTION:
            LastX = event.motion.x;
            LastY = event.motion.y;
            QueueMouse(WindowEventKind::MouseMove, 0, LastX, LastY, 0);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            int button = ButtonNumber(event.button.button);
            if (button == 0)
                break;
            LastX = event.button.x;
            LastY = event.button.y;
            QueueMouse(event.type == SDL_MOUSEBUTTONDOWN ? WindowEventKind::MouseDown : WindowEventKind::MouseUp,
                       button, LastX, LastY, 0);
            break;
        }
        case SDL_MOUSEWHEEL: {
            int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
            QueueMouse(WindowEventKind::MouseWheel, 0, LastX, LastY, notches * 120);
            break;
        }
        case SDL_WINDOWEVENT: QueueWindowChange(event.window); break;
        case SDL_KEYMAPCHANGED: {
            WindowEvent changed;
            changed.kind = WindowEventKind::KeymapChanged;
            QueueWindowEvent(changed);
            break;
        }
        default: break;
        }
    }
}

void UseMessageBoxes(int use)
{
    SetMessageBoxBackEnd(use && Window != nullptr ? ShowSdlMessageBox : nullptr);
}

} // namespace platform::sdl

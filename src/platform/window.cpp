// The window layer's front: the one event queue, close requests from
// signals, the terminal as the host console, and the choice of back end
// (the null back end lives here: no window, nothing drawn).
#include "platform/window.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <deque>

#include "platform/window_local.h"

namespace platform {
namespace {

WindowBackEnd BackEnd = WindowBackEnd::Null;
bool SystemOpen = false;
bool ConsoleOpen = false;   // the null back end's console: the terminal
bool StdinClosed = false;   // standard input reached its end
std::deque<WindowEvent> Queue;

// Signals that ask the program to close; counted so that none is lost.
volatile sig_atomic_t CloseSignals = 0;
sig_atomic_t CloseSignalsSeen = 0;

void OnCloseSignal(int)
{
    CloseSignals = CloseSignals + 1;
}

} // namespace

void CatchCloseSignals()
{
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

namespace {

void QueueKey(WindowEventKind kind, int key)
{
    WindowEvent event;
    event.kind = kind;
    event.key = key;
    Queue.push_back(event);
}

void QueueCharacter(int character)
{
    WindowEvent event;
    event.kind = WindowEventKind::Char;
    event.character = character;
    Queue.push_back(event);
}

// Typed console input: a line end is the Enter key, the erase characters
// Backspace, anything else a character.
void ReadConsoleInput()
{
    if (StdinClosed)
        return;
    struct pollfd waiting {STDIN_FILENO, POLLIN, 0};
    if (poll(&waiting, 1, 0) <= 0 || !(waiting.revents & (POLLIN | POLLHUP)))
        return;
    unsigned char block[256];
    ssize_t got = read(STDIN_FILENO, block, sizeof block);
    if (got <= 0) {
        if (got == 0 || (errno != EAGAIN && errno != EINTR))
            StdinClosed = true;
        return;
    }
    for (ssize_t i = 0; i < got; ++i) {
        unsigned char byte = block[i];
        if (byte == '\n') {
            QueueKey(WindowEventKind::KeyDown, VkReturn);
            QueueCharacter(VkReturn);
            QueueKey(WindowEventKind::KeyUp, VkReturn);
        } else if (byte == 0x7F || byte == 0x08) {
            QueueKey(WindowEventKind::KeyDown, VkBack);
            QueueCharacter(VkBack);
            QueueKey(WindowEventKind::KeyUp, VkBack);
        } else if (byte >= 32) {
            QueueCharacter(byte);
        }
    }
}

} // namespace

void QueueWindowEvent(const WindowEvent& event) { Queue.push_back(event); }

int OpenWindowSystem(WindowBackEnd backEnd)
{
    CatchCloseSignals();
    if (backEnd == WindowBackEnd::Sdl && !sdl::OpenSystem())
        return 0;
    BackEnd = backEnd;
    SystemOpen = true;
    return 1;
}

WindowBackEnd CurrentWindowBackEnd() { return BackEnd; }

void GetDesktopSize(int& width, int& height)
{
    width = height = 0;
    if (SystemOpen && BackEnd == WindowBackEnd::Sdl)
        sdl::GetDesktopSize(width, height);
}

int OpenMainWindow(const MainWindowParams& params)
{
    if (!SystemOpen)
        return 0;
    if (BackEnd == WindowBackEnd::Sdl)
        return sdl::OpenWindow(params);
    // Without a window system only the dedicated host's console exists:
    // the terminal the program runs in.
    if (!params.console)
        return 0;
    ConsoleOpen = true;
    StdinClosed = false;
    return 1;
}

void* MainWindowHandle() { return BackEnd == WindowBackEnd::Sdl ? sdl::WindowHandle() : nullptr; }

void CloseMainWindow()
{
    if (BackEnd == WindowBackEnd::Sdl)
        sdl::CloseWindow();
    ConsoleOpen = false;
}

void CloseWindowSystem()
{
    CloseMainWindow();
    if (SystemOpen && BackEnd == WindowBackEnd::Sdl)
        sdl::CloseSystem();
    SystemOpen = false;
    BackEnd = WindowBackEnd::Null;
    Queue.clear();
}

void SetWindowStyle(int windowed, int clientWidth, int clientHeight)
{
    if (BackEnd == WindowBackEnd::Sdl)
        sdl::SetStyle(windowed, clientWidth, clientHeight);
}

void GetClientSize(int& width, int& height)
{
    width = height = 0;
    if (BackEnd == WindowBackEnd::Sdl)
        sdl::GetClientSize(width, height);
}

void ShowMainWindow()
{
    if (BackEnd == WindowBackEnd::Sdl)
        sdl::Show();
}

void RaiseMainWindow()
{
    if (BackEnd == WindowBackEnd::Sdl)
        sdl::Raise();
}

int IsMainWindowForeground() { return BackEnd == WindowBackEnd::Sdl ? sdl::IsForeground() : 1; }

void ClipCursorToWindow(int clip)
{
    if (BackEnd == WindowBackEnd::Sdl)
        sdl::ClipCursor(clip);
}

void CaptureMouse(int capture)
{
    if (BackEnd == WindowBackEnd::Sdl)
        sdl::Capture(capture);
}

void WarpMouse(int x, int y)
{
    if (BackEnd == WindowBackEnd::Sdl)
        sdl::Warp(x, y);
}

namespace {

// A close asked for by a signal goes before everything that waits, so that
// no stream of other events can hold it back.
void TakeCloseSignals()
{
    sig_atomic_t signals = CloseSignals;
    if (signals == CloseSignalsSeen)
        return;
    CloseSignalsSeen = signals;
    WindowEvent close;
    close.kind = WindowEventKind::Close;
    Queue.push_front(close);
}

} // namespace

int GatherEvents()
{
    TakeCloseSignals();
    if (SystemOpen && BackEnd == WindowBackEnd::Sdl)
        sdl::Pump();
    if (ConsoleOpen)
        ReadConsoleInput();
    return static_cast<int>(Queue.size());
}

int PollEvent(WindowEvent& event)
{
    TakeCloseSignals();
    if (Queue.empty())
        GatherEvents();
    if (Queue.empty())
        return 0;
    event = Queue.front();
    Queue.pop_front();
    return 1;
}

void PushEvent(const WindowEvent& event) { Queue.push_back(event); }

void ClearEvents() { Queue.clear(); }

void WriteConsoleLine(const char* text)
{
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void UseWindowMessageBoxes(int use)
{
    if (BackEnd == WindowBackEnd::Sdl)
        sdl::UseMessageBoxes(use);
}

} // namespace platform

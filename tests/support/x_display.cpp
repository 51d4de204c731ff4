// The private X server of the window tests, and the Xlib calls they need.
#include "support/x_display.h"

#include "support/process.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// Windows come and go while a test looks at them: an error about one that
// has gone is not the test's concern (Xlib's own handler ends the process).
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

Display* OpenDisplay()
{
    XSetErrorHandler(IgnoreXError);
    return XOpenDisplay(nullptr);
}

// Starts a program with its output thrown away and without the descriptor
// to close (the other descriptors are inherited); its process id, or -1.
pid_t Spawn(const std::vector<std::string>& words, int closeDescriptor = -1)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (closeDescriptor >= 0)
        posix_spawn_file_actions_addclose(&actions, closeDescriptor);
    pid_t pid = SpawnWords(words, actions);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void EndProcess(int& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

// Whether a window manager has announced itself on the root window.
bool WindowManagerRuns()
{
    Display* display = OpenDisplay();
    if (display == nullptr)
        return false;
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                    &format, &count, &after, &data) == Success &&
                 count == 1;
    if (data != nullptr)
        XFree(data);
    XCloseDisplay(display);
    return found;
}

void Search(Display* display, Window window, const std::string& className, WindowPlace& place)
{
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint)) {
        bool match = hint.res_class != nullptr && className == hint.res_class;
        if (hint.res_name != nullptr)
            XFree(hint.res_name);
        if (hint.res_class != nullptr)
            XFree(hint.res_class);
        XWindowAttributes attributes{};
        Window child = 0;
        if (match && XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable &&
            XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &place.x, &place.y, &child)) {
            place.id = window;
            place.width = attributes.width;
            place.height = attributes.height;
        }
    }
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i)
        Search(display, children[i], className, place);
    if (children != nullptr)
        XFree(children);
}

} // namespace

PrivateDisplay::~PrivateDisplay() { Stop(); }

std::string PrivateDisplay::Start(int width, int height)
{
    int ends[2];
    if (pipe(ends) != 0)
        return "no pipe for Xvfb";
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    serverPid = Spawn({"Xvfb", "-displayfd", std::to_string(ends[1]), "-screen", "0", screen, "-nolisten", "tcp",
                       "-noreset"},
                      ends[0]);
    close(ends[1]);
    if (serverPid < 0) {
        close(ends[0]);
        return "Xvfb is not installed (scripts/setup.sh installs the package xvfb)";
    }
    // Xvfb writes its display number once it takes connections.
    std::string number;
    char c;
    while (read(ends[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(ends[0]);
    if (number.empty()) {
        Stop();
        return "Xvfb did not start";
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return "";
}

std::string PrivateDisplay::StartWindowManager(const std::string& program)
{
    StopWindowManager();
    managerPid = Spawn({program});
    if (managerPid < 0)
        return program + " is not installed (scripts/setup.sh installs it)";
    for (int tenth = 0; tenth < 200; ++tenth) {
        if (WindowManagerRuns())
            return "";
        if (waitpid(managerPid, nullptr, WNOHANG) == managerPid) {
            managerPid = -1;
            return program + " ended as it started";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    StopWindowManager();
    return program + " did not take the screen in 10 s";
}

void PrivateDisplay::StopWindowManager()
{
    EndProcess(managerPid);
    // The window manager's mark on the root window goes with it, so that
    // the next one is seen only when it runs.
    for (int tenth = 0; tenth < 100 && WindowManagerRuns(); ++tenth)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

void PrivateDisplay::Stop()
{
    EndProcess(managerPid);
    EndProcess(serverPid);
}

WindowPlace FindWindowOfClass(const std::string& className)
{
    WindowPlace place;
    Display* display = OpenDisplay();
    if (display == nullptr)
        return place;
    Search(display, DefaultRootWindow(display), className, place);
    XCloseDisplay(display);
    return place;
}

int SendCloseRequest(unsigned long window)
{
    Display* display = OpenDisplay();
    if (display == nullptr)
        return 0;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return sent != 0 ? 1 : 0;
}

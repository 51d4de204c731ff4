// The desktop's keyboard layout through the X server's keyboard extension,
// or the system's keyboard configuration where there is no X display.
#include "platform/keyboard_layout.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace platform {

namespace {

// Layout short names by the code page their languages write in.
struct LayoutCodePage {
    const char* name;
    int codePage;
};
const LayoutCodePage LayoutCodePages[] = {
    {"pl", 1250}, {"cz", 1250}, {"sk", 1250}, {"hu", 1250}, {"hr", 1250}, {"si", 1250}, {"ro", 1250},
    {"al", 1250}, {"ba", 1250}, {"ru", 1251}, {"ua", 1251}, {"by", 1251}, {"bg", 1251}, {"mk", 1251},
    {"rs", 1251}, {"kz", 1251}, {"kg", 1251}, {"mn", 1251}, {"tj", 1251}, {"gr", 1253}, {"tr", 1254},
    {"az", 1254}, {"lt", 1257}, {"lv", 1257}, {"ee", 1257}, {"jp", 932},  {"cn", 936},  {"kr", 949},
    {"tw", 950},
};

void Copy(char* out, size_t size, const std::string& text) { std::snprintf(out, size, "%s", text.c_str()); }

// The part of a comma-separated list at the index; the first part when the
// list is shorter.
std::string ListItem(const std::string& list, int index)
{
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(',', start);
        items.push_back(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (index < 0 || index >= static_cast<int>(items.size()))
        index = 0;
    return items[size_t(index)];
}

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// The layouts the X server holds (the third of the rule names on the root
// window), the active group and its name.
bool ReadFromXServer(KeyboardLayoutInfo& info)
{
    if (std::getenv("DISPLAY") == nullptr)
        return false;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    bool read = false;
    XkbStateRec state;
    Atom names = XInternAtom(display, "_XKB_RULES_NAMES", True);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* value = nullptr;
    if (names != None && XkbGetState(display, XkbUseCoreKbd, &state) == Success &&
        XGetWindowProperty(display, DefaultRootWindow(display), names, 0, 1024, False, XA_STRING, &type, &format,
                           &count, &after, &value) == Success &&
        value != nullptr && format == 8) {
        // Rules, model, layouts, variants and options, each ended by a zero.
        std::vector<std::string> parts;
        size_t at = 0;
        while (at < count && parts.size() < 5) {
            const char* part = reinterpret_cast<const char*>(value) + at;
            size_t length = strnlen(part, count - at);
            parts.emplace_back(part, length);
            at += length + 1;
        }
        if (parts.size() >= 3 && !parts[2].empty()) {
            Copy(info.name, sizeof info.name, ListItem(parts[2], state.group));
            read = true;
        }
    }
    if (value != nullptr)
        XFree(value);
    // The group names alone: asking for the whole keyboard by name is
    // refused by some servers (Xvfb), and an X error must not end the game.
    XErrorHandler previous = XSetErrorHandler(IgnoreXError);
    XkbDescPtr keyboard = read ? XkbAllocKeyboard() : nullptr;
    if (keyboard != nullptr && XkbGetNames(display, XkbGroupNamesMask, keyboard) != Success) {
        XkbFreeKeyboard(keyboard, 0, True);
        keyboard = nullptr;
    }
    if (keyboard != nullptr && keyboard->names != nullptr && keyboard->names->groups[state.group] != None) {
        char* text = XGetAtomName(display, keyboard->names->groups[state.group]);
        if (text != nullptr) {
            Copy(info.text, sizeof info.text, text);
            XFree(text);
        }
    }
    if (keyboard != nullptr)
        XkbFreeKeyboard(keyboard, 0, True);
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return read;
}

// The first layout of the system's keyboard configuration.
bool ReadFromSystemConfiguration(KeyboardLayoutInfo& info)
{
    FILE* file = std::fopen("/etc/default/keyboard", "r");
    if (file == nullptr)
        return false;
    char line[256];
    bool read = false;
    while (!read && std::fgets(line, sizeof line, file)) {
        if (std::strncmp(line, "XKBLAYOUT=", 10) != 0)
            continue;
        std::string value = line + 10;
        while (!value.empty() && (value.back() == '\n' || value.back() == '\r'))
            value.pop_back();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        value = ListItem(value, 0);
        if (!value.empty()) {
            Copy(info.name, sizeof info.name, value);
            read = true;
        }
    }
    std::fclose(file);
    return read;
}

} // namespace

int AnsiCodePageOfLayout(const char* name)
{
    if (name != nullptr)
        for (const LayoutCodePage& entry : LayoutCodePages)
            if (std::strcmp(entry.name, name) == 0)
                return entry.codePage;
    return 1252;
}

int ReadKeyboardLayout(KeyboardLayoutInfo& info)
{
    info = KeyboardLayoutInfo{};
    // An input method serves the session when one is named for it.
    for (const char* variable : {"XMODIFIERS", "GTK_IM_MODULE", "QT_IM_MODULE", "SDL_IM_MODULE"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != 0)
            info.inputMethod = true;
    }
    if (!ReadFromXServer(info) && !ReadFromSystemConfiguration(info))
        return 0;
    info.ansiCodePage = AnsiCodePageOfLayout(info.name);
    return 1;
}

} // namespace platform

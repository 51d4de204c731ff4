// What core asks of the subsystems above it: the interface's message list
// and text measures, the owners of parts of the settings, and the program
// shell's quit. Each is a function pointer whose default is the least body
// of a program without that subsystem (messages go to the debug log,
// nothing is measured, no sound level is set); the higher subsystem
// installs its own at start-up (InstallUiCoreHooks, InstallNetCoreHooks,
// InstallGraphicsCoreHooks, InstallDevicesCoreHooks, InstallAppCoreHooks)
// and tests install fakes.
#pragma once

// The interface: messages on the message list and the measures of texts in
// the font.
struct InterfaceHooks {
    // A line of the message list in a standard colour.
    void (*printMessage)(const char* text, int colour);
    // A line in the error colour.
    void (*printError)(const char* text);
    // The two texts joined as "%s %s" on one line.
    void (*printMessagePair)(const char* first, const char* second, int colour);
    // The message that a file could not be loaded.
    void (*printLoadError)(const char* fileName);
    // The code page (0..9) of the language's texts.
    int (*textCodePage)() = [] { return 0; };
    // The code page (0..9) of a Windows code page number; -1 when the
    // character map has none.
    int (*findCodePageByNumber)(int number) = [](int) { return -1; };
    // 1 when the page's characters cannot be drawn on this computer.
    int (*isCodePageUnavailable)(int page) = [](int) { return 0; };
    // 1 for the double-byte pages, and for a byte that leads a double-byte
    // character in such a page (without the character map: none).
    int (*isDoubleBytePage)(int page) = [](int) { return 0; };
    int (*isLeadByte)(int page, unsigned char character) = [](int, unsigned char) { return 0; };
    // The drawn width of a colour-coded text at a horizontal size, in
    // screen units, starting in the code page, whatever the interface's
    // text scale is. Without a font nothing is measured: 0.
    float (*textWidth)(const char* text, float size, int codePage) = [](const char*, float, int) {
        return 0.0f;
    };

    InterfaceHooks();
};

// The subsystems that own a part of what the settings and the profile hold.
struct SettingsHooks {
    // The multiplayer layer's default track ("Map Name", "Config", "Flip",
    // "Lighting"); without it the keys' own defaults stand.
    void (*setDefaultTrack)() = [] {};
    // "MP Speedup Opt" as configured before an outside program changed it,
    // saved in its place; -1 when it was not changed.
    int (*keptSpeedupOption)() = [] { return -1; };
    // Graphics: the custom views back to their defaults.
    void (*setDefaultViews)() = [] {};
    // Sound: the music, interface-effects and car-sound levels from their
    // settings (0 to 20).
    void (*setSoundLevels)(float music, float effects, float carSound) = [](float, float, float) {};
    // The controls: 0 when the clutch is on an axis, 1 on a button (a
    // program without controllers has no clutch axis).
    int (*clutchControlMode)() = [] { return 1; };
};

// The program shell.
struct ShellHooks {
    // Starts quitting once and returns the quit state (1 quitting, 2 while
    // hosting); a target (1 the entry screen) returns there instead of
    // ending. Without the shell the quit state becomes 1.
    int (*requestQuit)(int target);
    // Where a quit under way returns (1 the entry screen); 0 when it ends
    // the program or no quit is under way. Without the shell, 0.
    int (*quitReturnTarget)() = [] { return 0; };

    ShellHooks();
};

// The installed hooks. Live for the whole run; only the setters write them.
const InterfaceHooks& GetInterfaceHooks();
const SettingsHooks& GetSettingsHooks();
const ShellHooks& GetShellHooks();
// Install a whole set (start from Get...Hooks() or the default record and
// change what the caller provides).
void SetInterfaceHooks(const InterfaceHooks& hooks);
void SetSettingsHooks(const SettingsHooks& hooks);
void SetShellHooks(const ShellHooks& hooks);
// Every hook back to its least body (tests).
void ResetCoreHooks();

// The shell's quit through its hook: what a text command that ends the
// program calls.
int RequestQuit(int target);

// What the interface asks of the network above it for the message list:
// the names of the participants that chat lines come from, and the InSim
// guests that every line is forwarded to. Each is a function pointer whose
// default is the least body of a program without a network (no names, no
// InSim guests); the network installs its own at start-up and tests install
// fakes.
#pragma once

struct MessageHooks {
    // The caret-coded name of the participant on a connection (0..47);
    // nullptr when the slot is empty.
    const char* (*connectionName)(int connection) = [](int) -> const char* { return nullptr; };
    // Whether a chat line beginning with this character is meant for an
    // InSim program (such lines are kept but not drawn).
    bool (*isInSimPrefix)(int c) = [](int) { return false; };
    // Gives a line to the InSim guests when one is connected: the source
    // connection (-1 for lines that are not chat), the user type (0 not
    // chat, 1 chat, 2 hidden chat), the length of the name prefix and the
    // text.
    void (*sendInSimMessage)(int connection, int userType, int nameLength, const char* text) =
        [](int, int, int, const char*) {};
};

// The installed hooks. Live for the whole run; only the setter writes
// them, ResetUiTables sets them back.
const MessageHooks& GetMessageHooks();
void SetMessageHooks(const MessageHooks& hooks);

// Message boxes: errors, warnings, information and yes-or-no questions.
// Until a window system back end is installed (and always without a
// window) a box goes to standard error and never waits for anyone: a
// question is answered No, which keeps whatever it asked to replace.
#pragma once

namespace platform {

enum class MessageBoxKind {
    Error,        // no caption, error icon
    Warning,
    Information,
    Question,     // Yes and No
};

// Answers of ShowMessageBox.
constexpr int MessageBoxOk = 1;
constexpr int MessageBoxYes = 6;
constexpr int MessageBoxNo = 7;

// Shows a box; returns MessageBoxYes or MessageBoxNo for a question,
// MessageBoxOk otherwise. The caption may be empty.
int ShowMessageBox(MessageBoxKind kind, const char* caption, const char* text);

// A back end that shows boxes (the window system's, or a test's); nullptr
// returns to the headless one.
using MessageBoxBackEnd = int (*)(MessageBoxKind kind, const char* caption, const char* text);
void SetMessageBoxBackEnd(MessageBoxBackEnd backEnd);

} // namespace platform

// Checks for mistakes in our own code (never for bad files or packets).
// A failed check goes to a hook: by default it prints and aborts; under
// test it records a test failure and the run goes on.
#pragma once

namespace platform {

using CheckHook = void (*)(const char* file, int line, const char* condition);

// Installs the hook that failed checks call; nullptr restores the default.
void SetCheckHook(CheckHook hook);
void CheckFailed(const char* file, int line, const char* condition);

} // namespace platform

#define QV_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::platform::CheckFailed(__FILE__, __LINE__, #condition))

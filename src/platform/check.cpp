// The hook behind QV_CHECK.
#include "platform/check.h"

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {
CheckHook CurrentHook = nullptr;
}

void SetCheckHook(CheckHook hook) { CurrentHook = hook; }

void CheckFailed(const char* file, int line, const char* condition)
{
    if (CurrentHook) {
        CurrentHook(file, line, condition);
        return;
    }
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

} // namespace platform

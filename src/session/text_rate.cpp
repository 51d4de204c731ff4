// The flood limit on typed lines: at most one message command every half
// second.
#include "platform/clock.h"
#include "session/local.h"

namespace {

constexpr uint32_t MessageCommandIntervalMs = 500;
// The interface sound of a refused key or line.
constexpr int RefusedSound = 3;

} // namespace

int CheckMessageCommandRate()
{
    const uint32_t now = platform::NowMs();
    if (MutableSession.messageCommandSent && now - MutableSession.messageCommandMs <= MessageCommandIntervalMs) {
        GetRaceHooks().playInterfaceSound(RefusedSound);
        return 0;
    }
    MutableSession.messageCommandMs = now;
    MutableSession.messageCommandSent = true;
    return 1;
}

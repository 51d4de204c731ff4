// What the multiplayer layer gives the race: the frame road for its game
// packets, the game frame it processes, the connections and their names, and
// the session's votes and ids. The race's other network hooks keep their
// offline bodies until the parts they reach are built.
#include "net/services.h"
#include "session/services.h"

namespace {

const Connection* ConnectionAt(int c)
{
    return c >= 0 && c < ConnectionTable.count ? &ConnectionTable.connections[c] : nullptr;
}

} // namespace

void InstallNetSessionHooks()
{
    RaceHooks hooks = GetRaceHooks();
    hooks.queueGamePacket = QueueGamePacket;
    hooks.sendGameBundle = [](int now) {
        if (now)
            SendGameBundle(0);
    };
    hooks.isOnline = [] { return Online; };
    hooks.isHost = [] { return IsMultiplayerHost(); };
    // The race acts while a frame is processed; the processed frame is the
    // same on every computer, the current frame is not.
    hooks.gameFrame = [] { return static_cast<int32_t>(FrameClock.processedFrame); };
    hooks.ownConnection = [] { return ConnectionTable.ownIndex; };
    hooks.connectionCount = [] { return ConnectionTable.count; };
    hooks.connectionDriverName = [](int c) -> const char* {
        const Connection* record = ConnectionAt(c);
        return record ? record->name : nullptr;
    };
    hooks.connectionUserName = [](int c) -> const char* {
        const Connection* record = ConnectionAt(c);
        return record ? record->userName : nullptr;
    };
    hooks.clearEntryVotes = ClearEntryVotes;
    hooks.rememberFreedPlayerId = RememberFreedUcid;
    hooks.isHostOnMaster = IsHostOnMaster;
    SetRaceHooks(hooks);
}

// Fuzz target for the frame road and the game-packet dispatch: the input is
// a run of chunks [what][connection][length][bytes]: frames that arrive on
// the links of a host with two guests (or of a connection past the table),
// packets
// that the dispatch is handed directly, packets queued by this computer and
// frames processed. Whatever the bytes, nothing is read or written outside
// a buffer, every frame ring holds whole records only, and the connection
// table stays within its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "net/services.h"
#include "session/services.h"

namespace {

// What a chunk of the input does.
enum : uint8_t { ArriveOnLink = 0, DispatchPacket = 1, ProcessFrames = 2, QueuePacket = 3 };
// A run of frames processed at once.
constexpr int MaxFramesPerRun = 8;

// A ring holds whole [length][entries] records from its read to its write
// position, and its count of frames is at least the frames processed.
void CheckRing(const FrameRing& ring)
{
    if (ring.readPosition >= FrameRingSize || ring.writePosition >= FrameRingSize)
        std::abort();
    uint32_t at = ring.readPosition;
    uint32_t left = (ring.writePosition - ring.readPosition) & (FrameRingSize - 1);
    while (left > 0) {
        const uint32_t record = 1u + ring.buffer[at];
        if (record > left)
            std::abort();
        left -= record;
        at = (at + record) & (FrameRingSize - 1);
    }
}

void CheckSession()
{
    if (ConnectionTable.count < 0 || ConnectionTable.count > MaxConnections)
        std::abort();
    if (ConnectionTable.count > 0 && (ConnectionTable.ownIndex < 0 || ConnectionTable.ownIndex >= ConnectionTable.count))
        std::abort();
    for (int i = 0; i < ConnectionTable.count; ++i)
        CheckRing(ConnectionTable.connections[i].ring);
    if (GameBundle.bytes[0] < GameBundleHeaderSize || GameBundle.bytes[0] > GameBundleSize)
        std::abort();
    if (FrameClock.processingDelay < 0 || FrameClock.processingDelay > MaxProcessingDelay)
        std::abort();
}

// A host and two guests, added as every computer adds them: by the host's
// new-connection packets.
void StartSessionOfThree()
{
    ResetNetTables();
    ResetSession(1, 0);
    for (uint8_t ucid : {11, 12}) {
        uint8_t packet[60] = {GpNewConnection, ucid};
        HandleGamePacket(0, packet, sizeof packet);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool tablesReset = [] {
        ResetCoreTables();
        ResetSessionTables();
        return true;
    }();
    (void)tablesReset;
    Race& race = CreateCurrentRace();
    race.playerCount = 3;
    for (int i = 0; i < 3; ++i) {
        race.players[i].descriptor.connection = static_cast<uint8_t>(i);
        race.players[i].descriptor.playerId = static_cast<uint8_t>(i + 1);
    }
    StartSessionOfThree();

    size_t at = 0;
    while (at + 3 <= size) {
        const uint8_t op = data[at] % 4;
        const int c = data[at + 1];
        size_t length = data[at + 2];
        at += 3;
        if (length > size - at)
            length = size - at;
        const uint8_t* bytes = data + at;
        at += length;
        switch (op) {
        case ArriveOnLink:
            if (length > 0)
                OnConnectionFrame(c % (ConnectionTable.count + 2) - 1, static_cast<int>(length), bytes);
            break;
        case DispatchPacket:
            if (ConnectionTable.count > 0)
                HandleGamePacket(c % ConnectionTable.count, bytes, static_cast<int>(length));
            break;
        case QueuePacket:
            QueueGamePacket(bytes, static_cast<int>(length));
            break;
        default:
            SendGameBundle(0);
            for (int i = 0; i < MaxFramesPerRun && ConnectionTable.count > 0 && IsNextFrameReady(); ++i)
                ProcessNextFrame();
            break;
        }
        CheckSession();
    }
    FreeCurrentRace();
    return 0;
}

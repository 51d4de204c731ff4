// The bundle of the current game frame: packets are queued into it, and once
// per frame it goes to every admitted link and into the own frame ring.
#include <cstring>

#include "net/local.h"
#include "session/services.h"
#include "ui/services.h"

GameBundleRecord MutableGameBundle;
const GameBundleRecord& GameBundle = MutableGameBundle;

namespace {

// A ring must keep this many bytes free after a packet that may wait.
constexpr int RingReserveBytes = 2048;

// The size byte a sent bundle carries: the fill index less one.
int BundleFrameSize() { return MutableGameBundle.bytes[0] - 1; }

// Sends the bundle to every admitted link that may take it.
void SendBundleToLinks()
{
    uint8_t* bundle = MutableGameBundle.bytes;
    for (int i = 0; i < ClientLinkTable.linkCount; ++i) {
        const ClientLink& link = ClientLinkTable.links[i];
        if (!link.open)
            continue;
        const Connection& c = ConnectionTable.connections[link.connection];
        if (c.leaving) {
            ReportNet(ColourLightRed, "Won't send to leaving guest");
        } else if (link.fatal) {
            ReportNet(ColourLightRed, "Won't send to guest with fatal error");
        } else {
            const uint16_t difference = static_cast<uint16_t>(c.frameDifference);
            bundle[4] = static_cast<uint8_t>(difference);
            bundle[5] = static_cast<uint8_t>(difference >> 8);
            SendOnLink(i, bundle, 0);
        }
    }
}

// After a bundle went out: the host watches its guests; the download queue
// gets its tick.
void AfterBundleSent(int forced)
{
    if (!Online || MultiplayerReplayPlaying)
        return;
    if (MultiplayerMode.host) {
        CheckGuestLinks();
        if (forced && FrameClock.hostLost) {
            MutableFrameClock.hostLost = 0;
            RemoveAllGuests();
            MutableFrameClock.sessionState = SessionEnded;
        }
    }
    if (Online && FrameClock.sessionState == SessionRunning && !FrameClock.hostLost)
        TickDownloads();
}

} // namespace

void QueueGamePacket(const uint8_t* packet, int length)
{
    if (MultiplayerReplayPlaying)
        return;
    // Even an empty bundle cannot carry more.
    if (length < 1 || length > GameBundleSize - GameBundleHeaderSize - 1) {
        LogPrintf("QueueGamePacket : packet of %d bytes refused", length);
        return;
    }
    if (MutableGameBundle.bytes[0] + length + 1 > GameBundleSize) {
        ReportNet(ColourLightRed, "Emergency send");
        SendGameBundle(0);
    }
    uint8_t* at = MutableGameBundle.bytes + MutableGameBundle.bytes[0];
    at[0] = static_cast<uint8_t>(length);
    std::memcpy(at + 1, packet, static_cast<size_t>(length));
    MutableGameBundle.bytes[0] = static_cast<uint8_t>(MutableGameBundle.bytes[0] + length + 1);
}

void QueueGamePacketRecorded(const uint8_t* packet, int length)
{
    RecordSprPacket(packet, length);
    QueueGamePacket(packet, length);
}

int RingNearlyFull(int length)
{
    const Connection& own = ConnectionTable.connections[ConnectionTable.ownIndex];
    return RingFreeSpace(own.ring) - GameBundle.bytes[0] - length - 1 < RingReserveBytes;
}

int QueueIfRoom(const uint8_t* packet, int length)
{
    if (MultiplayerReplayPlaying)
        return 0;
    if (RingNearlyFull(length)) {
        PrintMessage(GetText(TX_3h_waitbuff), ColourLightRed);
        return 0;
    }
    QueueGamePacket(packet, length);
    return 1;
}

void SendGameBundle(int forced)
{
    uint8_t* bundle = MutableGameBundle.bytes;
    if (FrameClock.sessionState != SessionRunning) {
        // The session ends or restarts: nothing is sent or stored any more.
        bundle[0] = GameBundleHeaderSize;
        return;
    }
    const uint16_t stamp = static_cast<uint16_t>(FrameClock.currentFrame);
    bundle[1] = TransportBundle;
    bundle[2] = static_cast<uint8_t>(stamp);
    bundle[3] = static_cast<uint8_t>(stamp >> 8);
    MutableFrameClock.stampedFrame = stamp;

    const bool toLinks = Online && ClientLinkTable.linkCount > 0 && FrameClock.sessionState == SessionRunning &&
                         !FrameClock.hostLost;
    if (toLinks && MultiplayerMode.host)
        CheckSyncTimes();
    const int size = BundleFrameSize();
    bundle[0] = static_cast<uint8_t>(size);
    if (toLinks)
        SendBundleToLinks();

    // The own ring holds every frame this computer sent, and an empty entry
    // for each frame that passed without a bundle.
    const int own = ConnectionTable.ownIndex;
    if (RingStoreFrame(own, bundle + GameBundleHeaderSize, size - (GameBundleHeaderSize - 1)))
        ++MutableFrameClock.sentFrames;
    while (FrameClock.sessionState == SessionRunning &&
           FrameClock.sentFrames < FrameClock.frameOffset + FrameClock.currentFrame) {
        if (!RingStoreEmptyFrame(own))
            break;
        ++MutableFrameClock.sentFrames;
    }
    bundle[0] = GameBundleHeaderSize;
    AfterBundleSent(forced);
}

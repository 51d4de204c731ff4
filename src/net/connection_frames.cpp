// Frames that arrive on a game link, by transport class: bundles go into the
// sender's frame ring (and, on the host, on to the other guests), forwarded
// frames to their target, immediate packets and car states to their
// handlers. Every frame is checked against its class before anything of it
// is stored or forwarded.
#include <cstring>

#include "net/local.h"

namespace {

// The bytes before a bundle frame's entries: class, frame number, difference.
constexpr int BundlePayloadHeader = GameBundleHeaderSize - 1;
// Class and target (or source) id before a forwarded frame's payload.
constexpr int ForwardHeader = 2;

// Sends on a link with its open flag forced on for the call; the flag is put
// back unless the send cleared it.
int ForwardOnLink(int link, int sourceUcid, int size, const uint8_t* payload)
{
    ClientLink& record = ClientLinkTable.links[link];
    const uint8_t wasOpen = record.open;
    record.open = 1;
    const int sent = ForwardFrame(link, sourceUcid, size, payload);
    if (record.open)
        record.open = wasOpen;
    return sent;
}

// Host: a guest's frame for one connection (class 2, target id in byte 1).
void ForwardToTarget(int c, int size, const uint8_t* payload)
{
    const int target = payload[1];
    const int targetConnection = FindConnByUcid(target);
    int link;
    if (targetConnection != 0) {
        link = FindClient(targetConnection, "FORWARD");
        if (link < 0)
            return;
        if (ConnectionTable.connections[targetConnection].leaving) {
            const int senderLink = FindClient(c, "REMIND");
            if (senderLink >= 0) {
                const uint8_t leave[4] = {25, static_cast<uint8_t>(target), 0, 0};
                SendImmediatePacket(senderLink, leave, sizeof leave);
                ReportNet(ColourLightRed, "Sent client leave packet again");
            }
            return;
        }
    } else {
        // The id names no connection yet: the guest being admitted.
        if (SessionFlags.joinState == JoinNone) {
            ReportLine(ColourLightRed, "No guest with UCID %d", target);
            return;
        }
        link = ClientLinkTable.linkCount - 1;
        if (link < 0)
            return;
    }
    if (ClientLinkTable.links[link].fatal) {
        ReportNet(ColourLightRed, "Won't forward to guest with fatal error");
        return;
    }
    MutableConnectionTable.connections[c].numToForward = static_cast<uint8_t>(ClientLinkTable.linkCount);
    ForwardOnLink(link, ConnectionTable.connections[c].ucid, size - ForwardHeader, payload + ForwardHeader);
}

// Host: a guest's bundle goes on to the other admitted links.
void PassBundleOn(int c, int size, const uint8_t* payload)
{
    Connection& sender = MutableConnectionTable.connections[c];
    if (sender.numToForward > ClientLinkTable.linkCount) {
        sender.numToForward = static_cast<uint8_t>(ClientLinkTable.linkCount);
        ReportLine(ColourLightRed, "Corrected %d's NumToForward", c);
    }
    for (int i = 0; i < sender.numToForward; ++i) {
        const ClientLink& link = ClientLinkTable.links[i];
        if (link.connection == c || ConnectionTable.connections[link.connection].leaving || link.fatal)
            continue;
        ForwardOnLink(i, sender.ucid, size, payload);
    }
}

// A bundle of connection c: its frames go into c's ring, with an empty entry
// for every frame number it skipped.
void StoreBundle(int c, int size, const uint8_t* payload)
{
    Connection& sender = MutableConnectionTable.connections[c];
    if (sender.leaving)
        return;
    const uint16_t frame = ReadPacketShort(payload + 1);
    sender.frameDifference = static_cast<int16_t>(static_cast<uint16_t>(FrameClock.currentFrame) - frame);
    if (MultiplayerMode.host)
        PassBundleOn(c, size, payload);
    sender.peerDifference = static_cast<int16_t>(ReadPacketShort(payload + 3));
    FrameRing& ring = sender.ring;
    if (FrameClock.processedFrame == 0 && ring.framesReceived == 0) {
        // The first bundle seen before processing starts fixes where this
        // connection's ring begins.
        sender.deduct = frame;
        ring.framesReceived = frame;
        ReportNet(ColourLightMagenta, "SET Deduct %d", frame);
    }
    const int16_t gap = static_cast<int16_t>(
        static_cast<uint16_t>(frame + FrameClock.frameOffset - ring.framesReceived));
    if (!MultiplayerMode.host && c == 0)
        AlignGuestClock(sender.frameDifference, sender.peerDifference);
    if (!RingStoreFrame(c, payload + BundlePayloadHeader, size - BundlePayloadHeader))
        return;
    for (int i = 1; i < gap; ++i) {
        if (!RingStoreEmptyFrame(c))
            return;
    }
}

// A frame that breaks its class closes the link it came on.
void RejectFrame(int c, int transportClass)
{
    ReportLine(ColourLightRed, "Invalid frame (class %d) - rejecting (%d)", transportClass, c);
    FailLinkOfConnection(c);
}

} // namespace

int AreBundleEntriesValid(const uint8_t* entries, int length)
{
    int at = 0;
    while (at < length) {
        const int packetLength = entries[at];
        if (packetLength < MinGamePacketLength || packetLength > length - at - 1)
            return 0;
        at += 1 + packetLength;
    }
    return at == length;
}

int IsGameFrameValid(const uint8_t* payload, int size)
{
    if (size < 1)
        return 0;
    switch (payload[0] & TransportClassMask) {
    case TransportBundle:
        return size >= BundlePayloadHeader && size <= MaxBundleFrameSize &&
               AreBundleEntriesValid(payload + BundlePayloadHeader, size - BundlePayloadHeader);
    case TransportImmediate:
        return size >= 2;
    case TransportForwarded:
        // One level only: the inner frame is a whole frame of another class.
        return size > ForwardHeader && (payload[ForwardHeader] & TransportClassMask) != TransportForwarded &&
               IsGameFrameValid(payload + ForwardHeader, size - ForwardHeader);
    case TransportPositions: {
        const int bytes = size - 1;
        return bytes >= PositionRecordSize && bytes % PositionRecordSize == 0 &&
               bytes <= MaxPositionRecords * PositionRecordSize;
    }
    default:
        return 1;
    }
}

int ForwardFrame(int link, int sourceUcid, int size, const uint8_t* payload)
{
    if (size < 1 || size + ForwardHeader > 255) {
        ReportLine(ColourLightRed, "Won't forward a frame of %d bytes", size);
        return 0;
    }
    uint8_t frame[256];
    frame[0] = static_cast<uint8_t>(size + ForwardHeader);
    frame[1] = TransportForwarded;
    frame[2] = static_cast<uint8_t>(sourceUcid);
    std::memcpy(frame + 3, payload, static_cast<size_t>(size));
    const int noStore = payload[0] == TransportPositions;
    return SendOnLink(link, frame, noStore);
}

void OnConnectionFrame(int c, int size, const uint8_t* payload)
{
    if (c == ConnectionTable.count) {
        if (size > 1)
            AcceptNewGuest(payload + 1, size - 1);
        return;
    }
    if (c < 0 || c > ConnectionTable.count) {
        ReportLine(ColourLightRed, "Player number out of bounds");
        return;
    }
    if (size < 1)
        return;
    const int transportClass = payload[0] & TransportClassMask;
    if (!IsGameFrameValid(payload, size)) {
        RejectFrame(c, transportClass);
        return;
    }
    switch (transportClass) {
    case TransportForwarded:
        if (MultiplayerMode.host) {
            ForwardToTarget(c, size, payload);
            return;
        }
        {
            const int source = FindConnByUcid(payload[1]);
            if (source == 0) {
                ReportLine(ColourLightRed, "Packet for unknown connection");
                return;
            }
            if (FrameClock.processedFrame == 0)
                ReportNet(ColourLightBlue, "Got forwarded packet from %d", source);
            OnConnectionFrame(source, size - ForwardHeader, payload + ForwardHeader);
        }
        return;
    case TransportPositions:
        OnPosFrame(payload + 1, size - 1);
        return;
    case TransportImmediate:
        HandleImmediatePacket(payload + 1, c, size - 1);
        return;
    case TransportBundle:
        StoreBundle(c, size, payload);
        return;
    default:
        ReportLine(ColourLightRed, "Unknown packet type");
        return;
    }
}

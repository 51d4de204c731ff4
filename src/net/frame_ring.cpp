// The frame rings: each connection's frames wait in a 4096-byte ring of
// [length][entries] records until every computer processes them.
#include <cstring>

#include "net/local.h"

namespace {

// The largest frame a ring record holds: a full bundle's entries.
constexpr int MaxRingFrameLength = MaxBundleFrameSize - (GameBundleHeaderSize - 1);
static_assert(MaxRingFrameLength <= 255, "a ring record's length is one byte");

constexpr uint32_t RingMask = FrameRingSize - 1;
static_assert((FrameRingSize & RingMask) == 0, "the ring wraps by masking");

// A frame that does not fit is stored not at all, so that the ring never
// holds part of a record. The own ring cannot lose a frame and go on: every
// later frame would be processed one slot early, so the session restarts.
// Another connection's link is closed.
void OnRingOverflow(const char* tag, int c)
{
    if (c == ConnectionTable.ownIndex) {
        ReportLine(ColourLightRed, "%s : OVERFLOW - own frame ring, restarting the session", tag);
        MutableFrameClock.sessionState = SessionRestartHost;
        return;
    }
    KickOverflow(tag, c);
}

void RingWrite(FrameRing& ring, const uint8_t* bytes, int length)
{
    for (int i = 0; i < length; ++i) {
        ring.buffer[ring.writePosition] = bytes[i];
        ring.writePosition = (ring.writePosition + 1) & RingMask;
    }
}

} // namespace

int RingFreeSpace(const FrameRing& ring)
{
    return static_cast<int>((ring.readPosition - ring.writePosition - 1) & RingMask);
}

int RingStoreEmptyFrame(int c)
{
    FrameRing& ring = MutableConnectionTable.connections[c].ring;
    if (ring.framesReceived < FrameClock.processedFrame) {
        ++ring.framesReceived;
        return 1;
    }
    if (RingFreeSpace(ring) < 1) {
        OnRingOverflow("BLANK", c);
        return 0;
    }
    const uint8_t empty = 0;
    RingWrite(ring, &empty, 1);
    ++ring.framesReceived;
    return 1;
}

int RingStoreFrame(int c, const uint8_t* entries, int length)
{
    if (length <= 0)
        return RingStoreEmptyFrame(c);
    FrameRing& ring = MutableConnectionTable.connections[c].ring;
    if (ring.framesReceived < FrameClock.processedFrame) {
        ++ring.framesReceived;
        return 1;
    }
    if (length > MaxRingFrameLength) {
        // Frames are checked before they come here; a longer one is a fault
        // of the sender's frame and is treated like one that does not fit.
        OnRingOverflow("SIZE", c);
        return 0;
    }
    const int free = RingFreeSpace(ring);
    if (free < length + 1) {
        OnRingOverflow(free < 1 ? "SIZE" : "STORE", c);
        return 0;
    }
    const uint8_t size = static_cast<uint8_t>(length);
    RingWrite(ring, &size, 1);
    RingWrite(ring, entries, length);
    ++ring.framesReceived;
    return 1;
}

void TakeFrameBundle(int c)
{
    FrameRing& ring = MutableConnectionTable.connections[c].ring;
    if (ring.readPosition == ring.writePosition)
        return;
    const int length = ring.buffer[ring.readPosition];
    ring.readPosition = (ring.readPosition + 1) & RingMask;
    if (length == 0)
        return;
    uint8_t entries[256];  // every length byte fits
    for (int i = 0; i < length; ++i) {
        entries[i] = ring.buffer[ring.readPosition];
        ring.readPosition = (ring.readPosition + 1) & RingMask;
    }
    if (IsMprRecording())
        StashReceivedBundle(FrameClock.processedFrame - FrameClock.raceStartFrame, c, entries, length);
    HandleGameBundle(c, entries, length);
}

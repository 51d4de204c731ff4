// Frames that arrive on a game link: each is checked against its transport
// class before anything of it is stored or forwarded, bundles fill the
// sender's ring with an entry per frame, and a ring that would overflow
// stores nothing of the frame.
#include <cstring>

#include "net_fixture.h"

namespace {

// A bundle frame payload: class 0, the frame number, a zero difference and
// the packets as entries.
Bytes BundleFrame(uint16_t frame, const std::vector<Bytes>& packets = {})
{
    Bytes payload = {TransportBundle, static_cast<uint8_t>(frame), static_cast<uint8_t>(frame >> 8), 0, 0};
    for (const Bytes& packet : packets) {
        payload.push_back(static_cast<uint8_t>(packet.size()));
        payload.insert(payload.end(), packet.begin(), packet.end());
    }
    return payload;
}

// A class-0 frame of exactly size bytes: header and one entry of the rest.
Bytes BundleFrameOfSize(int size)
{
    Bytes payload = BundleFrame(7);
    const int packetLength = size - 5 - 1;
    payload.push_back(static_cast<uint8_t>(packetLength));
    payload.resize(static_cast<size_t>(size), 0);
    payload[6] = GpHorn;
    return payload;
}

class FrameCheckTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        StartHostWithTwoGuests();
    }
    void Receive(int c, const Bytes& payload)
    {
        OnConnectionFrame(c, static_cast<int>(payload.size()), payload.data());
    }
};

} // namespace

TEST_F(FrameCheckTest, EveryClassHasItsLimits)
{
    struct Case {
        const char* name;
        Bytes payload;
        bool valid;
    } cases[] = {
        {"empty bundle", BundleFrame(3), true},
        {"bundle of one horn", BundleFrame(3, {MakePacket(GpHorn, 4)}), true},
        {"bundle header cut short", {TransportBundle, 3, 0, 0}, false},
        {"entry past the end", {TransportBundle, 3, 0, 0, 0, 9, GpHorn, 0, 0, 0}, false},
        {"entry of zero bytes", {TransportBundle, 3, 0, 0, 0, 0}, false},
        {"entry shorter than a packet", {TransportBundle, 3, 0, 0, 0, 3, GpHorn, 0, 0}, false},
        {"entry one byte short of the end", {TransportBundle, 3, 0, 0, 0, 4, GpHorn, 0, 0, 0, 0}, false},
        {"largest bundle", BundleFrameOfSize(MaxBundleFrameSize), true},
        {"bundle past 252 bytes", BundleFrameOfSize(MaxBundleFrameSize + 1), false},
        {"immediate packet", {TransportImmediate, 1, 0, 0}, true},
        {"immediate without a packet", {TransportImmediate}, false},
        {"forwarded bundle", {TransportForwarded, 11, TransportBundle, 3, 0, 0, 0}, true},
        {"forwarded without a frame", {TransportForwarded, 11}, false},
        {"forwarded forwarded frame", {TransportForwarded, 11, TransportForwarded, 12, TransportImmediate, 1}, false},
        {"forwarded broken bundle", {TransportForwarded, 11, TransportBundle, 3}, false},
        {"one position record", Bytes(1 + PositionRecordSize, TransportPositions), true},
        {"three position records", Bytes(1 + 3 * PositionRecordSize, TransportPositions), true},
        {"four position records", Bytes(1 + 4 * PositionRecordSize, TransportPositions), false},
        {"part of a position record", Bytes(PositionRecordSize, TransportPositions), false},
        {"unknown class, reported and ignored", {9, 1, 2}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsGameFrameValid(c.payload.data(), static_cast<int>(c.payload.size())), c.valid ? 1 : 0);
    }
}

// The host passes a guest's bundle on with two bytes more; a valid bundle
// frame always leaves room for them in the size byte.
TEST_F(FrameCheckTest, NoValidBundleWrapsAForwardedSizeByte)
{
    for (int size = 10; size <= 255; ++size) {
        const Bytes payload = BundleFrameOfSize(size);
        const bool valid = IsGameFrameValid(payload.data(), size);
        EXPECT_EQ(valid, size <= MaxBundleFrameSize) << size;
        if (valid) {
            EXPECT_LE(size + 2, 255);
        }
    }
}

TEST_F(FrameCheckTest, AnInvalidFrameClosesItsLinkAndStoresNothing)
{
    const FrameRing before = ConnectionTable.connections[1].ring;
    Receive(1, BundleFrameOfSize(254));
    EXPECT_TRUE(ClientLinkTable.links[0].fatal);
    EXPECT_FALSE(ClientLinkTable.links[0].open);
    EXPECT_TRUE(ConnectionTable.connections[1].ring == before);
    EXPECT_TRUE(Shown("Invalid frame (class 0) - rejecting (1)"));
    EXPECT_FALSE(ClientLinkTable.links[1].fatal);
}

// Three frames without a bundle, then one: the bundle and two empty
// entries, so that the count matches the sender's own.
TEST_F(FrameCheckTest, FramesWithoutABundleBecomeEmptyEntries)
{
    MutableFrameClock.processedFrame = 5;
    MutableConnectionTable.connections[1].ring.framesReceived = 10;
    Receive(1, BundleFrame(13, {MakePacket(GpHorn, 4, 2)}));
    const FrameRing& ring = ConnectionTable.connections[1].ring;
    EXPECT_EQ(ring.framesReceived, 13u);
    const uint8_t expected[] = {5, 4, GpHorn, 2, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(ring.buffer, expected, sizeof expected), 0);
    EXPECT_EQ(ring.writePosition, sizeof expected);
}

TEST_F(FrameCheckTest, ABundleOfAFrameAlreadyProcessedIsCountedNotStored)
{
    MutableFrameClock.processedFrame = 20;
    MutableConnectionTable.connections[1].ring.framesReceived = 18;
    Receive(1, BundleFrame(19, {MakePacket(GpHorn, 4)}));
    EXPECT_EQ(ConnectionTable.connections[1].ring.framesReceived, 19u);
    EXPECT_EQ(ConnectionTable.connections[1].ring.writePosition, 0u);
}

TEST_F(FrameCheckTest, ALeavingConnectionsBundlesAreIgnored)
{
    MutableConnectionTable.connections[2].leaving = 1;
    MutableConnectionTable.connections[2].ring.framesReceived = 4;
    Receive(2, BundleFrame(5, {MakePacket(GpHorn, 4)}));
    EXPECT_EQ(ConnectionTable.connections[2].ring.framesReceived, 4u);
}

// A guest's ring that would overrun its reader closes the guest's link;
// the frame that did not fit leaves no bytes behind.
TEST_F(FrameCheckTest, AnotherConnectionsRingOverflowClosesItsLinkAndKeepsTheRingWhole)
{
    MutableConnectionTable.connections[1].ring.framesReceived = 1;
    const Bytes big = MakePacket(GpCarInfo, 212);
    const Bytes filler = MakePacket(GpLapTime, 12);
    int frames = 0;
    FrameRing lastWhole;
    for (uint16_t frame = 2; !ClientLinkTable.links[0].fatal && frame < 100; ++frame) {
        lastWhole = ConnectionTable.connections[1].ring;
        Receive(1, BundleFrame(frame, {big, filler}));
        ++frames;
    }
    ASSERT_TRUE(ClientLinkTable.links[0].fatal);
    EXPECT_TRUE(Shown("STORE : OVERFLOW - Guest1"));
    EXPECT_TRUE(ConnectionTable.connections[1].ring == lastWhole);
    // Records of [226][213 + 13 bytes entries] take 227 bytes: 18 fit into
    // the ring's 4095, the 19th finds 9 free bytes and is not stored.
    EXPECT_EQ(frames - 1, 18);
    EXPECT_EQ(RingFreeSpace(lastWhole), FrameRingSize - 1 - 18 * 227);
}

TEST_F(FrameCheckTest, AGuestTakesForwardedFramesAsTheirSourcesOwn)
{
    StartSession(3, 1);
    MutableConnectionTable.connections[2].ring.framesReceived = 3;
    Bytes forwarded = {TransportForwarded, 11};
    const Bytes bundle = BundleFrame(4, {MakePacket(GpHorn, 4)});
    forwarded.insert(forwarded.end(), bundle.begin(), bundle.end());
    Receive(0, forwarded);
    EXPECT_EQ(ConnectionTable.connections[2].ring.framesReceived, 4u);
    EXPECT_EQ(ConnectionTable.connections[0].ring.framesReceived, 0u);

    forwarded[1] = 99;
    Receive(0, forwarded);
    EXPECT_TRUE(Shown("Packet for unknown connection"));
    EXPECT_EQ(ConnectionTable.connections[2].ring.framesReceived, 4u);
}

TEST_F(FrameCheckTest, AConnectionPastTheTableIsRefused)
{
    Receive(4, BundleFrame(1));
    EXPECT_TRUE(Shown("Player number out of bounds"));
}

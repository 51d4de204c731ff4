// The frame road on one computer: packets queued in a frame are processed in
// that frame plus the processing delay, in queue order, each exactly once,
// whatever the pass lengths; a full bundle carries on in the next frame; the
// own ring never loses a frame quietly.
#include <cstring>
#include <random>

#include "net_fixture.h"

namespace {

struct Processed {
    uint32_t frame;       // the frame that processed it
    uint32_t passFrame;   // the current frame of the pass that processed it
    int connection;
    Bytes bytes;
    bool operator==(const Processed&) const = default;
};

struct Queued {
    uint32_t frame;  // the current frame when it was queued
    Bytes bytes;
};

std::vector<Processed> Trace;
std::vector<Queued> QueueLog;

void RecordProcessed(uint32_t frame, int connection, const uint8_t* packet, int length)
{
    Trace.push_back({frame, FrameClock.currentFrame, connection, Bytes(packet, packet + length)});
}

// Game packets of every size class whose handlers change nothing yet:
// horn, split, lap, timing state, rename, car message, layout, car info.
constexpr int PacketLengths[] = {4, 8, 12, 20, 36, 68, 132, 212};
constexpr int PacketTypes[] = {GpHorn, GpSplitTime, GpLapTime, GpTimingState, GpRename, GpCarMessage,
                               GpLayoutObjects, GpCarInfo};

uint16_t Sequence = 0;

// A numbered packet of one of the lengths above.
Bytes NumberedPacket(int kind)
{
    Bytes packet(static_cast<size_t>(PacketLengths[kind]), 0);
    packet[0] = static_cast<uint8_t>(PacketTypes[kind]);
    packet[2] = static_cast<uint8_t>(Sequence);
    packet[3] = static_cast<uint8_t>(Sequence >> 8);
    ++Sequence;
    return packet;
}

void Queue(const Bytes& packet)
{
    QueueLog.push_back({FrameClock.currentFrame, packet});
    QueueGamePacket(packet.data(), static_cast<int>(packet.size()));
}

// What one frame's game step queues: the kinds drawn from the frame number
// alone, so that every split of the same time queues the same packets in
// the same frames. Their entries never pass one bundle (247 bytes).
void QueueFrameTraffic(uint32_t frame)
{
    std::mt19937 pick(frame * 2654435761u);
    int room = GameBundleSize - GameBundleHeaderSize;
    const int count = static_cast<int>(pick() % 6);
    for (int i = 0; i < count; ++i) {
        const int kind = static_cast<int>(pick() % 8);
        if (PacketLengths[kind] + 1 > room)
            continue;
        room -= PacketLengths[kind] + 1;
        Queue(NumberedPacket(kind));
    }
}

void GameStep() { QueueFrameTraffic(FrameClock.processedFrame); }

class FrameRoadTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        Trace.clear();
        QueueLog.clear();
        Sequence = 0;
        SetGamePacketTrace(RecordProcessed);
        ResetSession(1, 0);
    }

    // One pass of the session: the clock moves, the road runs.
    void Pass(int ms, void (*step)() = GameStep)
    {
        AdvanceGameClockMs(ms);
        if (Online) {
            UpdateGameFrame();
            NetUpdate(0);
        }
        ProcessDueFrames(step);
    }

    // Every packet queued before the processed frame was processed once, in
    // queue order, in the frame in which it was queued.
    void ExpectDeliveredInTheirFrames()
    {
        size_t due = 0;
        while (due < QueueLog.size() && QueueLog[due].frame < FrameClock.processedFrame)
            ++due;
        ASSERT_EQ(Trace.size(), due);
        for (size_t i = 0; i < Trace.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(Trace[i].bytes, QueueLog[i].bytes);
            EXPECT_EQ(Trace[i].frame, QueueLog[i].frame);
            EXPECT_EQ(Trace[i].connection, 0);
        }
    }
};

// Pass lengths from 1 ms to 250 ms: patterns of their own and random ones.
std::vector<int> PassPattern(int kind, int totalMs)
{
    std::vector<int> passes;
    std::mt19937 random(static_cast<unsigned>(kind));
    for (int t = 0; t < totalMs;) {
        int ms;
        switch (kind) {
        case 0: ms = 1; break;
        case 1: ms = 10; break;
        case 2: ms = 250; break;
        case 3: ms = passes.size() % 2 ? 1 : 250; break;
        case 4: ms = 7; break;
        default: ms = 1 + static_cast<int>(random() % 250); break;
        }
        ms = std::min(ms, totalMs - t);
        passes.push_back(ms);
        t += ms;
    }
    return passes;
}

} // namespace

TEST_F(FrameRoadTest, OfflinePacketsArriveInTheirFrameOnceAndInOrderForAnyPassLengths)
{
    std::vector<Processed> reference;
    for (int kind = 0; kind < 9; ++kind) {
        SCOPED_TRACE(kind);
        Trace.clear();
        QueueLog.clear();
        Sequence = 0;
        SetGameClockMs(5000);
        ResetSession(1, 0);
        for (int ms : PassPattern(kind, 3000))
            Pass(ms);
        EXPECT_EQ(FrameClock.processedFrame, 300u);
        ExpectDeliveredInTheirFrames();
        // The trace, less the pass it fell in, is the same for every split.
        for (Processed& p : Trace)
            p.passFrame = 0;
        if (kind == 0)
            reference = Trace;
        else
            EXPECT_TRUE(Trace == reference);
    }
    EXPECT_GT(reference.size(), 500u);
}

TEST_F(FrameRoadTest, OnlinePacketsWaitTheProcessingDelay)
{
    SetMultiplayerMode(1);
    for (int delay : {0, 3, 100}) {
        SCOPED_TRACE(delay);
        for (int kind : {1, 3, 5}) {
            SCOPED_TRACE(kind);
            Trace.clear();
            QueueLog.clear();
            ResetSession(1, 0);
            MutableFrameClock.processingDelay = delay;
            uint32_t lastPassFrame = 0;
            bool firstPass = true;
            std::vector<uint32_t> previousPassFrame;  // per processed packet
            for (int ms : PassPattern(kind, 10000)) {
                const size_t before = Trace.size();
                Pass(ms, [] {});
                for (size_t i = before; i < Trace.size(); ++i)
                    previousPassFrame.push_back(lastPassFrame);
                // Packets of this pass's frame, queued outside the loop by
                // the first pass of the frame (so a frame never holds more
                // than one bundle).
                if (FrameClock.currentFrame != lastPassFrame || firstPass) {
                    // 100 frames of full bundles would not fit the ring:
                    // with that delay, a horn every fourth frame.
                    if (delay < MaxProcessingDelay)
                        QueueFrameTraffic(FrameClock.currentFrame);
                    else if (FrameClock.currentFrame % 4 == 0)
                        Queue(NumberedPacket(0));
                }
                lastPassFrame = FrameClock.currentFrame;
                firstPass = false;
            }
            ASSERT_EQ(FrameClock.sessionState, SessionRunning);
            ASSERT_GT(Trace.size(), 5u);
            ASSERT_LE(Trace.size(), QueueLog.size());
            for (size_t i = 0; i < Trace.size(); ++i) {
                SCOPED_TRACE(i);
                EXPECT_EQ(Trace[i].bytes, QueueLog[i].bytes);
                EXPECT_EQ(Trace[i].frame, QueueLog[i].frame);
                // Processed in the first pass that was delay frames past it.
                EXPECT_GE(Trace[i].passFrame, Trace[i].frame + delay + 1);
                EXPECT_LT(previousPassFrame[i], Trace[i].frame + delay + 1);
            }
        }
    }
}

TEST_F(FrameRoadTest, OnlineRunsGiveTheSameTrace)
{
    SetMultiplayerMode(1);
    std::vector<Processed> runs[2];
    for (std::vector<Processed>& run : runs) {
        Trace.clear();
        Sequence = 0;
        SetGameClockMs(1000);
        ResetSession(1, 0);
        MutableFrameClock.processingDelay = 2;
        for (int ms : PassPattern(5, 2000))
            Pass(ms);
        run = Trace;
    }
    EXPECT_GT(runs[0].size(), 100u);
    EXPECT_TRUE(runs[0] == runs[1]);
}

// A packet that exactly fills the bundle goes with it; one byte more sends
// the bundle first and the packet opens the next frame's bundle.
TEST_F(FrameRoadTest, AFullBundleCarriesOnInTheNextFrame)
{
    // 6 header bytes and the entries [213][car info], [21][timing state],
    // [13][lap time]: 6 + 213 + 21 + 13 = 253.
    const Bytes packets[] = {MakePacket(GpCarInfo, 212), MakePacket(GpTimingState, 20), MakePacket(GpLapTime, 12)};
    for (const Bytes& packet : packets)
        QueueGamePacket(packet.data(), static_cast<int>(packet.size()));
    EXPECT_EQ(GameBundle.bytes[0], GameBundleSize);
    EXPECT_EQ(FrameClock.sentFrames, 0u);
    const Bytes horn = MakePacket(GpHorn, 4);
    QueueGamePacket(horn.data(), 4);
    EXPECT_EQ(FrameClock.sentFrames, 1u);
    EXPECT_EQ(GameBundle.bytes[0], GameBundleHeaderSize + 5);

    // Offline the early bundle is frame 0 and the horn goes with frame 1.
    Pass(20, [] {});
    ASSERT_EQ(Trace.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Trace[i].frame, 0u);
        EXPECT_EQ(Trace[i].bytes, packets[i]);
    }
    EXPECT_EQ(Trace[3].frame, 1u);
    EXPECT_EQ(Trace[3].bytes, horn);
}

TEST_F(FrameRoadTest, APacketNoBundleCanCarryIsRefused)
{
    const Bytes tooLong(GameBundleSize - GameBundleHeaderSize, 5);
    QueueGamePacket(tooLong.data(), static_cast<int>(tooLong.size()));
    EXPECT_EQ(GameBundle.bytes[0], GameBundleHeaderSize);
    EXPECT_EQ(FrameClock.sentFrames, 0u);
    EXPECT_TRUE(Shown("QueueGamePacket : packet of 247 bytes refused"));
    const Bytes longest(GameBundleSize - GameBundleHeaderSize - 1, 5);
    QueueGamePacket(longest.data(), static_cast<int>(longest.size()));
    EXPECT_EQ(GameBundle.bytes[0], GameBundleSize);
}

// Online, with processing held back, the own ring fills. The frame that no
// longer fits is not stored in part: the session restarts, and nothing is
// sent or stored after it.
TEST_F(FrameRoadTest, AnOwnRingOverflowRestartsTheSession)
{
    SetMultiplayerMode(1);
    MutableFrameClock.processingDelay = MaxProcessingDelay;
    const Bytes big = MakePacket(GpCarInfo, 212);
    int stored = 0;
    for (int pass = 0; pass < 40 && FrameClock.sessionState == SessionRunning; ++pass) {
        QueueGamePacket(big.data(), 212);
        const uint32_t before = FrameClock.sentFrames;
        Pass(10, [] {});
        stored += static_cast<int>(FrameClock.sentFrames - before);
    }
    ASSERT_EQ(FrameClock.sessionState, SessionRestartHost);
    EXPECT_TRUE(Shown("OVERFLOW - own frame ring"));
    const FrameRing& ring = ConnectionTable.connections[0].ring;
    // Every stored frame is whole: 19 records of [length][213 bytes] fill
    // 4066 of the 4095 bytes, the 20th is not stored at all.
    EXPECT_EQ(stored, 19);
    EXPECT_EQ(ring.framesReceived, FrameClock.sentFrames);
    EXPECT_EQ(FrameRingSize - 1 - RingFreeSpace(ring), stored * 214);
    const FrameRing frozen = ring;
    Pass(100, [] {});
    EXPECT_TRUE(ConnectionTable.connections[0].ring == frozen);
    EXPECT_TRUE(Trace.empty());
}

TEST_F(FrameRoadTest, ALeavingConnectionNeverHoldsUpTheNextFrame)
{
    StartSession(3);
    MutableConnectionTable.connections[0].ring.framesReceived = 1;
    MutableConnectionTable.connections[2].ring.framesReceived = 1;
    EXPECT_FALSE(IsNextFrameReady());
    MutableConnectionTable.connections[1].leaving = 1;
    EXPECT_TRUE(IsNextFrameReady());
}

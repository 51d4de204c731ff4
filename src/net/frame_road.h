// The frame road: every change of shared game state is a game packet in the
// bundle of one 10 ms game frame. Each computer stores its own bundle in its
// own frame ring and the bundles of the others in theirs, and processes a
// frame only when every connection's ring holds it and it lies the
// processing delay behind the current frame, so that every computer applies
// the same packets in the same order. Offline play takes the same road
// through the own ring alone.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------
// The bundle being built.

// The whole buffer; a sent bundle frame is at most one byte shorter, so its
// size byte never passes 252.
constexpr int GameBundleSize = 253;
constexpr int MaxBundleFrameSize = GameBundleSize - 1;
// Byte 0 the fill index while building (the frame size once sent), byte 1
// the transport class, bytes 2-3 the frame number, bytes 4-5 the frame
// difference for the receiver; the entries [L][packet] start at byte 6.
constexpr int GameBundleHeaderSize = 6;
// Every game packet is at least its type byte and three more.
constexpr int MinGamePacketLength = 4;

// Transport classes: the first payload byte of a frame on a game link
// (receivers read its low seven bits).
enum : uint8_t {
    TransportBundle = 0,     // frame number, frame difference, entries
    TransportImmediate = 1,  // one immediate packet
    TransportForwarded = 2,  // a target (guest to host) or source (host to guest) id and a frame payload
    TransportPositions = 3,  // one to three 68-byte car state records
};
constexpr uint8_t TransportClassMask = 0x7F;
constexpr int PositionRecordSize = 68;
constexpr int MaxPositionRecords = 3;

// Lives for one session; byte 0 is 6 when empty.
struct GameBundleRecord {
    uint8_t bytes[GameBundleSize] = {GameBundleHeaderSize};

    bool operator==(const GameBundleRecord&) const = default;
};
extern const GameBundleRecord& GameBundle;

// ---------------------------------------------------------------------------
// The frame clock of the session.

// SessionState values: anything but running stops sending and processing;
// the root screen ends or restarts the session.
enum : int32_t { SessionRunning = 0, SessionEnded = 1, SessionRestartHost = 4 };

// Frames count 10 ms of the session clock from InitTime. Lives for one
// session: ResetSession starts it again.
struct FrameClockRecord {
    uint32_t initTime = 0;         // game clock (ms) of frame 0
    uint32_t currentFrame = 0;     // (game clock - initTime) / 10 online; counted offline
    uint16_t stampedFrame = 0;     // frame number written into the last bundle sent
    uint32_t sentFrames = 0;       // entries stored in the own ring
    uint32_t processedFrame = 0;   // frames processed
    int32_t processingDelay = 0;   // 0..100 frames between current and processed
    uint32_t frameOffset = 0;      // added to received frame numbers (join, replays)
    uint32_t raceStartFrame = 0;   // frame of the running race's step 0
    int32_t sessionState = SessionRunning;
    int32_t hostLost = 0;          // the session ends (guest lost its host, or on request)

    bool operator==(const FrameClockRecord&) const = default;
};
extern const FrameClockRecord& FrameClock;

// The processing delay never passes this many frames.
constexpr int MaxProcessingDelay = 100;

// ---------------------------------------------------------------------------
// Queueing and sending.

// Appends [length][packet] to the bundle (nothing while a multiplayer replay
// plays). A packet that would pass the bundle's 253 bytes first sends the
// bundle as it is ("Emergency send"): the packet then goes into the next
// frame. A packet longer than any bundle can carry is refused.
void QueueGamePacket(const uint8_t* packet, int length);
// The same, and the packet also goes into the single-player replay while one
// is recorded.
void QueueGamePacketRecorded(const uint8_t* packet, int length);
// 1 when queueing length more bytes would leave fewer than 2048 free bytes
// in the own ring.
int RingNearlyFull(int length);
// Queues the packet unless the own ring is nearly full ("Avoiding buffer
// overflow"); 1 when queued, 0 otherwise and while a replay plays.
int QueueIfRoom(const uint8_t* packet, int length);
// Sends the bundle of the current frame to every admitted link and stores
// it in the own ring, with an empty entry for every frame that passed
// without one; forced clears a host's lost flag by ending the session.
void SendGameBundle(int forced);

// ---------------------------------------------------------------------------
// The pass of the session.

// CurrentFrame from the game clock (online).
void UpdateGameFrame();
// Once per pass online: polls the links, sends the bundle when a frame
// passed (or forced), watches the host link.
void NetUpdate(int forced);
// A frame that arrived on the link of connection c (size bytes of payload).
void OnConnectionFrame(int c, int size, const uint8_t* payload);
// Every connection that is not leaving holds the next frame.
int IsNextFrameReady();
// Processes frame ProcessedFrame: each connection's packets in index order,
// then the connections marked for removal go.
void ProcessNextFrame();
// The processing loop, after NetUpdate each pass: online every frame that is
// due and ready, offline frame by frame up to the frame due by the game
// clock. gameStep runs once after each processed frame.
void ProcessDueFrames(void (*gameStep)());

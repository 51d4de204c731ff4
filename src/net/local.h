// Multiplayer, replays and external interfaces: declarations shared only
// inside the subsystem: the writable forms of its read-only globals, the
// link table, the ring and frame checks of the frame road, and the services
// of its parts still to be built.
#pragma once

#include <cstdint>

#include "core/services.h"
#include "net/services.h"

class CarObject;
struct PlayerCarBlock;
struct Race;
struct RacePlayer;

// What the multiplayer layer keeps for the whole run, exported read-only
// under the names in the area headers. Set back by ResetNetTables in one
// assignment.
constexpr int HostConsoleLineSize = 96;
struct NetRecord {
    // The hold flag: the timed race messages wait while it is set.
    int networkHold = 0;
    // A multiplayer replay plays, and car positions travel by UDP.
    int multiplayerReplayPlaying = 0;
    int udpPositions = 0;
    // The connection and car limits that the screens opened next adjust.
    int currentConnectionLimit = 16;
    int currentCarLimit = 12;
    // An outside program has stopped the game clock.
    int inSimTimeStop = 0;
    // A finished skin download waits for the main loop to install it.
    int skinDownloadWaiting = 0;
    // A multiplayer replay blocks the messages.
    int mprMessageBlocking = 0;
    // Passes of the processing loop that ended behind the due frame, counted
    // towards the delay tuning; ResetSession keeps it.
    int behindCount = 0;
    // Sees every processed game packet while set (SetGamePacketTrace).
    GamePacketTraceFunction packetTrace = nullptr;
    // The line being typed on the host console.
    char consoleLine[HostConsoleLineSize] = {};
    int consoleLength = 0;
    // Which services that are not built yet have said so in the log: each
    // says it once.
    bool sendOnLinkNoted = false, sendImmediateNoted = false;
    bool immediatePacketNoted = false, admissionNoted = false;
    bool posFrameNoted = false;
    bool layoutPacketsNoted = false;

    bool operator==(const NetRecord&) const = default;
};
extern NetRecord MutableNet;

// Empties the ban list (ban_list.cpp).
void ResetBanList();

// The host options, exported read-only as HostOptions (host_options.cpp).
extern HostOptionsRecord MutableHostOptions;

// ---------------------------------------------------------------------------
// The writable globals; other subsystems see them read-only through the
// names without "Mutable".

extern GameBundleRecord MutableGameBundle;
extern FrameClockRecord MutableFrameClock;
extern ConnectionTableRecord MutableConnectionTable;
extern MultiplayerModeRecord MutableMultiplayerMode;
extern SessionFlagsRecord MutableSessionFlags;
extern SessionVotesRecord MutableSessionVotes;
extern RaceOptionsRecord MutableRaceOptions;
extern StateCheckRecord MutableStateCheck;
extern RaceRequestsRecord MutableRaceRequests;

// Standard colours of the network messages.
enum : int {
    ColourRed = 1,
    ColourWhite = 7,
    ColourLightRed = 9,
    ColourLightGreen = 10,
    ColourLightBlue = 12,
    ColourLightMagenta = 13,
    ColourLightGrey = 18,
};
// A network message (shown only while the network messages are switched on).
void ReportNet(int colour, const char* format, ...) __attribute__((format(printf, 2, 3)));
// A message line always shown.
void ReportLine(int colour, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Little-endian fields of packets and frames.
inline uint16_t ReadPacketShort(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }
inline uint32_t ReadPacketLong(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}
inline float ReadPacketFloat(const uint8_t* bytes)
{
    const uint32_t bits = ReadPacketLong(bytes);
    float value;
    static_assert(sizeof value == sizeof bits);
    __builtin_memcpy(&value, &bits, sizeof value);
    return value;
}
inline void WritePacketLong(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// ---------------------------------------------------------------------------
// Frame rings and frames of the frame road.

// Free bytes of a ring: (read - write - 1) modulo 4096.
int RingFreeSpace(const FrameRing& ring);
// Stores one frame of entries (length bytes, 0 an empty frame) in the ring
// of connection c. A frame already processed is only counted. A frame that
// does not fit is not stored at all: the own ring restarts the session,
// another connection's link is closed (KickOverflow). 1 when stored or
// counted.
int RingStoreFrame(int c, const uint8_t* entries, int length);
int RingStoreEmptyFrame(int c);
// Reads the next frame of connection c and hands its packets to
// HandleGamePacket.
void TakeFrameBundle(int c);
// Hands each [length][packet] entry of a frame to HandleGamePacket.
void HandleGameBundle(int c, const uint8_t* entries, int length);

// 1 when the bytes are whole [L][packet] entries, each packet at least 4
// bytes, ending exactly at the end.
int AreBundleEntriesValid(const uint8_t* entries, int length);
// Checks a frame payload of a game link against its transport class before
// anything is stored or forwarded: a bundle frame fits a bundle (so a
// forwarded copy never wraps its size byte) and holds whole entries, a
// forwarded frame carries a valid inner frame that is not forwarded again,
// a position frame holds whole records. Unknown classes pass (they are
// reported and ignored). 1 when valid.
int IsGameFrameValid(const uint8_t* payload, int size);
// The host passes a frame of the connection with sourceUcid on to link i as
// [size + 2][2][source id][payload]; a position frame is dropped rather than
// stored when the socket refuses it. 0 when the frame is too long to forward.
int ForwardFrame(int link, int sourceUcid, int size, const uint8_t* payload);

// ---------------------------------------------------------------------------
// The link table. Pending: the sockets, addresses, emergency stores and
// receive framers come with the network link; until then no link is ever
// opened, so the table stays empty and nothing is sent.

constexpr int MaxClientLinks = 56;
struct ClientLink {
    uint8_t open = 0;         // frames may be sent
    uint8_t connection = 0;   // the connection it carries (0 the host on a guest)
    uint8_t fatal = 0;        // dropped: the session layer removes the connection
    int32_t masterToken = 0;  // the master-server token of a joiner
    uint16_t versionLetter = 0;  // the joiner's version letter
    uint32_t timeStamp = 0;   // game clock of its last admission event

    bool operator==(const ClientLink&) const = default;
};
// Admitted links fill the table from the front. Lives for one network run.
struct ClientLinkTableRecord {
    ClientLink links[MaxClientLinks];
    int linkCount = 0;

    bool operator==(const ClientLinkTableRecord&) const = default;
};
extern ClientLinkTableRecord ClientLinkTable;

// Closes a link and marks it failed, keeping its waiting frames.
void DropClientLink(ClientLink& link);
// Drops the link that carries connection c; returns the link, -1 when there
// is none.
int FailLinkOfConnection(int c);

// Pending: closes the link's socket (with its waiting frames when asked);
// until sockets exist only the open flag is cleared.
void FreeClientLink(ClientLink& link, int freeStore);
// Pending: sends one whole frame ([size][payload]) on link i; returns the
// bytes sent, 0 (nothing sent) until sockets exist.
int SendOnLink(int link, const uint8_t* frame, int noStore);
// Pending: sends [length + 1][1][packet] on link i; 0 until sockets exist.
int SendImmediatePacket(int link, const uint8_t* packet, int length);
// Pending: frees every link; the table is emptied.
void CloseAllLinks();
// Pending: stops the sockets and the master link and makes this computer a
// host again; nothing runs until the network link is built.
void StopNetwork();
// Pending: accepts, reads and parses the frames of every link, handing them
// to OnConnectionFrame; nothing to read until sockets exist.
void PollClientLinks();
void PollGameUdp();
// Pending: the UDP path test word to a joiner; nothing is sent until UDP
// is built.
void SendUdpPathTest(int link);

// ---------------------------------------------------------------------------
// Services of the subsystem's other parts, until they are built.

// Pending: car state records of a position frame; ignored until car states
// are built.
void OnPosFrame(const uint8_t* records, int length);
// Pending: immediate packets; ignored until they are built.
void HandleImmediatePacket(const uint8_t* packet, int c, int length);
// Pending: a joiner's first frame on the host; refused until admission is
// built.
void AcceptNewGuest(const uint8_t* packet, int length);
// Pending: the guest's clock alignment from a host bundle; nothing until
// built.
void AlignGuestClock(int frameDifference, int peerDifference);
// Pending: the host's kick or ban vote timer; no vote runs until built.
void UpdateKickVoteTimer(int elapsedMs);
void ClearVoteState();
void CancelKickVoteAgainst(int ucid);
// Pending: the lag report, the delay tuning with the emergency restart and
// the host's state check timer; nothing until built.
void SendLagReport();
void EmergencyRestart();
void CheckSyncTimes();
// Pending: the master-server link; not connected until built.
void UpdateMasterLink();
void ReportToMaster(const char* tag, int32_t token);
int IsMasterLinkOpen();
// Pending: this computer's master-server token and user name; none until
// the master login is built.
int32_t OwnMasterToken();
const char* OwnMasterUserName();
// Pending: InSim notices; no InSim guest until built.
void TellInSimConnectionLeft(int c, int lastIndex, int reason);
void TellInSimNewConnection(int c);
void TellInSimMultiplayer(int on);
// Pending: the multiplayer replay's stash and its base frame; no replay is
// recorded until built.
int IsMprRecording();
void StashReceivedBundle(uint32_t frame, int c, const uint8_t* entries, int length);
void AdvanceMprFrames(uint32_t frame);
uint32_t MprBaseFrame();
// Pending: the single-player replay's packet record; none is recorded.
void RecordSprPacket(const uint8_t* packet, int length);
// Pending: the download queue's tick; nothing queued until built.
void TickDownloads();
// Pending: the host console's redraw marks; no console window until built.
void MarkHostConsoleStatus();
void MarkHostConsoleConnections();
// Every car's handicap back to none (pit_packets.cpp).
void ClearHandicaps();
// Pending: a guest asks again after a failed first synchronisation.
void RequestJoinRetry();
// Pending: the race-state records sent again to a guest's link (immediate
// packet 59); nothing is sent until immediate packets are built.
void SendRaceStates(int link);
// Pending: the player's option flags sent when they differ from its
// descriptor (game packet 26); nothing until player flags are built.
void SendPlayerFlags(const RacePlayer& slot);
// Pending: a layout streamed to the guests; none is sent until layouts are
// built.
int IsLayoutTransferRunning();
// Pending: the qualifying test of the race options; no world supports
// qualifying until the world loader is built.
int IsQualifyEnabled();

// ---------------------------------------------------------------------------
// What the game packets of players, cars, race control and pits check, the
// same on every computer (packet_fields.cpp).

// The host's connection and every connection with admin rights.
int IsAdminConnection(int c);
// The slot and the car of the player with that id in the current race;
// null when none.
RacePlayer* FindPacketPlayer(int playerId);
CarObject* FindPacketCar(int playerId);
// A skin name from another computer becomes part of file names: it is
// ended inside its field, and one with any character but letters, digits,
// space, '_', '-' and '.' (or a "..") becomes "DEFAULT".
void SanitiseSkinName(char* name, int size);
// 1 when a 16.16 position lies over the loaded world's grid, at heights a
// car may have; 0 without a world.
int IsPositionInWorld(const FixedVector& position);
// 1 when a race of the race's length code is run for a car with laps done
// and its total time (hundredths): the laps of a lap race, the hours of a
// timed race; never in practice.
int HasFinished(const Race& race, int laps, uint32_t totalTime);
// 1 once a race runs and its start countdown has passed: timing packets
// from before it are stale reports of the last drive.
int HasRaceStarted();

// The handlers of the connection and synchronisation packets.
void HandleProcessingDelayPacket(int c, const uint8_t* packet, int length);
void HandleLagFigurePacket(int c, const uint8_t* packet, int length);
void HandleNewConnectionPacket(int c, const uint8_t* packet, int length);
void HandleGuestStartingPacket(int c, const uint8_t* packet, int length);
void HandleGuestFailedPacket(int c, const uint8_t* packet, int length);
void HandleStateCheckPacket(int c, const uint8_t* packet, int length);
void HandleStateReportPacket(int c, const uint8_t* packet, int length);
void HandleAllowedCarsPacket(int c, const uint8_t* packet, int length);
void HandleRaceOptionsPacket(int c, const uint8_t* packet, int length);
void HandleConnectionLeavesPacket(int c, const uint8_t* packet, int length);
void HandleMessagesBlockedPacket(int c, const uint8_t* packet, int length);
void HandleHostFlagsPacket(int c, const uint8_t* packet, int length);
void HandleVotesPacket(int c, const uint8_t* packet, int length);

// The game packets of players and cars, of race control and timing, and of
// pits, penalties, resets, setups and handicaps; the dispatch has checked
// the length and the sender.
void HandlePlayerGamePacket(int c, const uint8_t* packet, int length);
void HandleRaceGamePacket(int c, const uint8_t* packet, int length);
void HandlePitGamePacket(int c, const uint8_t* packet, int length);

// The frame the game clock has reached offline: 10 ms per frame from the
// frame clock's origin, 0 while the clock has not passed it
// (frame_processing.cpp).
uint32_t FrameDueByClock();
// Pending: layout edits and layout objects (game packets 45 and 46) from a
// connection with admin rights; the world keeps no layout objects yet, so
// they are logged once and change nothing.
void HandleLayoutPacket(int c, const uint8_t* packet, int length);
// A player's car information packet (the join record's 212 bytes, texts
// already ended) from connection c: the car block is deciphered into the
// slot and its car loaded (in a running race, put into the session); a car
// not in the car table is refused on every computer, and the host drops a
// guest whose car is unknown or not allowed (car_info.cpp).
void ApplyCarInfo(RacePlayer& slot, const uint8_t* packet, int c);

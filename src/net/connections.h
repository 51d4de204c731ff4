// The connection table of a multiplayer session (offline play is a session
// of one): who takes part under which connection id, each participant's
// frame ring, the multiplayer mode and the session's flags, the watchdogs
// that drop silent participants, and the immediate-packet senders by role.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------
// Connections and their frame rings.

constexpr int MaxConnections = 48;
// Connection ids freed or given out lately; none of them is given out again
// while it is on the list.
constexpr int RecentUcidCount = 64;
constexpr int FrameRingSize = 4096;
constexpr int ConnectionNameSize = 32;
constexpr int ConnectionUserNameSize = 24;
constexpr int ReportedSkinSize = 20;
constexpr int ControlTagSize = 4;

// The frames of one connection that wait to be processed: entries of
// [length L][L bytes of game-packet entries], L = 0 an empty frame.
struct FrameRing {
    uint32_t framesReceived = 0;  // entries stored so far (stale ones counted too)
    uint32_t readPosition = 0;    // 0..4095, the next byte to read
    uint32_t writePosition = 0;   // 0..4095, the next byte to write
    uint8_t buffer[FrameRingSize] = {};

    bool operator==(const FrameRing&) const = default;
};

// Connection::kickState.
enum : uint8_t {
    KickNone = 0,
    KickLeaving = 1,    // the departure was announced
    KickKicked = 3,
    KickBanned = 4,
    KickSyncLate = 5,   // dropped by the state check: no leave text
};

// Leave reasons (Connection::leaveReason, game packet 63).
enum : uint8_t {
    LeaveDisconnected = 0,
    LeaveTimedOut = 1,
    LeaveLostConnection = 2,
    LeaveKicked = 3,
    LeaveBanned = 4,
    LeaveSyncLate = 5,
};

// One participant. Index 0 is the host on every computer; all zero when free.
struct Connection {
    uint8_t ucid = 0;           // 1..255, unique in the session; 0 for the host
    uint8_t kickState = 0;      // KickNone .. KickSyncLate
    uint8_t leaving = 0;        // its departure was announced: frames ignored, not awaited
    uint8_t numToForward = 0;   // host: admitted links (from the front) that get its bundles
    uint8_t leaveReason = 0;    // Leave...
    uint8_t gameVote = 0;       // its vote in a game vote
    uint8_t lag = 0;            // its last reported lag figure
    uint8_t checkPending = 0;   // a state check awaits its answer
    uint8_t remove = 0;         // set by packet handlers; removed after the frame
    uint8_t kickVoteCast = 0;   // it voted in the current kick or ban vote
    uint8_t setupSent = 0;      // it announced its setup
    uint8_t entryVote = 0;      // its vote on the entry screen of a race (1 ready)
    uint8_t trackLoaded = 0;    // it reported its track as loaded
    uint8_t admin = 0;          // 1 with admin rights (always on the host's record)
    uint8_t inSync = 0;         // a state report of it matched once
    uint8_t resyncCount = 0;    // race states sent again to it, at most 5
    char controlTag[ControlTagSize] = {};  // "M", "Kn", "Ks" or "W": how its driver steers
    int32_t backlog = 0;        // frames received less frames processed, 0 when not above
    char name[ConnectionNameSize] = {};    // driver name with colour codes
    char carSkinReported[ReportedSkinSize] = {};
    char helmetSkinReported[ReportedSkinSize] = {};
    int16_t frameDifference = 0;  // the current frame less the frame of its last bundle
    int16_t peerDifference = 0;   // the difference it measured for our frames
    uint16_t deduct = 0;          // frame number of its first bundle seen
    int32_t masterToken = 0;      // its master-server token
    uint32_t masterDeadline = 0;  // game clock (ms) by which the host confirms it
    char userName[ConnectionUserNameSize] = {};  // master-server user name
    FrameRing ring;

    bool operator==(const Connection&) const = default;
};

// The session's membership. Lives for one session: ResetSession empties it.
struct ConnectionTableRecord {
    Connection connections[MaxConnections];
    int count = 1;      // 1 on a host alone and in single-player play
    int ownIndex = 0;   // this computer's connection
    uint8_t recentlyFreed[RecentUcidCount] = {};  // newest first

    bool operator==(const ConnectionTableRecord&) const = default;
};
extern const ConnectionTableRecord& ConnectionTable;

// ---------------------------------------------------------------------------
// Multiplayer mode and the session's flags.

// Whether a multiplayer session runs and whether this computer hosts it
// (single-player play runs as a host without links). Live for the whole run.
struct MultiplayerModeRecord {
    int online = 0;
    int host = 1;

    bool operator==(const MultiplayerModeRecord&) const = default;
};
extern const MultiplayerModeRecord& MultiplayerMode;
// 1 while a multiplayer session runs (MultiplayerMode.online).
extern const int& Online;

// Host join states (admission steps of a new guest).
enum : int { JoinNone = 0, JoinProtected = 4, JoinError = 5 };

// The layout transfer of a track change (SessionFlagsRecord::layoutState).
enum : int { LayoutIdle = 0, LayoutWaitingForTrack = 1, LayoutSending = 2 };

// Flags of one session, cleared by ResetSession.
struct SessionFlagsRecord {
    int guestConnecting = 0;   // set by game packet 32, cleared by 20 and 33
    int trackChanging = 0;     // a track change runs (game packet 10 to 23)
    int guestJoinStage = 0;    // a joining guest's progress
    int joinState = 0;         // host: Join... of the guest being admitted
    int joinRetries = 0;       // guest: retries of a failed first synchronisation
    int leaveCode = 0;         // guest: why it leaves (1 it said goodbye; 2, 3 dropped by a state check)
    uint32_t lastAdmissionTime = 0;  // game clock of the last completed admission
    int layoutState = 0;       // Layout...: the layout transfer that follows a track change

    bool operator==(const SessionFlagsRecord&) const = default;
};
extern const SessionFlagsRecord& SessionFlags;

// The vote words of the session: the decided game vote and its countdown,
// and the two flags that pace the votes packet. Live for one session.
struct SessionVotesRecord {
    uint8_t decidedVote = 0;     // 0 none, 1 end race, 2 restart, 3 qualify
    uint8_t votesBlocked = 0;    // no vote starts the race (set by a joining guest)
    uint8_t votesSent = 0;       // the host's votes packet is on its way
    int32_t countdown = 0;       // frames until the decided vote takes effect

    bool operator==(const SessionVotesRecord&) const = default;
};
extern const SessionVotesRecord& SessionVotes;

// ---------------------------------------------------------------------------
// The table's operations.

// Starts a session of count connections, this computer being ownIndex:
// every connection, the frame clock, the session's flags and votes and the
// state-check timing are cleared, the game kind becomes 1 and the host's
// record gets its admin flag.
void ResetSession(int count, int ownIndex);
// Index 1..count-1 of the connection with that id, else 0 (the host's
// record is never matched).
int FindConnByUcid(int ucid);
// The record of that id from index 1, or from index 0; null when none.
const Connection* FindConnRecordByUcid(int ucid);
const Connection* FindConnRecord(int ucid);
// Index of the admitted link carrying the connection; -1 when none (with a
// tag, the failure is reported under it).
int FindClient(int connection, const char* tag);
// The admitted link whose connection (not 0, below the count) has the id;
// -1 when none.
int FindLinkByUcid(int ucid);
// The first admitted link carrying the connection; -1 when none.
int FindLinkOfConnection(int connection);
// Links that get session traffic: the newest is left out while it is still
// being admitted.
int AdmittedLinkCount();
// The smallest id from 1 up that no player slot, no connection and no
// recently freed id uses; it goes to the front of the recently freed list.
// 0 when every id is taken.
int AllocUcid();
// Puts an id at the front of the recently freed list.
void RememberFreedUcid(int ucid);
// Removes connection n: its players leave the race, the last record moves
// into its slot (links and player slots follow), its link goes.
void RemoveConn(int n);
// Frees link i and closes the gap in the admitted links.
void RemoveLinkAt(int link);
// In every admitted link and player slot, connection a becomes b and b a.
void SwapConnIndices(int a, int b);
// Host: the admission in progress fails (game packet 33 queued).
void CancelJoin();
// Removes every connection but the host's, then closes every link.
void RemoveAllGuests();
// A guest other than the host has a kick state or is leaving, or an
// admitted link failed.
int AnyoneLeavingOrFailing();
// A race session exists and is not in state 4: admissions wait.
int SessionBlocksJoin();
// Stores the reason and shows the departure of connection c.
void LeaveMessage(int c, int reason);
// The host's watchdog over its guests (after every bundle sent).
void CheckGuestLinks();
// A guest's watchdog over its host (every pass).
void CheckHostLink();
// Clears every connection's entry vote, and every track-loaded flag.
void ClearEntryVotes();
void ClearTrackLoadedFlags();

// ---------------------------------------------------------------------------
// Multiplayer mode, the race of a session and the senders by role.

// Switches multiplayer on or off (nothing more when unchanged): the clock
// nudge is cleared, InSim is told, the host status file is written (on) or
// deleted and the handicaps cleared (off).
void SetMultiplayerMode(int on);
// Multiplayer off, the network stopped, dedicated mode 1 ended.
void LeaveMultiplayer();
// A new race for a session of one: the current race is deleted, the own
// driver name goes into record 0; with the settings flag the host's race
// settings apply, with the on-master flag the master server is told.
void CreateMpRace(int settings, int onMaster);
// Multiplayer on, hosting, no replay playing and the master link open.
int IsHostOnMaster();
// An immediate packet to the host (on the host it is handled at once).
void SendToHost(const uint8_t* packet, int length);
// Host: an immediate packet to the connection with that id (0 the host).
void SendToGuest(const uint8_t* packet, int length, int ucid);
// Host: an immediate packet handled here and sent on every admitted link.
void SendToAllGuests(const uint8_t* packet, int length);
// The index is this computer's and no replay plays.
int IsOwnConnection(int index);
// Plays the interface sound when the index is this computer's connection.
void PlayOwnSound(int index, int effect);
// Writes the host status file from the session (see WriteHostStatus) while
// multiplayer is on.
void WriteSessionStatus();

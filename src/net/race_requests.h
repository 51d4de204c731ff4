// The race requests of menus, keys and commands, which check the situation,
// refuse with a message where needed and queue the right game packet or
// send the right immediate packet; the small tests of the multiplayer state
// that the whole program asks; the grid order of a restart; and the
// refusals shown while a guest connects or the track changes.
#pragma once

#include <cstdint>

struct RacePlayer;
struct Screen;

// ---------------------------------------------------------------------------
// Tests of the multiplayer state.

// Online and hosting; the same and no multiplayer replay playing; hosting
// and no replay playing.
int IsMultiplayerHost();
int IsHostingLive();
int IsHostNotReplaying();
// The own connection's admin flag online (not replaying), else 0.
int GetOwnAdminFlag();
// A layout transfer or a track change runs, or the world still loads.
int IsTrackChanging();
// No world loading and every guest connection reported its track loaded.
int IsTrackLoadedEverywhere();
// False while a decided game vote counts down its last 200 frames.
int OutsideVoteFinalCountdown();
// With a layout start point in use: a player's car stands within 6 m
// (horizontally) of it.
int IsStartBlocked();
// No world is loaded, or its name is not the current track's (case
// ignored).
int WorldDiffersFromTrack();
// Outside dedicated mode: the chosen car is allowed by the host; otherwise
// the chosen car is cleared and the answer is 0.
int IsChosenCarAllowed();
// Another connection than ownIndex has the driver name (colour codes and
// case ignored).
int IsNameUsedByConnection(const char* name, int ownIndex);
// In the first 12 s of an online race: "%s (%d)" with the text and the
// seconds left, returned in output (1); else 0 and nothing written.
int FormatStartCountdown(char* output, int size, const char* text);
// Stores how the slot's human driver steers in its connection: "M" mouse,
// "Kn" keyboard without help, "Ks" keyboard with help, "W" wheel.
void SetControlTag(const RacePlayer& slot);

// ---------------------------------------------------------------------------
// Refusals: each shows its notice with the system message sound; those with
// a connection only for the own request (connection -1 or the own index).

void RefuseCantQualify(const char* reason);
void RefuseGuestConnecting(const char* action, int connection);
void RefuseTrackChanging(const char* action, int connection);
// A guest connecting or the track changing refuses the action; 1 when it
// was refused.
int RefuseIfBusy(const char* action);

// ---------------------------------------------------------------------------
// Requests; each returns 1 when it queued or sent something.

int VoteEndRace();
int VoteRestart();
int VoteQualify();
int RequestJoinRace();
int SendJoinRequest();
// Adds the AI driver of that index of the AI name table.
int RequestAddAi(int index);
int DisconnectFromHost();
int SendLeave();
int RequestSpectate();
int RequestEnterPits();
int RequestTcpPositions();
// Queues the grid order of a restart or qualifying start (game packet 15)
// and sends the bundle: by results (mode 1), reversed results (2) or drawn
// at random (3); mode 0 sends nothing.
int SendGridOrder();

// What a change of the driver's settings changed.
struct NameChangeRecord {
    Screen* dialog = nullptr;     // the dialog whose message box shows a refusal; null: the message list
    int takeOver = 0;             // the rename belongs to a take over
    int previousFigure = 0;
    int skinChanged = 0;          // the helmet skin changed
    int previousSide = 0;         // driving side bit before the change
    char previousName[32] = {};   // name (24) and plate (8) before the change
};
// Queues what changed of the local driver: name and plate (refused when
// another driver has the name), figure, helmet skin, driving side, flags.
int SendNameChange(const NameChangeRecord& change);

// The order modes of "Race Start".
enum : int { GridOrderNone = 0, GridOrderResults = 1, GridOrderReversed = 2, GridOrderRandom = 3 };
// The grid order of a mode: player ids written to ids (at most 32), the
// count returned. Random draws advance the random state given.
int BuildGridOrder(int mode, uint8_t* ids, uint16_t& randomState);

// The limits of the requests. Live for one session.
struct RaceRequestsRecord {
    int voted = 0;               // a guest voted this session
    uint32_t lastVoteTime = 0;   // game clock of a guest's last vote (end, restart, qualify)
    int rejoin = 0;              // a restart with a layout start point sent the driver to spectate

    bool operator==(const RaceRequestsRecord&) const = default;
};
extern const RaceRequestsRecord& RaceRequests;

// What the race needs of the subsystems above it: the multiplayer layer
// (game packets, the game frame, connections, InSim and the master server),
// the interface (messages) and sound. Each is a function pointer whose
// default is the least body of a program without that subsystem (nothing is
// sent or shown, the computer is offline and alone); the higher subsystem
// installs its own at start-up (InstallNetSessionHooks, InstallUiSessionHooks,
// InstallDevicesSessionHooks) and tests install fakes.
#pragma once

#include <cstdint>

class CarObject;
struct RacePlayer;
struct RaceResult;
struct Screen;

// A confirmed result as the master server's result report carries it.
struct MasterResultReport {
    int32_t userNumber = 0;
    int site = 0;             // index in the site table
    int configuration = 0;
    int reversed = 0;
    char carCode[4] = {};
    int place = 0;            // 0 the winner
    int playerCount = 0;
    int raceLength = 0;       // race length code
    uint32_t totalTime = 0;   // hundredths
    int laps = 0;
    int flags = 0;            // result flags
    int pitStops = 0;
};

// The vote words of the multiplayer session as the race reads and writes
// them.
struct GameVoteWords {
    uint8_t decidedVote = 0;    // 0 none, 1 end race, 2 restart, 3 qualify
    uint8_t votesBlocked = 0;   // no vote is counted (a guest is joining)
    uint8_t hostVoteSent = 0;   // the host's vote packet is on its way
    int32_t countdown = 0;      // game frames until the decided vote acts
};

struct RaceHooks {
    // The multiplayer layer.
    // Appends a game packet to the current game frame's bundle.
    void (*queueGamePacket)(const uint8_t* bytes, int length) = [](const uint8_t*, int) {};
    // Sends the current bundle (now: at once, else with the frame).
    void (*sendGameBundle)(int now) = [](int) {};
    int (*isOnline)() = [] { return 0; };
    // 1 on the host of a multiplayer game.
    int (*isHost)() = [] { return 0; };
    // The current game frame (10 ms each).
    int32_t (*gameFrame)() = [] { return int32_t(0); };
    // This computer's connection number (0 on the host and offline).
    int (*ownConnection)() = [] { return 0; };
    int (*connectionCount)() = [] { return 0; };
    // A connection's driver name, online user name and master-server user
    // number; the names are null for a connection that does not exist.
    const char* (*connectionDriverName)(int connection) = [](int) -> const char* { return nullptr; };
    const char* (*connectionUserName)(int connection) = [](int) -> const char* { return nullptr; };
    int32_t (*connectionUserNumber)(int connection) = [](int) { return int32_t(0); };
    // Every connection's vote to enter the race is cleared.
    void (*clearEntryVotes)() = [] {};
    // The host keeps the ids of players that left for a while before
    // giving them out again.
    void (*rememberFreedPlayerId)(int playerId) = [](int) {};
    // A race longer than one lap on a world with pit boxes whose options
    // require a pit stop.
    int (*isPitStopRequired)() = [] { return 0; };
    // The distance and fuel a local car drove since its last report go to
    // the host (a connected guest only).
    void (*sendCarDistanceReport)(CarObject& car) = [](CarObject&) {};
    // A host listed on the master server, and its result report.
    int (*isHostOnMaster)() = [] { return 0; };
    void (*reportResultToMaster)(const MasterResultReport& report) = [](const MasterResultReport&) {};
    // InSim: whether an outside program listens, a player who leaves, a
    // finish, and a result row with its position (255: a time that made no
    // row).
    int (*isInSimActive)() = [] { return 0; };
    void (*inSimPlayerLeft)(const RacePlayer& slot) = [](const RacePlayer&) {};
    void (*inSimFinish)(const RaceResult& row, const RacePlayer& slot) = [](const RaceResult&, const RacePlayer&) {};
    void (*inSimResult)(const RaceResult& row, int position) = [](const RaceResult&, int) {};

    // What the session's cars ask of the multiplayer layer: connection
    // votes, the host's restart limits, the drive start's network words,
    // recording and announcements. Offline and alone without it.
    // 1 while this computer is still connecting to a host.
    int (*isConnecting)() = [] { return 0; };
    // A connection's game vote (0 none, 1 end, 2 restart, 3 qualify) and
    // its change, which InSim hears about.
    int (*connectionVote)(int connection) = [](int) { return 0; };
    void (*setConnectionVote)(int connection, int vote) = [](int, int) {};
    // Every connection's game vote and the decided vote cleared; whether a
    // vote has been decided.
    void (*clearGameVotes)() = [] {};
    int (*hasDecidedVote)() = [] { return 0; };
    // A connection whose car left: its vote and in-race bytes cleared.
    void (*clearConnectionInRace)(int connection) = [](int) {};
    // A packet to one connection's link only, at once.
    void (*sendToConnection)(int connection, const uint8_t* bytes, int length) = [](int, const uint8_t*, int) {};
    // The host's restart vote limits in seconds ("rstmin", "rstend").
    int (*restartMinSeconds)() = [] { return 60; };
    int (*restartEndSeconds)() = [] { return 30; };
    // Every race-control packet postpones the multiplayer state check.
    void (*postponeStateCheck)(int frames) = [](int) {};
    // This computer votes to restart (hot-lapping after a car joined).
    void (*voteRestart)() = [] {};
    // A connection's user goes to the master server as a report.
    void (*reportUserToMaster)(int connection, int report) = [](int, int) {};
    // The slot's control tag (who drives it, for the packets).
    void (*setControlTag)(RacePlayer& slot) = [](RacePlayer&) {};
    // 1 when the own frame ring cannot take a packet of this size.
    int (*frameRingNearlyFull)(int bytes) = [](int) { return 0; };
    // Every player cleared: cars freed, slots zeroed, InSim told.
    void (*clearAllPlayers)() = [] {};
    // A drive starts: the start-phase flag (startPhase), the join-pending
    // and automatic-join words and the delayed action cleared, and online
    // (not joining) the race start frame becomes the processed frame.
    void (*resetNetForDrive)(int startPhase, int joinRunning) = [](int, int) {};
    // Offline with a local player: the player's assist flags go out.
    void (*sendAssistFlags)() = [] {};
    // Replay recording starts (multiplayer or single-player).
    void (*startRecording)(int multiplayer) = [](int) {};
    // The drive's length is announced; InSim hears the race order and start.
    void (*announceDrive)() = [] {};
    // The interface's race setup: the most players an offline race takes.
    int (*raceSetupPlayerLimit)() = [] { return 32; };

    // The interface. Without it lines go to the debug log.
    // A line of the message list in a standard colour.
    void (*printMessage)(const char* text, int colour);
    // A light-grey line with the message sound.
    void (*printNotice)(const char* text);
    // A line in the error colour.
    void (*printError)(const char* text);
    // A message box over a screen (or over the top screen when null).
    void (*showMessageBox)(Screen* screen, const char* text);
    // The code page (0..9) of the language's texts.
    int (*languageCodePage)() = [] { return 0; };

    // Sound: an interface sound (2 system message), and an effect played
    // through the game-sound mix (5 win, 6 finish).
    void (*playInterfaceSound)(int effect) = [](int) {};
    void (*playMixedEffect)(int effect) = [](int) {};

    // The frame road as the session's frame drives it: every game frame
    // that is due and ready (offline: due by the game clock) is processed,
    // and frameStep runs after each. The least body processes nothing:
    // without a multiplayer layer no frame is ever due.
    void (*runDueGameFrames)(void (*frameStep)()) = [](void (*)()) {};
    // Moves the origin of the frame clock later by ms (a session's loading
    // time, so that its first step is due when the loading ends).
    void (*shiftClockOrigin)(int32_t ms) = [](int32_t) {};
    // Frames that are due but not processed yet (the steps still to come in
    // this pass, the one being processed not counted).
    int32_t (*framesWaiting)() = [] { return int32_t(0); };
    // Online: the step the race should have reached by the current game
    // frame (frames since the race's start frame, 0 before it).
    int32_t (*onlineDueStep)() = [] { return int32_t(0); };
    // The game votes of the multiplayer session: the decided vote and its
    // countdown, the blocked and host-vote-sent bytes, and each connection's
    // vote (0 none, 1 end, 2 restart, 3 qualify).
    void (*readVoteWords)(GameVoteWords& words) = [](GameVoteWords& words) { words = {}; };
    void (*writeVoteWords)(const GameVoteWords& words) = [](const GameVoteWords&) {};
    // The race requests the multiplayer layer carries out: 1 join, 2 enter
    // the pits, 3 spectate, 4 vote restart, 5 vote qualify, 6 vote end.
    void (*raceRequest)(int request) = [](int) {};

    // Skins: 1 when the helmet skin exists as a file.
    int (*helmetSkinExists)(const char* name) = [](const char*) { return 0; };

    RaceHooks();
};

// The installed hooks. Lives for the whole run; only SetRaceHooks writes it.
const RaceHooks& GetRaceHooks();
// Installs a whole set (start from GetRaceHooks() or RaceHooks{} and change
// what the caller provides).
void SetRaceHooks(const RaceHooks& hooks);

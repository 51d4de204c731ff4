// The root screen: the top of the screen chain after the entry screen. It
// shows the main menu, opens the menu screens as its children, loads and
// plays replays, handles the front end's keys, carries out a dedicated
// host's restart and ends the program when a quit was asked for.
#include <cstdio>
#include <cstring>

#include "app/services.h"
#include "core/services.h"
#include "devices/services.h"
#include "net/services.h"
#include "platform/window.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

struct RootScreen : Screen {
    int sessionRunning = 0;     // a replay session that this screen started runs
    int loadState = 0;          // 0 idle ... 7 start playback
    int multiplayerReplay = 0;  // 1 multiplayer replay, 0 single-player
    int setupAfterChild = 0;    // open the race setup screen when the child closes
    uint32_t restartTime = 0;   // game time of a pending host restart
    char replayName[128] = {};
    char progressText[64] = {};
};

RootStateRecord RootState;

namespace {

// Replay loading, one state per frame.
enum LoadState : int {
    LoadIdle = 0,
    LoadRequested = 1,
    LoadOpen = 2,
    LoadWorld = 3,
    LoadWaitChild = 4,
    LoadDecideScan = 5,
    LoadScan = 6,
    LoadStart = 7,
};

// The autocross site, which hot lapping never keeps loaded.
constexpr int AutocrossSite = 3;

void OpenChild(RootScreen* root, Screen* child) { OpenChildScreen(root, child); }

void CloseRootAction(Screen* root, int, int) { CloseScreen(root); }

void OnReplayWorldLoaded(RootScreen* root)
{
    if (root->multiplayerReplay)
        ReadMprStart(root);
    else
        SetUpRaceFromSpr(root);
    if (root->child != nullptr) {
        // The start block was refused with a dialog.
        CommandLine.replayOpenRequest = 0;
        root->loadState = LoadIdle;
        return;
    }
    root->loadState = LoadDecideScan;
    if (ProgramMode.graphicsOn && CountMissingSkins() > 0 && Settings.replaySkins != 0) {
        OpenChild(root, OpenSkinDownloadWindow(root));
        root->loadState = LoadWaitChild;
    }
}

void StartReplayPlayback(RootScreen* root)
{
    root->loadState = LoadIdle;
    SetSessionStartTime(GameTime.clockMs);
    if (root->multiplayerReplay) {
        SetMprMessageBlocking(Settings.mprMessageBlock);
        SetGameKind(2);
        CreateSession(root, 2, MprConnectionCount());
    } else {
        SetRacePhase(HostOptions.qualifyMinutes != 0 ? 2 : 1);
        SetGameKind(3);
        CreateSession(root, 2, 0);
    }
    root->sessionRunning = 1;
}

void StepReplayLoading(RootScreen* root)
{
    switch (root->loadState) {
    case LoadRequested: root->loadState = LoadOpen; break;
    case LoadOpen: {
        int opened = root->multiplayerReplay ? OpenMprPlayback(root, root->replayName)
                                             : OpenSprForPlayback(root, root->replayName, 1);
        if (!opened) {
            CommandLine.replayOpenRequest = 0;
            root->loadState = LoadIdle;
        } else if (IsWorldLoading()) {
            root->loadState = LoadWorld;
        } else {
            OnReplayWorldLoaded(root);
        }
        break;
    }
    case LoadWorld:
        if (LoadWorldStep())
            OnReplayWorldLoaded(root);
        break;
    case LoadWaitChild:
        if (root->child == nullptr)
            root->loadState = LoadDecideScan;
        break;
    case LoadDecideScan: root->loadState = ReplayFrameCount() > 0 ? LoadStart : LoadScan; break;
    case LoadScan:
        if (root->multiplayerReplay)
            MeasureMprLength();
        else
            MeasureSprLength();
        root->loadState = LoadStart;
        break;
    case LoadStart: StartReplayPlayback(root); break;
    default: break;
    }
}

void OnMenuResult(Screen* screen, int code, int)
{
    RootScreen* root = static_cast<RootScreen*>(screen);
    SetConnectionLimits(16, 12);
    switch (code) {
    case 6:
        if (CurrentWorld != nullptr && LoadedWorldSite() == AutocrossSite)
            UnloadWorld();
        RootState.hotLapMode = 1;
        [[fallthrough]];
    case 1:
        if (CurrentWorld != nullptr) {
            OpenChild(root, OpenRaceSetup(root));
        } else {
            OpenChild(root, OpenTrackScreen(root));
            root->setupAfterChild = 1;
        }
        break;
    case 2: OpenChild(root, OpenMultiplayerScreen(root)); break;
    case 3: OpenChild(root, OpenOptionsScreen(root, 0)); break;
    case 4: OpenChild(root, OpenReplayBrowser(root, OnSprReplayChosen, OnMprReplayChosen)); break;
    case 5: OpenChild(root, OpenTrainingScreen(root)); break;
    default: break;
    }
}

void DrawRootMenu(RootScreen* root)
{
    SelectColumnLayout(0);
    float y = DrawTitlePicture(0, 0, 0);
    const float rowHeight = CurrentColumnLayout.rowHeight;
    if (root->loadState != LoadIdle) {
        const char* text = root->loadState == LoadWorld  ? WorldProgressText()
                           : root->loadState == LoadScan ? "Calculating replay length"
                                                         : GetText(TX_3a_loadinfo);
        std::snprintf(root->progressText, sizeof root->progressText, "%s", text);
        AddMenuRow(nullptr, root->progressText, y, 0, nullptr, nullptr);
        return;
    }
    static constexpr struct {
        TextId text;
        int code;
    } MenuRows[] = {{TX_3g_tr_selct, 5}, {TX_3a_mpselect, 2}, {TX_3a_spselect, 1},
                    {TX_3a_hlselect, 6}, {TX_3g_repl_sel, 4}, {TX_3a_opselect, 3}};
    for (const auto& row : MenuRows) {
        AddMenuRow(root, GetText(row.text), y, row.code, OnMenuResult, nullptr);
        y += rowHeight;
    }
    AddBackButton(root, 0, [](Screen* screen, int, int) { CloseScreen(screen); }, GetText(TX_3a_exit_btn));
}

// A closed root is freed; with graphics the credits follow unless the
// program simply ends.
Screen* FreeClosedRoot(RootScreen* root)
{
    RootState.screen = nullptr;
    FreeWorld();
    Screen* parent = root->parent;
    bool credits = ProgramMode.graphicsOn && RootState.quitDecision != -1;
    delete root;
    return credits ? OpenCreditsScreen(parent) : nullptr;
}

// A quit seen while idle is called off when it returns somewhere (the
// entry screen); otherwise the program ends.
void DecideQuit()
{
    if (ProgramMode.quitState == 0)
        return;
    if (Shell.quitReturnTarget != 0) {
        RootState.quitDecision = 0;
        SetQuitState(0);
        Shell.quitReturnTarget = 0;
    } else {
        RootState.quitDecision = -1;
    }
}

// A host's restart: the guests are removed, a message says so, and after
// three seconds of game time the host starts again. Returns 1 while the
// restart holds the root.
int StepHostRestart(RootScreen* root)
{
    if (RootState.quitDecision == 4) {
        RemoveAllGuests();
        RootState.quitDecision = 2;
    }
    if (RootState.quitDecision == 2) {
        PrintMessage(GetText(TX_3q_hostrest), 14);
        RootState.quitDecision = 3;
        root->restartTime = GameTime.clockMs + 3000;
        return 1;
    }
    if (RootState.quitDecision == 3) {
        if (static_cast<int32_t>(GameTime.clockMs - root->restartTime) < 0)
            return 1;
        RootState.quitDecision = 0;
        SetStartMode(2);
        OpenChild(root, OpenMultiplayerScreen(root));
    }
    return 0;
}

// A replay handed over by another copy (or named by the replay check)
// starts loading in a copy started normally; the request is used up.
void OpenHandedOverReplay(RootScreen* root)
{
    if (CommandLine.replayOpenRequest == 0)
        return;
    if (ProgramMode.startMode == 1)
        RequestReplayLoad(root, CommandLine.replayToOpen, CommandLine.replayOpenRequest == 2);
    CommandLine.replayOpenRequest = 0;
}

// The root with no child and no session: a quit is decided, the race
// setup follows a track chosen for it, a host restart counts down, a host
// without graphics or a decided quit closes the root, and a handed-over
// replay starts. Returns 0 when the root's frame ends here.
int StepIdleRoot(RootScreen* root, bool childRan)
{
    DecideQuit();
    if (childRan && root->setupAfterChild) {
        root->setupAfterChild = 0;
        if (CurrentWorld != nullptr) {
            OpenChild(root, OpenRaceSetup(root));
            return 0;
        }
        RootState.hotLapMode = 0;
    }
    if (StepHostRestart(root))
        return 0;
    if (ProgramMode.dedicatedMode >= 2) {
        // A host without graphics ends on any decision but 0.
        if (RootState.quitDecision != 0)
            CloseScreen(root);
        return 0;
    }
    if (RootState.quitDecision == -1) {
        CloseScreen(root);
        return 0;
    }
    RootState.quitDecision = 0;
    OpenHandedOverReplay(root);
    return 1;
}

// The session of a replay that this screen started runs on until it ends.
void StepReplaySession(RootScreen* root)
{
    if (IsWorldLoading())
        LoadWorldStep();
    UpdateSession(CurrentSession);
    if (CurrentSession == nullptr) {
        ClearLayoutObjects();
        root->sessionRunning = 0;
    }
}

Screen* RootFrame(Screen* screen)
{
    RootScreen* root = static_cast<RootScreen*>(screen);
    if (!root->alive)
        return FreeClosedRoot(root);
    if (ProgramMode.startMode == 3)
        OpenChild(root, OpenMultiplayerScreen(root));
    if (IsInSimOpen())
        PollInSim();
    bool childRan = false;
    if (!root->sessionRunning && root->child != nullptr) {
        StepChildScreen(root);
        childRan = true;
    }
    if (root->child == nullptr && CurrentSession == nullptr && !StepIdleRoot(root, childRan))
        return root;
    StepReplayLoading(root);
    bool menuDrawn = false;
    if (root->child == nullptr && CurrentSession == nullptr && !DisplayPass.skipDrawing) {
        DrawRootMenu(root);
        menuDrawn = root->loadState == LoadIdle;
    }
    UpdateMusic(0);
    if (root->sessionRunning)
        StepReplaySession(root);
    DrawInSimButtons(root, (menuDrawn || (root->sessionRunning && root->child == nullptr)) ? 1 : 0);
    return root;
}

void RootKeyHandler(Screen* screen, int code)
{
    RootScreen* root = static_cast<RootScreen*>(screen);
    if (CurrentSession != nullptr) {
        HandleSessionKey(CurrentSession, code);
        return;
    }
    if (root->loadState != LoadIdle)
        return;
    switch (code) {
    case 27:
    case 'Q':
    case 'X': OpenConfirmDialog(root, CloseRootAction, GetText(TX_3a_exitprog), "", 0, 0, DialogYesNo); break;
    case 'H': SetMessageHistoryShown(!MessageHistoryShown); break;
    case 'T': AskCommandLine(root, nullptr); break;
    case 111:  // numeric-pad divide
    case 191:  // the "/" key
        AskCommandLine(root, "/");
        break;
    case 'O':
        if (InputState.shiftHeld)
            OpenChild(root, OpenOptionsScreen(root, 0));
        break;
    case 'N':
        if (InputState.shiftHeld)
            ToggleSound();
        break;
    case 'B':
        if (InputState.shiftHeld)
            ClearLocalButtons();
        break;
    case 'I':
        if (InputState.shiftHeld)
            ClearHostButtons();
        break;
    default: break;
    }
}

int RootMouseHandler(Screen* screen, MouseEvent* event)
{
    RootScreen* root = static_cast<RootScreen*>(screen);
    if (CurrentSession != nullptr)
        return HandleSessionMouse(CurrentSession, event);
    if (root->loadState != LoadIdle)
        return 0;
    return HandleScreenMouse(root, event);
}

void ChooseReplay(const char* name, int multiplayer)
{
    RootScreen* root = RootState.screen;
    if (root == nullptr)
        return;
    root->multiplayerReplay = multiplayer;
    std::snprintf(root->replayName, sizeof root->replayName, "%s", name);
    root->loadState = LoadRequested;
}

} // namespace

Screen* CreateRootScreen(Screen* parent)
{
    RootScreen* root = new RootScreen;
    RootState.screen = root;
    InitScreen(root, parent, RootFrame, RootKeyHandler, RootMouseHandler, "entry", 1);
    if (ProgramMode.graphicsOn && !Settings.startWindowed && !platform::IsMainWindowForeground())
        Shell.windowedRequest = 1;
    EditSettings([](SettingsRecord& settings) {
        settings.welcomeZ = 0;
        if (settings.plyName[0] == 0)
            std::snprintf(settings.plyName, sizeof settings.plyName, "unnamed");
    });
    SetRaceFlags(0xFFFFF, 0);
    SetCurrentScreen(root);
    if (ProgramMode.startMode == 2)  // a host starts with the track of its settings loaded
        LoadSiteNow(Settings.mapName, Settings.config, Settings.flip);
    if (ProgramMode.startMode == 4)
        RequestReplayLoad(root, CommandLine.replayToOpen, 0);
    else if (ProgramMode.startMode == 2 || ProgramMode.startMode == 3)
        OpenChild(root, OpenMultiplayerScreen(root));
    RunScript("autoexec");
    return root;
}

int IsRootIdle()
{
    RootScreen* root = RootState.screen;
    return root != nullptr && root->child == nullptr && root->loadState == LoadIdle && CurrentSession == nullptr;
}

void OpenRaceSetupFromRoot()
{
    if (IsRootIdle())
        OpenChild(RootState.screen, OpenRaceSetup(RootState.screen));
}

void RequestReplayLoad(RootScreen* root, const char* name, int multiplayer)
{
    if (root == nullptr || root->loadState != LoadIdle)
        return;
    root->multiplayerReplay = multiplayer ? 1 : 0;
    std::snprintf(root->replayName, sizeof root->replayName, "%s", name);
    root->loadState = LoadRequested;
}

void DrawTitleBar(Screen* screen, float x, float y, int highlighted)
{
    (void)x;
    (void)highlighted;
    char line[64];
    std::snprintf(line, sizeof line, GetText(TX_3h_s_coln_s), GetText(TX_3a_sel_plyr), Settings.plyName);
    AddMenuRow(screen, line, y, 0, [](Screen* owner, int, int) {
        if (owner->child == nullptr)
            OpenChildScreen(owner, OpenOptionsScreen(owner, 4));
    }, nullptr);
}

void OnSprReplayChosen(const char* name) { ChooseReplay(name, 0); }

void OnMprReplayChosen(const char* name) { ChooseReplay(name, 1); }

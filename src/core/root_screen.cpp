// The root screen: the top of the screen chain after the entry screen. It
// shows the main menu, opens the menu screens as its children, loads and
// plays replays, handles the front end's keys, carries out a dedicated
// host's restart and ends the program when a quit was asked for.
#include <cstdio>
#include <cstring>

#include "core/local.h"
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

RootScreen* RootScreenPointer = nullptr;
int QuitDecision = 0;
int HotLapMode = 0;

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

void CloseRootAction(Screen* root) { CloseScreen(root); }

void OnReplayWorldLoaded(RootScreen* root)
{
    if (root->multiplayerReplay)
        ReadMprStart(root);
    else
        SetUpRaceFromSpr(root);
    if (root->child != nullptr) {
        // The start block was refused with a dialog.
        ReplayOpenRequest = 0;
        root->loadState = LoadIdle;
        return;
    }
    root->loadState = LoadDecideScan;
    if (GraphicsOn && CountMissingSkins() > 0 && Settings.replaySkins != 0) {
        OpenChild(root, OpenSkinDownloadWindow(root));
        root->loadState = LoadWaitChild;
    }
}

void StartReplayPlayback(RootScreen* root)
{
    root->loadState = LoadIdle;
    SessionStartTime = GameClock;
    if (root->multiplayerReplay) {
        MprMessageBlocking = Settings.mprMessageBlock;
        GameKind = 2;
        CreateSession(root, 2, MprConnectionCount());
    } else {
        RacePhase = QualifyMinutes != 0 ? 2 : 1;
        GameKind = 3;
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
            ReplayOpenRequest = 0;
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

void OnMenuResult(Screen* screen, int code)
{
    RootScreen* root = static_cast<RootScreen*>(screen);
    CurrentConnectionLimit = 16;
    CurrentCarLimit = 12;
    switch (code) {
    case 6:
        if (CurrentWorld != nullptr && LoadedWorldSite() == AutocrossSite)
            UnloadWorld();
        HotLapMode = 1;
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
    DrawTitlePicture(0, 0, 0);
    if (root->loadState != LoadIdle) {
        const char* text = root->loadState == LoadWorld  ? WorldProgressText()
                           : root->loadState == LoadScan ? "Calculating replay length"
                                                         : GetText(TX_3a_loadinfo);
        std::snprintf(root->progressText, sizeof root->progressText, "%s", text);
        AddMenuRow(root, root->progressText, 0, nullptr);
        return;
    }
    AddMenuRow(root, GetText(TX_3g_tr_selct), 5, OnMenuResult);
    AddMenuRow(root, GetText(TX_3a_mpselect), 2, OnMenuResult);
    AddMenuRow(root, GetText(TX_3a_spselect), 1, OnMenuResult);
    AddMenuRow(root, GetText(TX_3a_hlselect), 6, OnMenuResult);
    AddMenuRow(root, GetText(TX_3g_repl_sel), 4, OnMenuResult);
    AddMenuRow(root, GetText(TX_3a_opselect), 3, OnMenuResult);
    AddBackButton(root, 0, [](Screen* screen, int) { CloseScreen(screen); }, GetText(TX_3a_exit_btn));
}

Screen* RootFrame(Screen* screen)
{
    RootScreen* root = static_cast<RootScreen*>(screen);
    // 1. Closed: free the root; with graphics the credits follow unless the
    //    program simply ends.
    if (!root->alive) {
        RootScreenPointer = nullptr;
        FreeWorld();
        Screen* parent = root->parent;
        bool credits = GraphicsOn && QuitDecision != -1;
        delete root;
        return credits ? OpenCreditsScreen(parent) : nullptr;
    }
    if (StartMode == 3)
        OpenChild(root, OpenMultiplayerScreen(root));
    if (IsInSimOpen())
        PollInSim();
    bool childRan = false;
    if (!root->sessionRunning && root->child != nullptr) {
        StepChildScreen(root);
        childRan = true;
    }
    if (root->child == nullptr && CurrentSession == nullptr) {
        if (QuitState != 0) {
            if (QuitReturnTarget != 0) {
                QuitDecision = 0;
                QuitState = 0;
                QuitReturnTarget = 0;
            } else {
                QuitDecision = -1;
            }
        }
        if (childRan && root->setupAfterChild) {
            root->setupAfterChild = 0;
            if (CurrentWorld != nullptr) {
                OpenChild(root, OpenRaceSetup(root));
                return root;
            }
            HotLapMode = 0;
        }
        if (QuitDecision == 4) {
            RemoveAllGuests();
            QuitDecision = 2;
        }
        if (QuitDecision == 2) {
            PrintMessage("Host will restart in 3 seconds", 14);
            QuitDecision = 3;
            root->restartTime = GameClock + 3000;
            return root;
        }
        if (QuitDecision == 3) {
            if (static_cast<int32_t>(GameClock - root->restartTime) < 0)
                return root;
            QuitDecision = 0;
            StartMode = 2;
            OpenChild(root, OpenMultiplayerScreen(root));
        }
        if (DedicatedMode >= 2) {
            if (QuitDecision == 0)
                return root;
            CloseScreen(root);
            return root;
        }
        if (QuitDecision == -1) {
            CloseScreen(root);
            return root;
        }
        QuitDecision = 0;
        if (ReplayOpenRequest != 0) {
            if (StartMode == 1)
                RequestReplayLoad(root, ReplayToOpen, ReplayOpenRequest == 2);
            ReplayOpenRequest = 0;
        }
    }
    StepReplayLoading(root);
    bool menuDrawn = false;
    if (root->child == nullptr && CurrentSession == nullptr && !SkipDrawing) {
        DrawRootMenu(root);
        menuDrawn = root->loadState == LoadIdle;
    }
    UpdateMusic(0);
    if (root->sessionRunning) {
        if (IsWorldLoading())
            LoadWorldStep();
        UpdateSession(CurrentSession);
        if (CurrentSession == nullptr) {
            ClearLayoutObjects();
            root->sessionRunning = 0;
        }
    }
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
    case 'X': OpenConfirmDialog(root, CloseRootAction, "", GetText(TX_3a_exitprog)); break;
    case 'H': MessageHistoryShown = !MessageHistoryShown; break;
    case 'T': AskCommandLine(root, nullptr); break;
    case 111:  // numeric-pad divide
    case 191:  // the "/" key
        AskCommandLine(root, "/");
        break;
    case 'O':
        if (ShiftHeld)
            OpenChild(root, OpenOptionsScreen(root, 0));
        break;
    case 'N':
        if (ShiftHeld)
            ToggleSound();
        break;
    case 'B':
        if (ShiftHeld)
            ClearLocalButtons();
        break;
    case 'I':
        if (ShiftHeld)
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
    RootScreen* root = RootScreenPointer;
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
    RootScreenPointer = root;
    InitScreen(root, parent, RootFrame, RootKeyHandler, RootMouseHandler, "entry", 1);
    if (GraphicsOn && !Settings.startWindowed && !platform::IsMainWindowForeground())
        WindowedRequest = 1;
    Settings.welcomeZ = 0;
    if (Settings.plyName[0] == 0)
        std::snprintf(Settings.plyName, sizeof Settings.plyName, "unnamed");
    SetRaceFlags(0xFFFFF, 0);
    SetCurrentScreen(root);
    if (StartMode == 2)  // a host starts with the track of its settings loaded
        LoadSiteNow(Settings.mapName, Settings.config, Settings.flip);
    if (StartMode == 4)
        RequestReplayLoad(root, ReplayToOpen, 0);
    else if (StartMode == 2 || StartMode == 3)
        OpenChild(root, OpenMultiplayerScreen(root));
    RunScript("autoexec");
    return root;
}

int IsRootIdle()
{
    RootScreen* root = RootScreenPointer;
    return root != nullptr && root->child == nullptr && root->loadState == LoadIdle && CurrentSession == nullptr;
}

void OpenRaceSetupFromRoot()
{
    if (IsRootIdle())
        OpenChild(RootScreenPointer, OpenRaceSetup(RootScreenPointer));
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
    (void)y;
    (void)highlighted;
    char line[64];
    std::snprintf(line, sizeof line, GetText(TX_3h_s_coln_s), GetText(TX_3a_sel_plyr), Settings.plyName);
    AddMenuRow(screen, line, 0, [](Screen* owner, int) {
        if (owner->child == nullptr)
            OpenChildScreen(owner, OpenOptionsScreen(owner, 4));
    });
}

void OnSprReplayChosen(const char* name) { ChooseReplay(name, 0); }

void OnMprReplayChosen(const char* name) { ChooseReplay(name, 1); }

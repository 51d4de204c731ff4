// The root screen: the top of the screen chain after the entry screen.
#pragma once

struct Screen;
struct RootScreen;

// What the root screen keeps between passes. Lives for the whole run;
// ResetAppTables sets it back.
struct RootStateRecord {
    RootScreen* screen = nullptr;  // the root screen; null before it exists and after it closed
    // 0 normal; -1 the program ends; 2, 3, 4 the steps of a host restart (4
    // removes the guests first); another value ends a host without graphics.
    int quitDecision = 0;
    int hotLapMode = 0;            // set when the user chose hot lapping
};
extern RootStateRecord RootState;

// Creates the root screen as the entry screen's successor.
Screen* CreateRootScreen(Screen* parent);
// 1 when the root exists with no child, no replay loading and no session.
int IsRootIdle();
// Opens the race setup screen as the root's child when the root is idle.
void OpenRaceSetupFromRoot();
// Asks the root to load a replay (only while no replay loads).
void RequestReplayLoad(RootScreen* root, const char* name, int multiplayer);
// The title button and the player-name line of the front-end screens.
void DrawTitleBar(Screen* screen, float x, float y, int highlighted);
// The replay browser's choices: a single-player or multiplayer replay.
void OnSprReplayChosen(const char* name);
void OnMprReplayChosen(const char* name);

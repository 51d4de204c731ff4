// What the program shell uses of the front-end screens: the options screen
// (options_screen.cpp), and those not built yet, whose temporary bodies
// (front_end_pending.cpp and front_texts_pending.cpp) draw the title
// picture, open no menu screen, and say so where an answer would claim work
// done.
#pragma once

struct MouseEvent;
struct Screen;

// The front end's title picture; returns the y below it, where the menu's
// rows begin.
// Pending: no front-end pictures yet (front_texts_pending.cpp): the title
// picture is drawn by the 2D layer, under the items, with the version line
// under it, and the rows begin at MenuRowsTop.
float DrawTitlePicture(int index, int type, int flag);
constexpr float MenuRowsTop = -0.1f;
constexpr float VersionLineY = 0.9f;

// The options screen: a column of tab buttons and one tab screen at a
// time; it opens on the tab of the "Options " setting (store a tab number
// there first to choose one). The argument is handed on to the Controls
// tab. Returns the screen; the caller makes it its child.
Screen* OpenOptionsScreen(Screen* parent, int argument);
// The number of the options tab now open; 0 while no options screen
// exists. Read-only outside the interface; lives for the whole run.
extern const int& ShownOptionsTab;
// The options tab numbers, as the "Options " setting keeps them; 8 names
// no tab.
enum OptionsTabNumber : int {
    OptionsTabNone = 0,
    OptionsTabAudio = 1,
    OptionsTabGraphics = 2,
    OptionsTabView = 3,
    OptionsTabDriver = 4,
    OptionsTabControls = 5,
    OptionsTabGame = 6,
    OptionsTabMisc = 7,
    OptionsTabDisplay = 9,
    OptionsTabScreen = 10,
};

// Front-end screens the root menu opens (null when none opened).
// Pending: none opens; each answers null.
Screen* OpenRaceSetup(Screen* parent);
Screen* OpenTrackScreen(Screen* parent);
Screen* OpenCreditsScreen(Screen* parent);
// Frees the loaded world and its graphics.
// Pending: no world is loaded; does nothing.
void UnloadWorld();
// Sound output off or on, with a message.
// Pending: no sound; does nothing.
void ToggleSound();
// After the graphics resources were rebuilt: the garage's preview car, the
// race setup's preview car and its drivers' skin marks, the track and
// car-choice screens' pictures and the options' driver preview load again.
// Pending: none of those screens exists; they do nothing.
void RefreshGarageView();
void ClearPlayerMarks();
void RefreshTrackScreenPictures();
void ReloadCarChoicePictures();
void RefreshDriverTabPreview();
// Reloads the setup and colour lists when the garage screen is open; a
// running copy calls it when another copy has copied a setup in.
// Pending: no garage screen; does nothing.
void ReloadGarageLists();
// The race setup's part in the votes: tries to start the race once the
// entry votes allow it.
// Pending: no race setup screen exists yet (race_setup_pending.cpp), so
// nothing starts.
void BeginSession();

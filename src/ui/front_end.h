// What the program shell uses of the menu widgets, text-field editing and
// the front-end screens. They are not built yet: the temporary bodies
// (front_end_pending.cpp and front_texts_pending.cpp) add the menu's rows
// in a fixed column, open no menu screen, and say so where an answer would
// claim work done.
#pragma once

struct MouseEvent;
struct Screen;

// Menu widgets: a menu row routing its code to the action, the bottom-left
// back button, and the front end's title picture (returns the y below it).
// Pending: no standard widgets yet (front_texts_pending.cpp): the rows are
// menu-row items of the display list placed one under another from
// MenuRowsTop in the menu's first column, with white captions; the back
// button is a bottom button in the back-button red at the bottom left;
// the title picture is drawn by the 2D layer, under the items, with the
// version line under it, and the title answers 0.
// The actions hear (owner, code, code) and (owner, value, value).
void AddMenuRow(Screen* owner, const char* text, int code, void (*action)(Screen* screen, int a, int b));
void AddBackButton(Screen* owner, int value, void (*action)(Screen* screen, int a, int b), const char* text);
float DrawTitlePicture(int index, int type, int flag);
// Where the pending menu rows are placed: the first row's top, the row
// height and the column (screen units).
constexpr float MenuRowsTop = -0.1f;
constexpr float MenuRowHeight = 0.06f;
constexpr float MenuRowLeft = -0.95f, MenuRowRight = -0.3f;
constexpr float VersionLineY = 0.9f;

// Opens the text-entry dialog for a text field and copies the accepted
// text back into its buffer.
// Pending: no text field editing; nothing opens, which the log says once.
void EditTextField(Screen* owner, int maxLength, char* buffer, const char* title, int entryType);

// Front-end screens the root menu opens (null when none opened).
// Pending: none opens; each answers null.
Screen* OpenOptionsScreen(Screen* parent, int tab);
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

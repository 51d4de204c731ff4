// What the program shell uses of the display list, dialogs, the input
// method and the front-end screens. They
// are not built yet: the temporary bodies (front_end_pending.cpp and
// front_texts_pending.cpp) draw the menu's texts without boxes, open no
// dialog or menu screen, and say so where an answer would claim work done.
#pragma once

struct MouseEvent;
struct Screen;

// The per-pass display list: cleared before the top screen's frame and
// drawn with the message list after it.
// Pending: no display list yet (front_texts_pending.cpp): Draw2DLayer draws
// the glyph queue, so that the texts queued in the pass reach the screen.
void ClearDisplayList();
void Draw2DLayer();
// Ends a slider drag; 1 when one was active.
// Pending: no sliders; answers 0.
int CancelDrag();
// The standard mouse handling over the display list.
// Pending: no display list; answers 0.
int HandleScreenMouse(Screen* screen, MouseEvent* event);
// Menu widgets: a menu row routing its code to the action, the bottom-left
// back button, and the front end's title picture (returns the y below it).
// Pending: no widgets yet (front_texts_pending.cpp): the rows' and the back
// button's texts are queued where the menu's first column puts them, one
// row under another from MenuRowsTop, without boxes and without clicks;
// the title picture is drawn above them with the version line, and the
// title answers 0.
void AddMenuRow(Screen* owner, const char* text, int code, void (*action)(Screen* screen, int code));
void AddBackButton(Screen* owner, int value, void (*action)(Screen* screen, int code), const char* text);
float DrawTitlePicture(int index, int type, int flag);
// Where the pending menu rows are placed: the first row's top, the row
// height and the column (screen units), their text height and colour.
constexpr float MenuRowsTop = -0.1f;
constexpr float MenuRowHeight = 0.06f;
constexpr float MenuRowLeft = -0.95f, MenuRowRight = -0.3f;
constexpr float MenuTextPart = 0.85f;  // of the row height
constexpr float VersionLineY = 0.9f;

// Dialogs: a confirmation whose accept button runs the action (nothing
// when the parent has a child); the chat and command line.
// Pending: no dialog opens.
void OpenConfirmDialog(Screen* parent, void (*accept)(Screen* parent), const char* title, const char* text);
void AskCommandLine(Screen* parent, const char* prefix);

// Input method.
// Pending: no composition; they do nothing (the keyboard layout change is
// taken as seen), and nothing is ever being composed (answers 0).
void UpdateComposition(const char* text);
void EndComposition();
void UpdateImeState();
void InsertStoredMessage(int messageKey);
int ImeComposing();

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

// Temporary bodies of the slider drag, mouse handling, dialogs, input
// method and front-end screens that the program shell calls, until the
// user interface is built: no dialog or menu screen opens and nothing
// composes.
#include "ui/local.h"

int CancelDrag() { return 0; }
int HandleScreenMouse(Screen*, MouseEvent*) { return 0; }
void OpenConfirmDialog(Screen*, void (*)(Screen*), const char*, const char*) {}
void AskCommandLine(Screen*, const char*) {}
void UpdateComposition(const char*) {}
void EndComposition() {}
void UpdateImeState() { SetKeyboardLayoutChanged(0); }
void InsertStoredMessage(int) {}
int ImeComposing() { return 0; }

Screen* OpenOptionsScreen(Screen*, int) { return nullptr; }
Screen* OpenRaceSetup(Screen*) { return nullptr; }
Screen* OpenTrackScreen(Screen*) { return nullptr; }
Screen* OpenCreditsScreen(Screen*) { return nullptr; }
void UnloadWorld() {}
void ToggleSound() {}
void RefreshGarageView() {}
void ClearPlayerMarks() {}
void RefreshTrackScreenPictures() {}
void ReloadCarChoicePictures() {}
void RefreshDriverTabPreview() {}
void ReloadGarageLists() {}

// Temporary bodies of the display list, message, dialog, input method and
// front-end screen services that the program shell calls, until the user
// interface is built: nothing is drawn, no dialog or menu screen opens, and
// settings of the interface keep their defaults.
#include "ui/services.h"

int MessageHistoryShown = 0;
float MessageAreaTop = -1.0f;

int CancelDrag() { return 0; }
int HandleScreenMouse(Screen*, MouseEvent*) { return 0; }
void RetireAllMessages() {}
void OpenConfirmDialog(Screen*, void (*)(Screen*), const char*, const char*) {}
void AskCommandLine(Screen*, const char*) {}
void UpdateComposition(const char*) {}
void EndComposition() {}
void UpdateImeState() { KeyboardLayoutChanged = 0; }
void InsertStoredMessage(int) {}
int ImeComposing() { return 0; }
void RefreshGarageView() {}
void ClearPlayerMarks() {}
void RefreshTrackScreenPictures() {}
void ReloadCarChoicePictures() {}
void RefreshDriverTabPreview() {}
void LoadInterfaceConfig() {}
int SaveInterfaceConfig() { return 1; }
Screen* OpenOptionsScreen(Screen*, int) { return nullptr; }
Screen* OpenRaceSetup(Screen*) { return nullptr; }
Screen* OpenTrackScreen(Screen*) { return nullptr; }
Screen* OpenCreditsScreen(Screen*) { return nullptr; }
void UnloadWorld() {}
void ToggleSound() {}

// Temporary: the on-screen message list is not built yet; notices go to the
// debug log, and the network-message switch is off.
void PrintNotice(const char* text) { LogLine(text); }
void PrintNetDebugMessage(const char*, int) {}

// Temporary bodies of the text dialogs, input method, interface settings
// file and front-end screens that the program shell calls, until the user
// interface is built: no text dialog or menu screen opens, nothing
// composes, and the settings file is neither read nor written (which the
// text dialogs, the load and the save say once).
#include "ui/local.h"

Screen* OpenTextEntry(Screen* screen, void (*)(Screen*, const char*, int), const char*, int, int, const char*, int,
                      int, const char*)
{
    LogNotAvailableOnce(MutableUi.textEntryNoted, "OpenTextEntry");
    return screen;
}

void EditTextField(Screen*, int, char*, const char*, int)
{
    LogNotAvailableOnce(MutableUi.editFieldNoted, "EditTextField");
}

void AskCommandLine(Screen*, const char*) {}
void UpdateComposition(const char*) {}
void EndComposition() {}
void UpdateImeState() { SetKeyboardLayoutChanged(0); }
void InsertStoredMessage(int) {}
int ImeComposing() { return 0; }

void LoadInterfaceConfig() { LogNotAvailableOnce(MutableUi.loadInterfaceNoted, "LoadInterfaceConfig"); }

int SaveInterfaceConfig()
{
    LogNotAvailableOnce(MutableUi.saveInterfaceNoted, "SaveInterfaceConfig");
    return 0;
}

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

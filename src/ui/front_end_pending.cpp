// Temporary bodies of the slider drag, mouse handling, the confirmation
// dialog, interface settings file and front-end screens that the program
// shell calls, until the user interface is built: no confirmation or menu
// screen opens, and the settings file is neither read nor written (which the
// load and save say once).
#include "ui/local.h"

int CancelDrag() { return 0; }
int HandleScreenMouse(Screen*, MouseEvent*) { return 0; }
void OpenConfirmDialog(Screen*, void (*)(Screen*), const char*, const char*) {}

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

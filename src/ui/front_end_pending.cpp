// Temporary bodies of the text-field editing, interface settings file and
// front-end screens that the program shell calls, until the user interface
// is built: no menu screen opens, and the settings file is neither read nor
// written (which the field editing, the load and the save say once).
#include "ui/local.h"

void EditTextField(Screen*, int, char*, const char*, int)
{
    LogNotAvailableOnce(MutableUi.editFieldNoted, "EditTextField");
}

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

// Temporary bodies of the text-field editing and the front-end screens that
// the program shell calls, until the user interface is built: no menu
// screen opens, and the field editing says once that it is not available.
#include "ui/local.h"

void EditTextField(Screen*, int, char*, const char*, int)
{
    LogNotAvailableOnce(MutableUi.editFieldNoted, "EditTextField");
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

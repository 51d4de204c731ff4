// The one reset of this subsystem's tables.
#include "session/services.h"

void ResetSessionTables()
{
    if (CurrentRace) {
        RemoveAllPlayers(*CurrentRace);
        delete CurrentRace;
        CurrentRace = nullptr;
    }
    RaceLengthSetting = 5;
    for (DriverNameEntry& entry : DriverNameTable)
        entry = {};
    for (char* text : MessageKeyTable)
        CopyFixedString(text, "", MessageKeyLength);
    LessonWatchedCar = nullptr;
}

// Temporary body of what choosing a player's car needs from a part not
// built yet: the chosen colour file is not read, so the car data's own
// colours are used.
#include "session/local.h"
#include "world/services.h"

int LoadChosenCarColours(ColourConfig&, const char*, const char*)
{
    LogNotAvailableOnce(MutableSession.colourFileNoted, "LoadChosenCarColours");
    return 0;
}

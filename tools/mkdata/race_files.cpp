// The AI drivers' names "data\misc\drv.nam" and the function keys' messages
// "data\misc\fkeys.msg": their default tables, written through the game's
// own writers and read back through its readers.
#include <cstring>

#include "builder.h"
#include "session/services.h"

int BuildRaceFiles()
{
    SetDefaultDriverNames();
    DriverNameEntry names[DriverNameCount];
    std::memcpy(names, DriverNameTable, sizeof names);
    if (!SaveDriverNames())
        return BuilderFail("Could not save the AI names : %s", DriverNamesPath);

    SetDefaultMessageKeys();
    char keys[MessageKeyCount][MessageKeyLength];
    std::memcpy(keys, MessageKeyTable, sizeof keys);
    if (!SaveMessageKeys())
        return BuilderFail("Could not save the message keys : %s", MessageKeysPath);

    // Read back over emptied tables: what loads must be what was written.
    ResetSessionTables();
    LoadDriverNames();
    LoadMessageKeys();
    if (std::memcmp(names, DriverNameTable, sizeof names) != 0)
        return BuilderFail("The AI names read back differ : %s", DriverNamesPath);
    if (std::memcmp(keys, MessageKeyTable, sizeof keys) != 0)
        return BuilderFail("The message keys read back differ : %s", MessageKeysPath);
    return 1;
}

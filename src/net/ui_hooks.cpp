// What the multiplayer layer gives the message list: the name of the
// participant on each connection, for the chat lines they send.
#include "net/services.h"
#include "ui/services.h"

void InstallNetUiHooks()
{
    MessageHooks hooks = GetMessageHooks();
    hooks.connectionName = [](int connection) -> const char* {
        if (connection < 0 || connection >= MaxConnections)
            return nullptr;
        return ConnectionTable.connections[connection].name;
    };
    SetMessageHooks(hooks);
}

// Temporary bodies of the link layer until the network link is built: no
// socket is ever opened, so the link table stays empty, and a send says
// that nothing was sent.
#include "net/local.h"

ClientLinkTableRecord ClientLinkTable;

void FreeClientLink(ClientLink& link, int)
{
    link.open = 0;
}

int SendOnLink(int, const uint8_t*, int)
{
    LogNotAvailableOnce(MutableNet.sendOnLinkNoted, "SendOnLink");
    return 0;
}

int SendImmediatePacket(int, const uint8_t*, int)
{
    LogNotAvailableOnce(MutableNet.sendImmediateNoted, "SendImmediatePacket");
    return 0;
}

void CloseAllLinks()
{
    for (int i = 0; i < ClientLinkTable.linkCount; ++i)
        FreeClientLink(ClientLinkTable.links[i], 1);
    ClientLinkTable = ClientLinkTableRecord{};
}

void StopNetwork() {}
void PollClientLinks() {}
void PollGameUdp() {}
void SendUdpPathTest(int) {}

// The watchdogs that decide when a participant is dropped: the host watches
// every guest link, a guest watches its link to the host. A dropped guest's
// departure is announced to everyone and processed as game packet 63, so
// that every computer removes it in the same frame.
#include <cstdio>

#include "net/local.h"
#include "ui/services.h"

namespace {

// The host drops a guest that sent nothing for this many frames, a guest
// its host after twice as many.
constexpr uint32_t GuestSilenceFrames = 1000;
constexpr uint32_t HostSilenceFrames = 2000;
// A guest asks again this many times after its first synchronisation failed.
constexpr int MaxJoinRetries = 2;
// The guest's join stages the host watchdog tells apart.
enum : int { JoinStageConnecting = 1, JoinStageFirstSync = 2, JoinStageSynchronising = 3 };
// The standard colour of a plain departure.
constexpr int ColourGrey = 8;

// A joiner's link failed while it was being admitted.
// Returns true when the join was cancelled (the link is gone).
bool OnJoinerFatal()
{
    switch (SessionFlags.joinState) {
    case JoinNone:
        ReportNet(ColourLightRed, "UNEXPECTED : Joiner Fatal Error while JS_NONE");
        return false;
    case JoinProtected:
        ReportNet(ColourLightRed, "Joiner Fatal Error while JS_PROTECTED");
        MutableSessionFlags.joinState = JoinError;
        return false;
    case JoinError:
        return false;
    default:
        ReportNet(ColourLightRed, "Joiner Fatal Error");
        CancelJoin();
        return true;
    }
}

// Announces the departure of connection c, whose link i failed, to everyone.
void AnnounceDeparture(int i, int c, int reason)
{
    Connection& leaver = MutableConnectionTable.connections[c];
    LeaveMessage(c, reason);
    const uint8_t leave[4] = {25, leaver.ucid, static_cast<uint8_t>(reason), 0};
    for (int k = 0; k < AdmittedLinkCount(); ++k) {
        if (k != i)
            SendImmediatePacket(k, leave, sizeof leave);
    }
    leaver.leaving = 1;
    leaver.kickState = KickLeaving;
    const uint8_t packet[4] = {GpConnectionLeaves, leaver.ucid, static_cast<uint8_t>(reason), 0};
    QueueGamePacket(packet, sizeof packet);
}

} // namespace

void LeaveMessage(int c, int reason)
{
    Connection& leaver = MutableConnectionTable.connections[c];
    leaver.leaveReason = static_cast<uint8_t>(reason);
    TextId text;
    int colour = ColourLightRed;
    switch (reason) {
    case LeaveTimedOut:
        text = TX_3a_x_tmdout;
        break;
    case LeaveLostConnection:
        text = TX_3a_lostcn_x;
        break;
    case LeaveKicked:
        text = TX_3g_x_kicked;
        break;
    case LeaveBanned:
        text = TX_3g_x_banned;
        break;
    case LeaveSyncLate:
        return;
    default:
        text = TX_3a_x_discon;
        colour = ColourGrey;
        break;
    }
    char line[128];
    std::snprintf(line, sizeof line, GetText(text), PrepareColourText(leaver.name));
    PrintMessage(line, colour);
}

void CheckGuestLinks()
{
    if (FrameClock.sessionState != SessionRunning || FrameClock.hostLost)
        return;
    int i = 0;
    while (i < ClientLinkTable.linkCount) {
        ClientLink& link = ClientLinkTable.links[i];
        int reason = LeaveLostConnection;
        const int c = link.connection;
        if (c < ConnectionTable.count) {
            const Connection& guest = ConnectionTable.connections[c];
            if (FrameClock.sentFrames > guest.ring.framesReceived + GuestSilenceFrames && link.open && !link.fatal) {
                DropClientLink(link);
                reason = LeaveTimedOut;
            }
            if (guest.kickState && !SessionFlags.guestConnecting) {
                if (!link.fatal)
                    DropClientLink(link);
                const int kick = guest.kickState;
                reason = kick >= KickKicked && kick <= KickSyncLate ? kick : int{LeaveDisconnected};
            }
        }
        if (link.fatal) {
            if (c == ConnectionTable.count) {
                if (OnJoinerFatal())
                    continue;  // the link at i is gone; look at i again
            } else if (c < ConnectionTable.count && !ConnectionTable.connections[c].leaving) {
                AnnounceDeparture(i, c, reason);
            }
        }
        ++i;
    }
}

void CheckHostLink()
{
    if (FrameClock.sessionState != SessionRunning || FrameClock.hostLost || ClientLinkTable.linkCount != 1)
        return;
    ClientLink& link = ClientLinkTable.links[0];
    if (FrameClock.sentFrames > ConnectionTable.connections[0].ring.framesReceived + HostSilenceFrames &&
        link.open && !link.fatal)
        DropClientLink(link);
    if (!link.fatal)
        return;
    switch (SessionFlags.guestJoinStage) {
    case JoinStageConnecting:
        break;
    case JoinStageFirstSync:
        PrintNotice(GetText(TX_3g_notisync));
        if (SessionFlags.joinRetries < MaxJoinRetries) {
            ++MutableSessionFlags.joinRetries;
            RequestJoinRetry();
        }
        break;
    case JoinStageSynchronising:
        PrintError(GetText(TX_3g_lostsync));
        break;
    default:
        PrintError(GetText(TX_3a_losthost));
        break;
    }
    MutableFrameClock.hostLost = 1;
}

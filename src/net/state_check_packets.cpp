// The state check's game packets: the host's request with its seed, on
// which every computer builds its race-settings block, and the guests'
// reports, which the host compares with its own block.
#include <cstdio>
#include <cstring>

#include "net/local.h"
#include "session/services.h"
#include "ui/services.h"

namespace {

// A guest that never matched gets its race states sent again this often
// when only the race-state value differs.
constexpr int MaxResyncs = 5;
// The glyph that marks the host's synchronisation lines.
constexpr char SyncMark = static_cast<char>(155);
// Bits of the word reported with "OOS" to the master server.
constexpr uint32_t OosVersionZ = 0x40000000;
constexpr uint32_t OosInRaceSetup = 0x20000000;
constexpr uint32_t OosNeverInSync = 0x10000000;
// Leave codes of message packet 43 for the removed guest itself.
constexpr uint8_t LeaveCodeNeverInSync = 2;
constexpr uint8_t LeaveCodeWasInSync = 3;
// Message packet 43: type, leave code, dialog flag, code page, 64 bytes of text.
constexpr uint8_t MessagePacket = 43;
constexpr int MessagePacketSize = 68;
constexpr int MessageTextSize = 64;

bool OnlyRaceStateDiffers(const uint8_t* ours, const uint8_t* theirs)
{
    for (int i = RsFrame; i < RsMain; ++i) {
        if ((ours[i] != theirs[i]) != (i == RsRaceState))
            return false;
    }
    return true;
}

// The host drops guest c whose state differs, tells the master server and
// every guest; c itself learns why through its leave code.
void DropOutOfSync(int c, const char* list)
{
    Connection& guest = MutableConnectionTable.connections[c];
    const int link = FindClient(c, nullptr);
    if (IsHostOnMaster() && guest.masterToken) {
        uint32_t word = static_cast<uint32_t>(guest.masterToken);
        if (link >= 0 && ClientLinkTable.links[link].versionLetter == 'Z')
            word |= OosVersionZ;
        if (GameKind == 1)
            word |= OosInRaceSetup;
        if (!guest.inSync)
            word |= OosNeverInSync;
        ReportToMaster("OOS", static_cast<int32_t>(word));
    }
    guest.kickState = KickSyncLate;
    char line[MessageTextSize];
    std::snprintf(line, sizeof line, guest.inSync ? "%c %s^1 : OOS -%s" : "%c %s^1 : JOOS -%s", SyncMark,
                  guest.name, list);
    PrintMessage(line, ColourLightGrey);
    uint8_t message[MessagePacketSize] = {MessagePacket};
    CopyFixedString(reinterpret_cast<char*>(message + 4), line, MessageTextSize);
    for (int i = 0; i < AdmittedLinkCount(); ++i) {
        message[1] = i == link ? (guest.inSync ? LeaveCodeWasInSync : LeaveCodeNeverInSync) : 0;
        SendImmediatePacket(i, message, sizeof message);
    }
}

} // namespace

void HandleStateCheckPacket(int, const uint8_t* packet, int)
{
    const uint32_t seed = ReadPacketLong(packet + 4);
    if (MultiplayerMode.host)
        MutableStateCheck.checkFrame = FrameClock.processedFrame;
    BuildRaceSettings(seed);
}

void HandleStateReportPacket(int c, const uint8_t* packet, int)
{
    if (!MultiplayerMode.host || MultiplayerReplayPlaying)
        return;
    Connection& guest = MutableConnectionTable.connections[c];
    if (!guest.checkPending) {
        char line[96];
        std::snprintf(line, sizeof line, "%s^8 - Unexpected Sync Reply", guest.name);
        PrintMessage(line, ColourLightRed);
        return;
    }
    guest.checkPending = 0;
    const uint8_t* ours = StateCheck.ownBlock;
    if (ours[0] == 0 || FrameClock.processedFrame <= StateCheck.startFrame || StateCheck.suppressed || c == 0)
        return;
    char list[128];
    if (ListRaceSettingsMismatches(ours, packet, list, sizeof list) == 0) {
        guest.inSync = 1;
        return;
    }
    if (!guest.inSync && OnlyRaceStateDiffers(ours, packet) && guest.resyncCount < MaxResyncs) {
        ++guest.resyncCount;
        ReportNet(ColourLightGrey, "JOOS : Resync RES (%d)", guest.resyncCount);
        SendRaceStates(FindClient(c, nullptr));
        PostponeStateCheck();
        return;
    }
    DropOutOfSync(c, list);
}

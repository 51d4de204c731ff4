// A player's car information (game packet 5): the car block is deciphered
// into the player's slot and the car loaded, or in a running race put into
// the session; the host drops a guest whose car is unknown or not allowed.
#include <cstdio>
#include <cstring>

#include "net/local.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

namespace {

// A car that joins this soon after the start of a race (10 ms steps after
// the lights) is sent out of it again.
constexpr uint32_t LateJoinSteps = 1200;
// Race control [17][9][player id][0]: the player leaves the race without a
// message.
constexpr uint8_t RaceControlLeave = 9;

const char* CarNameOf(const uint8_t* packet)
{
    return reinterpret_cast<const char*>(packet + JoinRecordBlockOffset + offsetof(PlayerCarBlock, carName));
}

// The record's car block into the slot, the skin name made safe for a path.
void InstallCarBlock(RacePlayer& slot, const uint8_t* packet)
{
    JoinRecord record;
    std::memcpy(record.bytes, packet, JoinRecordSize);
    SetPlayerFromJoinRecord(slot, record);
    SanitiseSkinName(slot.carBlock.colours.name, sizeof slot.carBlock.colours.name);
}

void ShowPlayerLine(const char* format, const RacePlayer& slot, const char* extra = "")
{
    char text[128];
    std::snprintf(text, sizeof text, format, PrepareColourText(slot.descriptor.name));
    std::strncat(text, extra, sizeof text - std::strlen(text) - 1);
    PrintMessage(text, ColourLightGrey);
}

// Steps since the lights went out; negative during the countdown.
int64_t RaceTimeSteps(const Race& race)
{
    return int64_t(race.stepCounter) - int64_t(100) * race.startCountdown;
}

// A running race: a slot without a car takes the block and its car joins
// the session; a car that joins within the race's first seconds is sent
// out again by the host. 1 when the slot took the block.
int JoinRunningRace(RacePlayer& slot, const uint8_t* packet)
{
    if (slot.car) {
        ShowPlayerLine(GetText(TX_3a_x_alredy), slot);
        return 0;
    }
    InstallCarBlock(slot, packet);
    if (CurrentSession)
        AddCarToSession(slot);
    else
        LoadPlayerCar(slot);
    char carName[CarFullNameSize + 4] = "";
    if (slot.car)
        std::snprintf(carName, sizeof carName, " (%s)", slot.carBlock.carName);
    ShowPlayerLine(GetText(TX_3a_x_lftpot), slot, carName);
    if (IsHostingLive() && IsRaceSession() && CurrentRace && RaceTimeSteps(*CurrentRace) < int64_t(LateJoinSteps)) {
        const uint8_t leave[4] = {GpRaceControl, RaceControlLeave, slot.descriptor.playerId, 0};
        QueueGamePacket(leave, sizeof leave);
        SendGameBundle(1);
    }
    return 1;
}

// A local or AI player whose new set-up does not suit the loaded track is
// warned.
void WarnOfUnsuitedTyres(const RacePlayer& slot)
{
    const PlayerDescriptor& d = slot.descriptor;
    if (!CurrentWorld || IsWorldLoading(*CurrentWorld) || (d.type != PlayerLocal && d.type != PlayerAi))
        return;
    ShowTyreWarning(CheckSetupTyres(slot.carBlock.setup, IsMostlyOffRoad(*CurrentWorld)));
}

// The host drops a guest whose car is not in the car table or not among
// the allowed cars. (The comparison of the check value with the built-in
// data of the cars that carry one waits for the link's check seed, which
// the handshake does not give yet.)
void CheckGuestCar(int c, int carIndex)
{
    if (!IsHostingLive() || c <= 0 || c >= ConnectionTable.count || FindClient(c, "CAR INFO") < 0)
        return;
    if (carIndex >= 0 && (RaceOptions.allowedCars >> carIndex & 1))
        return;
    PrintMessage(GetText(TX_3a_unkcdisc), ColourLightGrey);
    MutableConnectionTable.connections[c].kickState = KickKicked;
}

} // namespace

void ApplyCarInfo(RacePlayer& slot, const uint8_t* packet, int c)
{
    slot.state &= static_cast<uint8_t>(~1u);
    const int carIndex = FindCarByName(CarNameOf(packet));
    // Every computer refuses a car it does not know, so that all of them
    // keep the same slots; the host also drops its sender.
    int installed = 0;
    if (carIndex < 0) {
        ReportLine(ColourLightRed, "Unknown car refused : %s", CarNameOf(packet));
    } else if (GameKind == 1) {
        InstallCarBlock(slot, packet);
        LoadPlayerCar(slot);
        installed = 1;
    } else if (GameKind == 2) {
        installed = JoinRunningRace(slot, packet);
    }
    if (installed)
        WarnOfUnsuitedTyres(slot);
    CheckGuestCar(c, carIndex);
}

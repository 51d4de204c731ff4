// Game packets of players and cars: joins, car blocks, renames, figures and
// helmets, player flags, the driving side, the grid order, leaving the race,
// driver swaps and the car events the owner's computer detects. Every
// computer applies them in the same frame, so every field that reaches a
// name, a car or a table is checked here the same way everywhere.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "net/local.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

namespace {

// Where a player descriptor and a car block start in their packets.
constexpr int JoinDescriptorAt = 4;
// The last bytes of the car name and the skin name in the car information
// packet, set to zero before it is used.
constexpr int CarInfoCarNameEnd = JoinRecordBlockOffset + offsetof(PlayerCarBlock, carName) + CarFullNameSize - 1;
constexpr int CarInfoSkinNameEnd =
    JoinRecordBlockOffset + offsetof(PlayerCarBlock, colours) + sizeof(ColourConfig::name) - 1;
static_assert(CarInfoCarNameEnd == 43 && CarInfoSkinNameEnd == 59);
// Packet 6: take-over flag, then the new name (24) and plate (8).
constexpr int RenameNameAt = 4;
constexpr int RenamePlateAt = RenameNameAt + PlayerNameSize;
// Packet 15: count, then one player id per grid place.
constexpr int OrderIdsAt = 4;
// Packet 55: helmet-skin-exists word, then the helmet skin name.
constexpr int HelmetExistsAt = 4;
constexpr int HelmetNameAt = 8;
// Packet 56: the four pit strategy bytes.
constexpr int PitPlanAt = 4;
constexpr int PitPlanLimit = 100;
// Packet 57: the impact entry (point, strength, packed direction).
constexpr int ImpactEntryAt = 4;
// Packet 73: the car message text.
constexpr int CarMessageAt = 4;
// Player flags that a player chooses (packet 26); the others stay.
constexpr uint16_t PlayerOptionBits = 0x22D8;
// Horn and flash states a car keeps.
constexpr int MaxHornState = 5;
constexpr int MaxFlashState = 1;
// Packet 70: bit 7 sets the flag bits of the low four bits, else clears
// them (and the upper four bits with them).
constexpr uint8_t CarFlagsSet = 0x80;
constexpr uint8_t CarFlagsMask = 0x0F;
// Packet 71: take-over kinds.
enum : uint8_t { TakeOverCancel = 0, TakeOverAsk = 1, TakeOverOffer = 2 };
// The car's mark that its driver changed hands.
constexpr uint8_t TakeOverControlChange = 4;

bool IsOwnSide(int c) { return c == ConnectionTable.ownIndex; }

// The sender's player: the player of its connection whose name is the
// connection's driver name.
RacePlayer* FindSenderPlayer(int c)
{
    return CurrentRace ? FindPlayerOfConnection(*CurrentRace, c) : nullptr;
}

// "his", "her" or "" by the gender of the figure; the notice forms of the
// packets name the gender when the figure has one.
int FigureGender(int figure)
{
    if (figure < 0 || figure >= static_cast<int>(Humans.variants.size()))
        return -1;
    return Humans.variants[static_cast<size_t>(figure)].skeletonSet == 1 ? 1 : 0;
}

void Notice(const char* format, const char* a, const char* b = "") __attribute__((format(printf, 1, 0)));
void Notice(const char* format, const char* a, const char* b)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b);
    PrintNotice(text);
}

// --- Wear, joins and car blocks.

void HandleWearRecord(const uint8_t* packet)
{
    CarObject* car = FindPacketCar(packet[1]);
    if (!car || !car->net.remote)
        return;
    DamageRecord record;
    std::memcpy(record.bytes, packet, DamageRecordSize);
    ApplyDamageRecord(*car, record);
}

void HandlePlayerJoins(const uint8_t* packet)
{
    PostponeStateCheck();
    PlayerDescriptor descriptor;
    std::memcpy(&descriptor, packet + JoinDescriptorAt, sizeof descriptor);
    TerminatePlayerTexts(descriptor);
    SanitiseSkinName(descriptor.helmetSkin, sizeof descriptor.helmetSkin);
    if (descriptor.connection >= ConnectionTable.count || !CurrentRace)
        return;
    if (GameKind == 2) {
        StopSessionRecordingIfAny();
        AddPlayerFromRecord(*CurrentRace, descriptor);
        return;
    }
    UpdatePlayerInfo(*CurrentRace, descriptor);
}

void HandleCarInfo(int c, const uint8_t* packet)
{
    PostponeStateCheck();
    RacePlayer* slot = FindPacketPlayer(packet[1]);
    if (!slot) {
        ReportLine(ColourLightRed, "Could not add car info - unknown id");
        return;
    }
    uint8_t record[JoinRecordSize];
    std::memcpy(record, packet, JoinRecordSize);
    record[CarInfoCarNameEnd] = 0;
    record[CarInfoSkinNameEnd] = 0;
    ApplyCarInfo(*slot, record, c);
}

// --- Names, figures, helmets and flags.

// The sender's own computer refuses a name another connection's driver
// has and puts its name setting back; the others ignore the packet.
void RefuseNameInUse(int c)
{
    if (!IsOwnSide(c))
        return;
    ReportLine(ColourLightRed, "Can't have the same name as another driver");
}

void HandleRename(int c, const uint8_t* packet)
{
    PostponeStateCheck();
    char name[PlayerNameSize];
    std::memcpy(name, packet + RenameNameAt, sizeof name);
    name[PlayerNameSize - 1] = 0;
    char plate[NumberPlateSize];
    std::memcpy(plate, packet + RenamePlateAt, sizeof plate);
    if (CurrentRace && IsNameInUse(*CurrentRace, name, c)) {
        RefuseNameInUse(c);
        return;
    }
    Connection& connection = MutableConnectionTable.connections[c];
    RacePlayer* slot = FindSenderPlayer(c);
    const bool nameChanged = std::strcmp(name, connection.name) != 0;
    const bool plateChanged = slot && std::memcmp(plate, slot->descriptor.plate, sizeof plate) != 0;
    if (nameChanged) {
        if (packet[1])
            Notice("%s^8 took over from %s", name, connection.name);
        else
            Notice("%s^8 renamed to %s", connection.name, name);
    }
    if (!nameChanged && !plateChanged)
        return;
    CopyFixedString(connection.name, name, sizeof connection.name);
    if (!slot)
        return;
    std::memcpy(slot->descriptor.name, name, sizeof name);
    std::memcpy(slot->descriptor.plate, plate, sizeof plate);
    if (plateChanged && slot->car)
        std::memcpy(slot->car->data.plateText, plate, sizeof slot->car->data.plateText);
}

void HandleDriverAnimation(const uint8_t* packet)
{
    RacePlayer* slot = FindPacketPlayer(packet[1]);
    if (!slot)
        return;
    slot->descriptor.figure = packet[2];
    if (slot->car) {
        slot->car->data.driverAnimation = packet[2];
        UpdateDriverAnimations(*slot->car);
    }
}

void HandleDrivingSide(int c, const uint8_t* packet)
{
    RacePlayer* slot = FindSenderPlayer(c);
    if (!slot)
        return;
    if (slot->car) {
        if (IsOwnSide(c))
            ReportLine(ColourLightRed, "Can't %s - car is on the track", "swap side");
        return;
    }
    slot->descriptor.flags = static_cast<uint16_t>((slot->descriptor.flags & ~1u) | (packet[1] & 1u));
}

void HandlePlayerFlags(const uint8_t* packet)
{
    RacePlayer* slot = FindPacketPlayer(packet[1]);
    if (!slot)
        return;
    const uint16_t chosen = ReadPacketShort(packet + 2) & PlayerOptionBits;
    slot->descriptor.flags = static_cast<uint16_t>((slot->descriptor.flags & ~PlayerOptionBits) | chosen);
    if (slot->car)
        ApplyPlayerAids(*slot->car, slot->descriptor.flags);
}

void HandleHelmetSkin(const uint8_t* packet)
{
    RacePlayer* slot = FindPacketPlayer(packet[1]);
    if (!slot)
        return;
    slot->descriptor.helmetExists = static_cast<int32_t>(ReadPacketLong(packet + HelmetExistsAt));
    std::memcpy(slot->descriptor.helmetSkin, packet + HelmetNameAt, HelmetSkinSize);
    SanitiseSkinName(slot->descriptor.helmetSkin, HelmetSkinSize);
    if (slot->car)
        slot->car->net.helmetReload = 1;
}

void HandlePitPlan(const uint8_t* packet)
{
    RacePlayer* slot = FindPacketPlayer(packet[1]);
    if (!slot)
        return;
    for (int i = 0; i < 4; ++i)
        slot->descriptor.pitStrategy[i] = static_cast<uint8_t>(std::min<int>(packet[PitPlanAt + i], PitPlanLimit));
}

// --- The grid order and leaving.

// Moves each found player, in the packet's order, to the next grid place by
// exchanging whole slots; unknown ids take no place. The count is the
// packet's, at most the ids it holds.
void HandlePlayerOrder(int c, const uint8_t* packet)
{
    if (!IsAdminConnection(c) || !CurrentRace)
        return;
    Race& race = *CurrentRace;
    const int count = std::min<int>(packet[1], MaxRacePlayers);
    int place = 0;
    for (int i = 0; i < count && place < RaceSlotsInUse(race); ++i) {
        const int at = FindPlayerIndexById(race, packet[OrderIdsAt + i]);
        if (at < 0)
            continue;
        if (at != place)
            std::swap(race.players[at], race.players[place]);
        ++place;
    }
    RelinkPlayerCars(race);
}

// While racing every human player of the sender's connection leaves the
// race (its car goes); in race setup its ready vote is withdrawn.
void HandleLeaveRace(int c)
{
    if (SessionFlags.guestConnecting) {
        RefuseGuestConnecting("pit", c);
        return;
    }
    if (GameKind == 2 && OutsideVoteFinalCountdown() && CurrentRace) {
        PostponeStateCheck();
        Race& race = *CurrentRace;
        for (int i = 0; i < RaceSlotsInUse(race); ++i) {
            RacePlayer& slot = race.players[i];
            const PlayerDescriptor& d = slot.descriptor;
            if (d.connection != c || (d.type != PlayerLocal && d.type != PlayerRemote))
                continue;
            if (slot.car) {
                ReportLine(ColourLightGrey, "%s^8 pitted", d.name);
                SendCarDistanceReport(*slot.car, i);
                StopSessionRecordingIfAny();
                RemoveCarFromSession(slot);
            }
            slot.descriptor.flags |= PlayerLeftRace;
        }
    } else if (GameKind == 1) {
        MutableConnectionTable.connections[c].entryVote = 0;
    }
}

// --- Car events.

void HandleHornOrFlash(int c, const uint8_t* packet)
{
    if (IsOwnSide(c))
        return;
    RacePlayer* slot = FindSenderPlayer(c);
    if (!slot || !slot->car)
        return;
    if (packet[0] == GpHorn)
        slot->car->net.horn = static_cast<uint8_t>(std::min<int>(packet[1], MaxHornState));
    else
        slot->car->net.flash = static_cast<uint8_t>(std::min<int>(packet[1], MaxFlashState));
}

void HandleSetupSent(int c, const uint8_t* packet)
{
    if (packet[1] != ConnectionTable.ownIndex)
        return;
    RacePlayer* slot = FindSenderPlayer(c);
    if (!slot || !slot->car)
        return;
    static const char* const Forms[] = {"%s^8 sent setup", "%s^8 sent his setup", "%s^8 sent her setup"};
    Notice(Forms[FigureGender(slot->descriptor.figure) + 1], slot->descriptor.name);
    MutableConnectionTable.connections[c].setupSent = 1;
}

void HandleImpact(const uint8_t* packet)
{
    CarObject* car = FindPacketCar(packet[1]);
    if (!car || !car->net.remote)
        return;
    if (AddCarImpact(*car, ReadPacketLong(packet + ImpactEntryAt)))
        car->net.rebuildDamage = 1;
}

void HandleCarFlags(const uint8_t* packet)
{
    CarObject* car = FindPacketCar(packet[1]);
    if (!car)
        return;
    const uint8_t bits = packet[2] & CarFlagsMask;
    if (packet[2] & CarFlagsSet)
        car->net.flagBits = static_cast<uint8_t>(car->net.flagBits | bits);
    else
        car->net.flagBits = static_cast<uint8_t>(car->net.flagBits & (CarFlagsMask - bits));
}

void HandleCarMessage(const uint8_t* packet)
{
    if (!CurrentRace)
        return;
    Race& race = *CurrentRace;
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        RacePlayer& slot = race.players[i];
        if (!slot.car || (packet[1] != 0 && slot.descriptor.playerId != packet[1]))
            continue;
        char* text = slot.car->net.message;
        std::memcpy(text, packet + CarMessageAt, sizeof slot.car->net.message);
        text[sizeof slot.car->net.message - 1] = 0;
    }
}

void HandleCameraReport(const uint8_t* packet)
{
    CarObject* car = FindPacketCar(packet[1]);
    if (car && car->net.remote)
        car->net.viewByte = packet[2];
}

void HandleCarBlockCleared(const uint8_t* packet)
{
    if (RacePlayer* slot = FindPacketPlayer(packet[1]))
        ClearPlayerCarBlock(*slot);
}

// --- Take over.

// The car passes to the driver of newConnection when request and offer
// name the same connection; nothing when that connection already has a
// player.
void CompleteTakeOver(RacePlayer& slot, int newConnection)
{
    Race& race = *CurrentRace;
    if (FindPlayerOfConnection(race, newConnection))
        return;
    const int oldConnection = slot.descriptor.connection;
    char oldName[PlayerNameSize];
    CopyFixedString(oldName, slot.descriptor.name, sizeof oldName);
    slot.descriptor.connection = static_cast<uint8_t>(newConnection);
    CarObject& car = *slot.car;
    ResetCarRaceBytes(car);
    car.net.takeOverRequest = car.net.takeOverOffer = 0;
    if (!MutableNet.multiplayerReplayPlaying) {
        if (IsOwnSide(oldConnection)) {
            SendCarDistanceReport(car, FindPlayerIndexOfCar(race, &car));
            slot.descriptor.type = PlayerRemote;
            ReleasePlayerCar();
        } else if (IsOwnSide(newConnection)) {
            slot.descriptor.type = PlayerLocal;
            TakeOverPlayerCar(slot);
            SendPlayerFlags(slot);
        }
        car.race.controlChange = TakeOverControlChange;
    }
    const char* newName = ConnectionTable.connections[newConnection].name;
    Notice("%s^8 took over from %s", newName, oldName);
    CopyFixedString(slot.descriptor.name, newName, sizeof slot.descriptor.name);
}

void HandleTakeOver(int c, const uint8_t* packet)
{
    if (!CurrentRace)
        return;
    const int ucid = packet[2];
    const uint8_t senderUcid = ConnectionTable.connections[c].ucid;
    switch (packet[1]) {
    case TakeOverCancel:
        if (RacePlayer* slot = FindSenderPlayer(c); slot && slot->car) {
            ResetCarRaceBytes(*slot->car);
            slot->car->net.takeOverRequest = slot->car->net.takeOverOffer = 0;
        }
        return;
    case TakeOverAsk: {
        const int other = FindConnByUcid(ucid);
        RacePlayer* slot = other > 0 ? FindPlayerOfConnection(*CurrentRace, other) : nullptr;
        if (!slot || !slot->car)
            return;
        slot->car->net.takeOverRequest = senderUcid;
        if (slot->car->net.takeOverOffer == senderUcid)
            CompleteTakeOver(*slot, c);
        else if (IsOwnSide(other) && !MutableNet.multiplayerReplayPlaying)
            Notice("%s^8 wants to take over", ConnectionTable.connections[c].name);
        return;
    }
    case TakeOverOffer: {
        RacePlayer* slot = FindSenderPlayer(c);
        const int other = FindConnByUcid(ucid);
        if (!slot || !slot->car || other <= 0)
            return;
        slot->car->net.takeOverOffer = static_cast<uint8_t>(ucid);
        if (slot->car->net.takeOverRequest == ucid)
            CompleteTakeOver(*slot, other);
        else if (IsOwnSide(other) && !MutableNet.multiplayerReplayPlaying)
            Notice("%s^8 wants you to take over", ConnectionTable.connections[c].name);
        return;
    }
    default:
        return;
    }
}

} // namespace

void HandlePlayerGamePacket(int c, const uint8_t* packet, int)
{
    switch (packet[0]) {
    case GpWearRecord: HandleWearRecord(packet); break;
    case GpPlayerJoins: HandlePlayerJoins(packet); break;
    case GpCarInfo: HandleCarInfo(c, packet); break;
    case GpRename: HandleRename(c, packet); break;
    case GpDriverAnimation: HandleDriverAnimation(packet); break;
    case GpDrivingSide: HandleDrivingSide(c, packet); break;
    case GpPlayerOrder: HandlePlayerOrder(c, packet); break;
    case GpLeaveRace: HandleLeaveRace(c); break;
    case GpPlayerFlags: HandlePlayerFlags(packet); break;
    case GpHorn:
    case GpFlash: HandleHornOrFlash(c, packet); break;
    case GpSetupSent: HandleSetupSent(c, packet); break;
    case GpHelmetSkin: HandleHelmetSkin(packet); break;
    case GpPitPlan: HandlePitPlan(packet); break;
    case GpImpact: HandleImpact(packet); break;
    case GpCarFlags: HandleCarFlags(packet); break;
    case GpTakeOver: HandleTakeOver(c, packet); break;
    case GpCarMessage: HandleCarMessage(packet); break;
    case GpCameraReport: HandleCameraReport(packet); break;
    case GpCarBlockCleared: HandleCarBlockCleared(packet); break;
    default: break;  // the pit-lane report is for InSim alone
    }
}

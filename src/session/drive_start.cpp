// The start of a drive: what belongs to the drive is reset, the start
// countdown chosen, every car placed and the player car, viewed car and
// view chosen.
#include <cfenv>
#include <cstring>

#include "session/ai_driver.h"
#include "session/local.h"
#include "session/race_car_start.h"
#include "world/services.h"

namespace {

// Countdowns (s) from the start of the drive to the start of timing.
constexpr int LayoutRouteCountdown = 6;
constexpr int ShortCountdown = 3;
constexpr int OnlineRaceCountdown = 12;
constexpr int OfflineRaceCountdown = 8;
// The first check for changed cars waits this long after the start of
// timing (or after a join).
constexpr uint32_t CarCheckDelayMs = 4000;
// The race-start packet: [40][0][16-bit seed][float wind strength][float
// wind direction].
constexpr uint8_t RaceStartPacketType = 40;
constexpr int RaceStartPacketSize = 12;

// Priorities of the viewed-car choice: the higher wins, the first of a
// priority wins.
enum : int { ViewNone = 0, ViewAnyCar = 1, ViewAiCar = 2, ViewRemoteCar = 3, ViewLocalCar = 4, ViewSeekCar = 5 };

int IsHostingLive()
{
    const RaceHooks& hooks = GetRaceHooks();
    return hooks.isOnline() && hooks.isHost();
}

void PutLittleEndian(uint8_t* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

void QueueRaceStartPacket(World& world, const Race& race)
{
    const uint16_t seed = StepWorldRandom(world);
    float strength = 0, direction = 0;
    if (race.wind)
        RandomWind(world, race.wind, strength, direction);
    uint8_t packet[RaceStartPacketSize] = {RaceStartPacketType, 0, static_cast<uint8_t>(seed),
                                           static_cast<uint8_t>(seed >> 8)};
    uint32_t bits = 0;
    std::memcpy(&bits, &strength, sizeof bits);
    PutLittleEndian(packet + 4, bits);
    std::memcpy(&bits, &direction, sizeof bits);
    PutLittleEndian(packet + 8, bits);
    GetRaceHooks().queueGamePacket(packet, RaceStartPacketSize);
}

// The network words, the floating-point state, the race progress, votes
// and the race clock: what every drive starts afresh.
void ResetDriveState(Race& race, int joinRunning, uint32_t startStep)
{
    const RaceHooks& hooks = GetRaceHooks();
    const int startPhase = IsHostingLive() && Settings.autoKick && GetCurrentPath() && race.raceLength &&
                           !SessionCars.layoutRoute;
    MutableSessionCars.autoKickOn = startPhase ? 1 : 0;
    hooks.resetNetForDrive(startPhase ? 1 : 0, joinRunning);
    std::fesetenv(FE_DFL_ENV);
    ResetRaceProgress(race, joinRunning);
    hooks.clearGameVotes();
    race.stepCounter = startStep;
}

// The countdown of a drive that starts live; the one kept when joining or
// when a lesson with at most one player keeps its own.
int ChooseDriveCountdown(const Race& race, int joinRunning)
{
    if (joinRunning || (SessionCars.lessonRunning && RaceSlotsInUse(race) <= 1))
        return race.startCountdown;
    const int shortDrive = IsQualifyingSession() || race.raceLength == 0;
    return GetStartCountdown(SessionCars.layoutRoute, shortDrive, RaceSlotsInUse(race), GetRaceHooks().isOnline());
}

// The random state and the world's choice between the Race and the world,
// the game kind and the countdown, then the world's lights and wind.
void SetDriveWorld(Race& race, int sprPlayback, int joinRunning)
{
    World* world = CurrentWorld;
    if (sprPlayback) {
        if (world)
            SeedWorldRandom(*world, race.worldRandom);
        SetGameKind(3);
    } else {
        if (world) {
            race.worldRandom = world->random;
            race.configuration = world->configuration;
            race.reversed = world->reversed;
            race.lighting = world->lightScheme;
        }
        SetGameKind(2);
        race.startCountdown = static_cast<uint8_t>(ChooseDriveCountdown(race, joinRunning));
    }
    MutableSessionCars.startCountdown = race.startCountdown;
    if (!world)
        return;
    const WorldRaceSettings settings = MakeWorldRaceSettings(&race);
    ResetWorldRaceState(*world, &settings);
    if (IsHostingLive())
        QueueRaceStartPacket(*world, race);
}

int ViewPriorityOf(const RacePlayer& slot)
{
    switch (slot.descriptor.type) {
    case PlayerLocal:
        return ViewLocalCar;
    case PlayerRemote:
        return ViewRemoteCar;
    case PlayerAi:
        return ViewAiCar;
    default:
        return ViewAnyCar;
    }
}

// The local slot of a requested test drive takes the test-drive names.
void ApplyTestDriveNames(RacePlayer& slot)
{
    MutableSessionCars.testDriveRequested = 0;
    CopyFixedString(slot.descriptor.name, GetText(TX_3a_tstdrvnm), PlayerNameSize);
    std::memset(slot.descriptor.plate, 0, NumberPlateSize);
    std::memcpy(slot.descriptor.plate, GetText(TX_3a_tstdrvpl),
                strnlen(GetText(TX_3a_tstdrvpl), NumberPlateSize));
    if (slot.car)
        std::memcpy(slot.car->data.plateText, slot.descriptor.plate, NumberPlateSize);
}

// Every slot in slot order: start index, AI reset, placement; the viewed
// car chosen by priority. Answers the view the choice asks for.
int PlaceDriveCars(Race& race, InRaceSession* session, int inPit, int joinRunning)
{
    SessionCarState& cars = MutableSessionCars;
    int best = ViewNone;
    int view = SessionViewCam;
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        RacePlayer& slot = race.players[i];
        if (!joinRunning) {
            slot.descriptor.startPosition = static_cast<uint8_t>(i);
            slot.descriptor.pitStart = 0;
        }
        if (slot.ai)
            ResetAiDriverForStart(*slot.ai, inPit ? AiStartPit : AiStartGrid);
        PlaceCar(session, i, inPit, joinRunning);
        if (cars.testDriveRequested && slot.descriptor.type == PlayerLocal)
            ApplyTestDriveNames(slot);
        GetRaceHooks().setControlTag(slot);
        if (!slot.car || best == ViewSeekCar)
            continue;
        if (cars.seeking && slot.descriptor.playerId == cars.seekViewedPlayerId) {
            best = ViewSeekCar;
            cars.viewedCar = slot.car;
            continue;
        }
        const int priority = ViewPriorityOf(slot);
        if (priority == ViewLocalCar && !cars.replay && !cars.playerCar) {
            cars.playerCar = slot.car;
            view = SessionViewDriver;
        }
        if (priority > best) {
            best = priority;
            cars.viewedCar = slot.car;
        }
    }
    return view;
}

void StartDriveRecording(int sprPlayback, int joinRunning)
{
    const RaceHooks& hooks = GetRaceHooks();
    const bool multiplayerReplay = SessionCars.replay && !sprPlayback;
    if (hooks.isOnline()) {
        if (Settings.mprAutoSave && !multiplayerReplay && !joinRunning)
            hooks.startRecording(1);
    } else if (Settings.sprAutoSave && !sprPlayback) {
        hooks.startRecording(0);
    }
}

// The object set holds exactly the cars of the occupied slots.
void RefillObjectSet()
{
    if (ObjectSet* set = PhysicsStep.currentSet) {
        ClearObjectSet(*set);
        FillObjectSetWithCars(*set);
    }
}

} // namespace

int GetStartCountdown(int layoutRoute, int qualifyingOrNoLength, int playerCount, int online)
{
    if (layoutRoute)
        return LayoutRouteCountdown;
    if (qualifyingOrNoLength)
        return ShortCountdown;
    return playerCount / 2 + (online ? OnlineRaceCountdown : OfflineRaceCountdown);
}

WorldRaceSettings MakeWorldRaceSettings(const Race* race)
{
    WorldRaceSettings settings;
    settings.online = GetRaceHooks().isOnline();
    if (!race)
        return settings;
    settings.startLightSeconds = race->startCountdown;
    settings.windSetting = race->wind;
    settings.raceLength = race->raceLength;
    settings.qualifying = IsQualifyingSession();
    return settings;
}

void StartDrive(InRaceSession* session, int sprPlayback, int joinRunning, uint32_t startStep)
{
    Race* race = MutableSession.race;
    if (!race)
        return;
    SessionCarState& cars = MutableSessionCars;
    ResetDriveState(*race, joinRunning, startStep);
    SetDriveWorld(*race, sprPlayback, joinRunning);
    cars.replay = static_cast<uint8_t>(sprPlayback || cars.replay);
    if (!cars.replay && !GetRaceHooks().isOnline() && HasLocalPlayer(*race))
        GetRaceHooks().sendAssistFlags();
    cars.viewedCar = nullptr;
    cars.playerCar = nullptr;
    if (CurrentWorld)
        PlaceWorldFigures(*CurrentWorld);
    const int inPit = !IsRaceSession() && race->hotLapMode == 0;
    const int view = PlaceDriveCars(*race, session, inPit, joinRunning);
    StartDriveRecording(sprPlayback, joinRunning);
    if (!cars.restartingReplay)
        cars.viewMode = view;
    RefillObjectSet();
    cars.startWords[0] = cars.startWords[1] = 0;
    for (uint8_t& flag : cars.startFlags)
        flag = 1;
    GetRaceHooks().announceDrive();
    if (!cars.replay)
        ClearBestLapReference(*race);
    cars.stepCount = 0;
    const uint32_t wait = joinRunning ? CarCheckDelayMs : 1000u * race->startCountdown + CarCheckDelayMs;
    cars.nextCarCheckTime = GameTime.clockMs + wait;
}

// The session's run record, the read-only names it is exported under, and
// the one reset of this subsystem's tables.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "session/local.h"

SessionRecord MutableSession;
SessionFrameRecord MutableSessionFrame;
const int& GameKind = MutableSession.gameKind;
InRaceSession* const& CurrentSession = MutableSession.session;
const uint32_t& SessionStartTime = MutableSession.startTime;
const int& RacePhase = MutableSession.racePhase;
Race* const& CurrentRace = MutableSession.race;
const int& RaceLengthSetting = MutableSession.raceLengthSetting;
CarObject* const& LessonWatchedCar = MutableSession.lessonWatchedCar;
const char (&ProgramVersion)[ProgramVersionSize] = MutableSession.programVersion;

void SetGameKind(int kind) { MutableSession.gameKind = kind; }
void SetSessionStartTime(uint32_t gameTimeMs) { MutableSession.startTime = gameTimeMs; }
void SetRacePhase(int phase) { MutableSession.racePhase = phase; }

void FreeCurrentRace()
{
    if (Race* race = MutableSession.race) {
        RemoveAllPlayers(*race);
        delete race;
    }
    MutableSession.race = nullptr;
}

Race& CreateCurrentRace()
{
    FreeCurrentRace();
    MutableSession.race = new Race;
    InitRace(*MutableSession.race);
    return *MutableSession.race;
}

void ResetSessionTables()
{
    if (InRaceSession* session = MutableSession.session) {
        ClearCurrentObjectSet();
        delete session;
    }
    SetSessionStepDrivers(nullptr);
    FreeCurrentRace();
    MutableSession = {};
    ResetSessionCars();
    MutableSessionFrame = {};
    std::fill(std::begin(MutableDriverNameTable), std::end(MutableDriverNameTable), DriverNameEntry{});
    std::memset(MutableMessageKeyTable, 0, sizeof MutableMessageKeyTable);
    SetRaceHooks(RaceHooks{});
}

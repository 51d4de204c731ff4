// The installed hooks into the subsystems above the vehicle, and their
// setters; the records' defaults are the least bodies.
#include "vehicle/local.h"

namespace {

// The installed hooks. Live for the whole run; written only by the setters
// and ResetVehicleHooks.
CarModelHooks InstalledModelHooks;
CarPathHooks InstalledPathHooks;
CarFigureHooks InstalledFigureHooks;
CarRaceHooks InstalledRaceHooks;
CarDrawHooks InstalledDrawHooks;
CarSoundHooks InstalledSoundHooks;
CarControlHooks InstalledControlHooks;
CarMessageHooks InstalledMessageHooks;
CarNetHooks InstalledNetHooks;

} // namespace

const CarModelHooks& GetCarModelHooks() { return InstalledModelHooks; }
const CarPathHooks& GetCarPathHooks() { return InstalledPathHooks; }
const CarFigureHooks& GetCarFigureHooks() { return InstalledFigureHooks; }
const CarRaceHooks& GetCarRaceHooks() { return InstalledRaceHooks; }
const CarDrawHooks& GetCarDrawHooks() { return InstalledDrawHooks; }
const CarSoundHooks& GetCarSoundHooks() { return InstalledSoundHooks; }
const CarControlHooks& GetCarControlHooks() { return InstalledControlHooks; }
const CarMessageHooks& GetCarMessageHooks() { return InstalledMessageHooks; }
const CarNetHooks& GetCarNetHooks() { return InstalledNetHooks; }

void SetCarModelHooks(const CarModelHooks& hooks) { InstalledModelHooks = hooks; }
void SetCarPathHooks(const CarPathHooks& hooks) { InstalledPathHooks = hooks; }
void SetCarFigureHooks(const CarFigureHooks& hooks) { InstalledFigureHooks = hooks; }
void SetCarRaceHooks(const CarRaceHooks& hooks) { InstalledRaceHooks = hooks; }
void SetCarDrawHooks(const CarDrawHooks& hooks) { InstalledDrawHooks = hooks; }
void SetCarSoundHooks(const CarSoundHooks& hooks) { InstalledSoundHooks = hooks; }
void SetCarControlHooks(const CarControlHooks& hooks) { InstalledControlHooks = hooks; }
void SetCarMessageHooks(const CarMessageHooks& hooks) { InstalledMessageHooks = hooks; }
void SetCarNetHooks(const CarNetHooks& hooks) { InstalledNetHooks = hooks; }

void ResetVehicleHooks()
{
    InstalledModelHooks = {};
    InstalledPathHooks = {};
    InstalledFigureHooks = {};
    InstalledRaceHooks = {};
    InstalledDrawHooks = {};
    InstalledSoundHooks = {};
    InstalledControlHooks = {};
    InstalledMessageHooks = {};
    InstalledNetHooks = {};
}

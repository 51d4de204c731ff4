// The installed hooks into the subsystems above the vehicle, and their
// setters; the records' defaults are the least bodies.
#include "vehicle/local.h"

VehicleHooks MutableVehicleHooks;

const CarModelHooks& GetCarModelHooks() { return MutableVehicleHooks.model; }
const CarPathHooks& GetCarPathHooks() { return MutableVehicleHooks.path; }
const CarFigureHooks& GetCarFigureHooks() { return MutableVehicleHooks.figures; }
const CarRaceHooks& GetCarRaceHooks() { return MutableVehicleHooks.race; }
const CarDrawHooks& GetCarDrawHooks() { return MutableVehicleHooks.draw; }
const CarSoundHooks& GetCarSoundHooks() { return MutableVehicleHooks.sound; }
const CarControlHooks& GetCarControlHooks() { return MutableVehicleHooks.controls; }
const CarMessageHooks& GetCarMessageHooks() { return MutableVehicleHooks.messages; }
const CarNetHooks& GetCarNetHooks() { return MutableVehicleHooks.net; }
const CarTimingHooks& GetCarTimingHooks() { return MutableVehicleHooks.timing; }

void SetCarModelHooks(const CarModelHooks& hooks) { MutableVehicleHooks.model = hooks; }
void SetCarPathHooks(const CarPathHooks& hooks) { MutableVehicleHooks.path = hooks; }
void SetCarFigureHooks(const CarFigureHooks& hooks) { MutableVehicleHooks.figures = hooks; }
void SetCarRaceHooks(const CarRaceHooks& hooks) { MutableVehicleHooks.race = hooks; }
void SetCarDrawHooks(const CarDrawHooks& hooks) { MutableVehicleHooks.draw = hooks; }
void SetCarSoundHooks(const CarSoundHooks& hooks) { MutableVehicleHooks.sound = hooks; }
void SetCarControlHooks(const CarControlHooks& hooks) { MutableVehicleHooks.controls = hooks; }
void SetCarMessageHooks(const CarMessageHooks& hooks) { MutableVehicleHooks.messages = hooks; }
void SetCarNetHooks(const CarNetHooks& hooks) { MutableVehicleHooks.net = hooks; }
void SetCarTimingHooks(const CarTimingHooks& hooks) { MutableVehicleHooks.timing = hooks; }

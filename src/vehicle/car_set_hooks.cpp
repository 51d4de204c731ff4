// The car's part in the physics step, as an empty race answers it: until
// the car object exists no race holds cars, so there is nothing to list,
// wake, slipstream or tick. The car object replaces these bodies.
#include "vehicle/local.h"

int ListRaceCars(RigidBody**) { return 0; }
bool CarMayStayAsleep(RigidBody&) { return true; }
void ClearCarRestCounter(RigidBody&) {}
void GatherCarSlipstream(RigidBody&) {}
void CountCarStepTick(RigidBody&, bool) {}
void StepSleepingCar(RigidBody&) {}
void NoteCarHitByBody(RigidBody&) {}
void ClearCarNearbyObjects(RigidBody&) {}
void OfferCarNearbyObject(RigidBody&, WorldObject&) {}

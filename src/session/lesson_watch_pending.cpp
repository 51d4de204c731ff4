// The lesson's watch on a car, until lessons are built: no lesson runs, so
// no car is watched and there is nothing to check.
#include "session/services.h"

CarObject* LessonWatchedCar = nullptr;

void CheckLessonCarStopped() {}

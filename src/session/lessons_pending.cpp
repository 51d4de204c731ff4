// Temporary bodies of the lessons' services, until lessons are built: no
// lesson runs, so no car is watched, no result concerns a lesson and there
// is no training screen to open.
#include "session/services.h"

void CheckLessonCarStopped() {}
void OnLessonRaceResult(int, int) {}
Screen* OpenTrainingScreen(Screen*) { return nullptr; }
void ShowLessonPictureIfAny() {}

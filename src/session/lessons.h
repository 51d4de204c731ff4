// Lessons as the race, the car step and the program shell see them: the car
// a running lesson watches, its view of the results, and the training
// screen. Lessons are not built yet: no lesson runs, and the temporary
// bodies (lessons_pending.cpp) answer as a program without lessons would.
#pragma once

class CarObject;
struct Screen;

// The car a running lesson watches; null when none. Read-only outside the
// session; lives with the lesson.
// Pending: no lesson runs, so it stays null.
extern CarObject* const& LessonWatchedCar;
// The lesson's check whether its watched car stopped, run when a body's
// contact touches a car and either car is the watched one.
// Pending: no lesson; does nothing.
void CheckLessonCarStopped();
// A result row of the slot was confirmed at the index.
// Pending: no lesson; does nothing.
void OnLessonRaceResult(int slot, int row);
// The training screen (the lesson list).
// Pending: no training screen; answers null.
Screen* OpenTrainingScreen(Screen* parent);
// After the graphics resources were rebuilt: the running lesson's picture
// loads again.
// Pending: no lesson; does nothing.
void ShowLessonPictureIfAny();

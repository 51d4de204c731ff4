// The head tracker. Its client library is not loaded yet: the temporary
// bodies (head_tracker_pending.cpp) find no tracker.
#pragma once

// Head tracker state: 0 loaded, 2 not loaded. Read-only outside devices;
// lives for the whole run.
extern const int& HeadTrackerState;
// Loads the tracker's client; stores and returns the new state.
// Pending: no tracker client; logs once and answers 2.
int LoadHeadTracker();
// Pending: nothing loaded; does nothing.
void UnloadHeadTracker();

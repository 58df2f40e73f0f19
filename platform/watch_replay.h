// Watching a replay in the game's window (kromblix --watch REPLAY): the game is driven by the
// replay's events on the replay runner's virtual clock, so it shows the very frames
// kromblix-replay records for the replay, and each sleep is stretched to keep that clock in step
// with real time, so it plays at its usual speed with its sounds and music.
//
// The viewer's own keys never reach the game: P pauses and goes on, F runs four times as fast
// and back, ESC (or closing the window) leaves: the game is handed a window close at its next
// poll and runs to its end without pauses.
#pragma once

#include "platform/replay_file.h"

#include <vector>

// Installs the watching clock and events over the current platform hooks. The events are handed
// out as the runner hands them: each at the first poll at or after its tick, in file order; a
// replay without a quit gets a window close at the first poll 5000 ms after its last event.
// With real time off (set_watch_real_time) the clock is not held to real time and the viewer's
// keys are not read: the tests watch at full speed.
void start_watching(std::vector<replay::ReplayEvent> events);
void set_watch_real_time(bool on);

// Watching the proof's route in the editor's window (key W): the game plays the route's replay on
// a clock of its own, from the title's first frame and the random sequence of a fresh start, so
// it plays the frames kromblix-replay plays for that replay, and comes back to the editor when
// the cave is won or lost, or the viewer leaves.
//
// The watch's clock moves only through the game's sleeps, and each sleep passes on to the clock
// the editor runs on (the real one, the recorder's or the replay runner's), so the route plays in
// real time, and a recorded editing session plays back the same. The viewer's keys come through
// the editor's own events, so they are recorded: P pauses and goes on, F runs four times as fast
// and back, ESC leaves. The route's own keys never come from the keyboard.
#pragma once

#include "sim/game_state.h"

#include <string>

namespace editor {

// Watches the route in replay_path on cave; false when the window was closed meanwhile.
bool watch_route(const std::string& replay_path, const CaveMap& cave);

}  // namespace editor

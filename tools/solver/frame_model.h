// The game's frames as the solver plays them: the rules of sim/ run for real on the one game
// record, one step per frame as the game runs a replay, and the random numbers of each frame are
// drawn exactly as the game draws them, the drawing's included. The drawing draws per cell from
// the grid it shows (and three more for the out-of-time banner), so its draws are counted from
// the grid instead of drawing.
#pragma once

#include "sim/game_state.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace solver {

// The tick of the replay's first SPACE on the title screen, as kromblix-solution writes it.
constexpr unsigned FIRST_SPACE_TICK = 1000;
// The title draws a frame every 55 ms from tick 1, and each title frame takes one rand() draw.
constexpr unsigned TITLE_FRAME_MS = 55;

// The title frames drawn before a SPACE at tick `space_tick` is taken: a frame due at the very
// tick of the event is drawn after the poll that takes it.
int title_frames_before(unsigned space_tick);

// The game never seeds its random numbers, so every draw it makes is the next number of one
// fixed stream (glibc's rand() from its start) and a sequence's random state is just how many
// numbers it has drawn. The stream is kept as far as the plays have read it, up to this many
// numbers (256 MB); a play that would read past it ends as lost.
constexpr std::size_t MAX_STREAM = std::size_t{1} << 26;
// The draws made before the first step of a game started by SPACE at space_tick.
std::uint32_t draws_at_start(unsigned space_tick);

// The game record right after the first cave is loaded from these bytes at a fresh start, as the
// loader leaves it (lives, score, clocks at 0: a replay's clocks only shift every frame alike).
GameState state_after_load(std::string_view cave_bytes);

// The rand() draws the game's drawing makes in frame `frame` (0 for the first frame after the
// cave load) of the grid in `state`: draw_cave's per-cell draws and the out-of-time banner's.
int drawing_draws(const GameState& state, int frame);

enum class FrameEnd { going, won, died };

// One sequence's game: the record, the random state and the frames played.
struct Play {
    GameState state;
    std::uint32_t draws = 0;  // numbers drawn from the stream so far
    int frame = 0;
    FrameEnd end = FrameEnd::going;
};

// Plays one frame with `move` held ('U', 'D', 'L', 'R' or '.'): the step, the drawing's draws,
// and the cave-complete check. A play that has ended stays as it is. Uses the one game record and
// the platform hooks, which it installs for the frame (use_frame_model_hooks).
void play_frame(Play& play, char move);

// Installs the platform hooks and the presentation the model plays with: no sounds, no sleeps,
// the model's random state, and a death that stops at once (a death ends a play).
void use_frame_model_hooks();

}  // namespace solver

#include "tools/solver/frame_model.h"

#include "platform/glibc_rand.h"
#include "platform/platform.h"
#include "sim/game_state.h"
#include "sim/presentation.h"
#include "sim/sim_step.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace solver {

namespace {

// The stream as far as it was read, and the generator that continues it.
std::vector<int> stream;
GlibcRand stream_tail = glibc_seeded(1);  // as rand() before any srand()
Play* current = nullptr;
bool past_stream = false;

// Makes the stream hold at least n numbers; false past MAX_STREAM.
bool reach(std::size_t n) {
    if (n <= stream.size()) return true;
    if (n > MAX_STREAM) return false;
    const std::size_t want = std::min(MAX_STREAM, std::max(n, stream.size() * 2 + 4096));
    stream.reserve(want);
    while (stream.size() < want) stream.push_back(glibc_next(stream_tail));
    return true;
}

int model_rand() {
    const std::size_t at = current->draws++;
    if (at < stream.size()) return stream[at];
    if (!reach(at + 1)) {
        past_stream = true;
        return 0;
    }
    return stream[at];
}
std::uint32_t model_ticks() { return 0; }
void model_delay(std::uint32_t) {}
void model_play(int, SoundId) {}
// A death's animation ends at its first frame, before the cave is read again: the play is over.
bool no_death_frame() { return false; }

// draw_cave's draws for one cell: a diamond's sparkle, an enemy's three colours, a growth's
// colour and eight specks of six, a blast's 26 sparks of five per stage above 1.
constexpr int cell_draws(std::uint8_t code) {
    switch (code) {
    case DIAMOND: return 1;
    case ENEMY_LEFT:
    case ENEMY_RIGHT:
    case ENEMY_UP:
    case ENEMY_DOWN: return 3;
    case GREEN_GROWTH:
    case MAGENTA_GROWTH: return 1 + 8 * 6;
    case BLAST_2:
    case BLAST_3:
    case BLAST_4:
    case BLAST_5:
    case BLAST_6:
    case BLAST_7: return 5 * 26 * (code - BLAST_1);
    default: return 0;
    }
}

constexpr auto CELL_DRAWS = [] {
    std::array<int, 256> table{};
    for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(c)] = cell_draws(static_cast<std::uint8_t>(c));
    return table;
}();

// The banner's colour and place once the bonus time is gone: frame 100 on (10 s of 100 ms frames).
constexpr int OUT_OF_TIME_FRAME = BONUS_SECONDS * 1000 / STEP_MS;
constexpr int OUT_OF_TIME_DRAWS = 3;

}  // namespace

int title_frames_before(unsigned space_tick) {
    if (space_tick < 2) return 0;
    return static_cast<int>((space_tick - 2) / TITLE_FRAME_MS) + 1;
}

std::uint32_t draws_at_start(unsigned space_tick) { return static_cast<std::uint32_t>(title_frames_before(space_tick)); }

GameState state_after_load(std::string_view cave_bytes) {
    GameState state;
    state.lives = START_LIVES;
    state.column_cursor = 2;
    // Bytes up to 0x20 are layout; the first 500 others are the cells, the rest of a fresh grid 0.
    std::size_t n = 0;
    for (const char byte : cave_bytes) {
        const auto code = static_cast<std::uint8_t>(byte);
        if (n == state.cave.size()) break;
        if (code > 0x20) state.cave[n++] = code;
    }
    for (const std::uint8_t code : state.cave)
        if (code == DIAMOND) ++state.diamonds_left;
    // Column by column, top down: the last start wins; without one the player stays at (0, 0).
    for (int x = 0; x < CAVE_W; ++x)
        for (int y = 0; y < CAVE_H; ++y)
            if (state.cave[static_cast<std::size_t>(x + CAVE_W * y)] == START) {
                state.player_x = state.prev_x = x;
                state.player_y = state.prev_y = y;
            }
    return state;
}

int drawing_draws(const GameState& state, int frame) {
    int draws = frame >= OUT_OF_TIME_FRAME ? OUT_OF_TIME_DRAWS : 0;
    for (const std::uint8_t code : state.cave) draws += CELL_DRAWS[code];
    return draws;
}

void use_frame_model_hooks() {
    PlatformHooks hooks;
    hooks.rand = model_rand;
    hooks.ticks = model_ticks;
    hooks.delay = model_delay;
    hooks.play = model_play;
    set_platform_hooks(hooks);
    Presentation none;
    none.draw_death_frame = no_death_frame;
    set_presentation(none);
}

void play_frame(Play& play, char move) {
    if (play.end != FrameEnd::going) return;
    game = play.state;
    current = &play;
    past_stream = false;
    game.key_left = move == 'L';
    game.key_right = move == 'R';
    game.key_up = move == 'U';
    game.key_down = move == 'D';
    const int lives = game.lives;
    const bool whole = sim_step();
    // The frame turns the player to its step, then clears the step after drawing; the keys are
    // the events' business.
    if (game.step_dx != 0 || game.step_dy != 0) {
        game.face_dx = game.step_dx;
        game.face_dy = game.step_dy;
    }
    game.step_dx = game.step_dy = 0;
    game.key_left = game.key_right = game.key_up = game.key_down = 0;
    play.draws += static_cast<std::uint32_t>(drawing_draws(game, play.frame));
    if (!whole || game.lives != lives || past_stream || !reach(play.draws)) {
        play.end = FrameEnd::died;
    } else if (game.diamonds_left == 0) {
        play.end = FrameEnd::won;
    }
    play.state = game;
    ++play.frame;
}

}  // namespace solver

// Fuzz target: a cave file of any bytes, and keys. The loader takes the first 500 bytes above
// 0x20 as cells; the bytes after those are the keys, one a step: bits 0 to 3 hold left, right,
// up and down, 0x1B gives up the cave (as releasing ESC does). Up to MAX_STEPS steps are played
// with deaths and finished caves (the next cave is missing, so the game goes back to this one).
// Drawing is what costs: one input in FULL_SCREEN_ONE_IN draws on the 800 by 700 screen, the rest
// (and those that play every frame) on a small one. Most inputs draw one game frame in 32 steps and finish caves without their
// animation; an input whose first key byte is 0xC0 plays every frame through game_frame, the
// cave-complete animation included. Every draw is checked against the screen's fence.
#include "app/loops.h"
#include "fuzz/fuzz_support.h"
#include "platform/platform.h"
#include "sim/cave_loader.h"
#include "sim/game_state.h"
#include "sim/lose_life.h"
#include "sim/sim_step.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::size_t MAX_STEPS = 200;
constexpr std::size_t MAX_FRAMES = 40;  // when every frame is drawn
constexpr std::size_t DRAW_EVERY = 32;
constexpr std::uint8_t GIVE_UP = 0x1B;
constexpr std::uint8_t EVERY_FRAME = 0xC0;
constexpr int MAX_ANIMATIONS = 1;
constexpr std::uint32_t FULL_SCREEN_ONE_IN = 16;

// A cheap hash of the input: which inputs draw on the full screen.
std::uint32_t hash(const std::uint8_t* data, std::size_t size) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

void new_game() {
    game = GameState{};
    game.lives = START_LIVES;
    fuzz::frames = {};
    fuzz::now_ms = 1000;
    plat_srand(1);
    load_cave();
}

void hold_keys(std::uint8_t k) {
    game.key_left = k & 1;
    game.key_right = (k >> 1) & 1;
    game.key_up = (k >> 2) & 1;
    game.key_down = (k >> 3) & 1;
}

// One game frame as the game loop draws it, with no step before it.
void draw_frame() {
    fuzz::now_ms = static_cast<std::uint32_t>(game.step_clock);
    game.frame_clock = game.step_clock - 1;
    game_frame();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::set_up_once();
    fuzz::enter_scratch_dir();
    std::size_t end = 0;
    for (int cells = 0; end < size && cells < CAVE_CELLS; ++end)
        if (data[end] > 0x20) ++cells;
    std::FILE* file = std::fopen("level0.txt", "wb");
    if (!file || std::fwrite(data, 1, end, file) != end || std::fclose(file) != 0) std::abort();
    const std::uint8_t* keys = data + end;
    const std::size_t key_count = size - end;

    const bool every_frame = key_count > 0 && keys[0] == EVERY_FRAME;
    // The animation's blurs of the whole cave would take seconds on the full screen.
    fuzz::use_full_screen(!every_frame && hash(data, size) % FULL_SCREEN_ONE_IN == 0);
    new_game();
    for (std::size_t i = 0; i < key_count && i < MAX_STEPS && game.lives > 0 && game.on_title == 0; ++i) {
        hold_keys(keys[i]);
        if (keys[i] == GIVE_UP) lose_life();
        if (every_frame) {
            if (i >= MAX_FRAMES || fuzz::frames[static_cast<std::size_t>(FrameKind::congrats)] >= 35 * MAX_ANIMATIONS)
                break;
            fuzz::now_ms = static_cast<std::uint32_t>(game.frame_clock) + 1;
            game_frame();
        } else {
            if (sim_step()) game.step_clock += 100;
            // A finished cave, without its animation: the next one is loaded.
            if (game.diamonds_left == 0) {
                game.cave_index += 1;
                load_cave();
            }
            if (i % DRAW_EVERY == 0 && game.diamonds_left != 0) draw_frame();
        }
        }
    fuzz::check_fence();
    fuzz::leave_scratch_dir();
    return 0;
}

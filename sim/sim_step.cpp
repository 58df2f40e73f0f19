#include "sim/sim_step.h"

#include "platform/platform.h"
#include "sim/blasts.h"
#include "sim/cave_loader.h"
#include "sim/creatures.h"
#include "sim/game_state.h"
#include "sim/gravity.h"
#include "sim/lose_life.h"
#include "sim/presentation.h"

#include <cstdint>

namespace {

constexpr int PUSH_CHANCE = 3;  // in 10
constexpr int BONUS_PER_SECOND = 10;
constexpr int CONGRATS_LAST_FRAME = 68;

constexpr bool object_code(std::uint8_t c) { return c == ROCK || c == DIAMOND; }

constexpr bool gives_extra_life(int cave_index) {
    return cave_index == 9 || cave_index == 19 || cave_index == 29 || cave_index == 39;
}

}  // namespace

bool sim_step() {
    update_creatures();
    decay_blasts();
    if (game.blast_hit_player == 1) lose_life();

    // A rock or diamond hanging over a gap above the player comes down on it; the object is
    // gone and the rest of the step (and of the frame's steps) is skipped.
    {
        const int x = game.player_x;
        const int y = game.player_y;
        if (cell_at(x, y - 1) == EMPTY && object_code(cell_at(x, y - 2))) {
            set_cell(x, y - 2, EMPTY);
            lose_life();
            return false;
        }
    }

    // Rocks fall before diamonds, so a diamond sees the rocks already moved.
    apply_gravity(ROCK);
    apply_gravity(DIAMOND);

    // Later keys override earlier ones: down over up over right over left. With no key held
    // the direction of the previous step of this frame stays.
    if (game.key_left) {
        game.step_dx = -1;
        game.step_dy = 0;
    }
    if (game.key_right) {
        game.step_dx = 1;
        game.step_dy = 0;
    }
    if (game.key_up) {
        game.step_dx = 0;
        game.step_dy = -1;
    }
    if (game.key_down) {
        game.step_dx = 0;
        game.step_dy = 1;
    }

    const int x = game.player_x;
    const int y = game.player_y;
    const int dx = game.step_dx;
    const int dy = game.step_dy;

    // The push draw is taken on every step that gets here, key or no key.
    const int push = plat_rand() % 10;
    if (push < PUSH_CHANCE && cell_at(x + dx, y + dy) == ROCK && cell_at(x + 2 * dx, y + 2 * dy) == EMPTY) {
        play_sound(1, SoundId::rock);
        set_cell(x + dx, y + dy, EMPTY);
        set_cell(x + 2 * dx, y + 2 * dy, ROCK);
    }

    if (is_walkable(x + dx, y + dy) == 1) {
        game.prev_x = x;
        game.prev_y = y;
        game.player_x = x + dx;
        game.player_y = y + dy;
        set_cell(x, y, EMPTY);
    }

    if (cell_at_player() == DIAMOND) {
        game.diamonds_left -= 1;
        set_cell(game.player_x, game.player_y, EMPTY);
        play_sound(1, SoundId::collect);
        game.score += 1;
    }

    set_cell(game.player_x, game.player_y, PLAYER);
    return true;
}

int cave_seconds_left() {
    // The clocks are tick counts taken as signed 32-bit values; the difference wraps as they do.
    const auto elapsed = static_cast<std::int32_t>(static_cast<std::uint32_t>(game.frame_clock) -
                                                   static_cast<std::uint32_t>(game.cave_start_time));
    return BONUS_SECONDS - elapsed / 1000;
}

int compute_remaining_seconds() {
    const int remaining = cave_seconds_left();
    return remaining < 0 ? 0 : remaining;
}

void complete_cave_if_done(int remaining_seconds) {
    if (game.diamonds_left != 0) return;
    game.score += remaining_seconds * BONUS_PER_SECOND;
    if (gives_extra_life(game.cave_index)) game.lives += 1;
    game.cave_index += 1;
    const Presentation& show = presentation();
    for (int i = 0; i <= CONGRATS_LAST_FRAME; i += 2)
        if (show.congrats_frame) show.congrats_frame(i);
    load_cave();
}

#include "sim/lose_life.h"
#include <cstdint>

#include "platform/platform.h"
#include "sim/blasts.h"
#include "sim/cave_loader.h"
#include "sim/game_state.h"
#include "sim/presentation.h"

namespace {

constexpr int DEATH_FRAMES = 9;
constexpr std::uint32_t DEATH_FRAME_MS = 33;
constexpr std::uint32_t GAME_OVER_MS = 2299;

void show_game_over() {
    const Presentation& show = presentation();
    if (show.show_game_over && !show.show_game_over()) return;
    plat_delay(GAME_OVER_MS);
    game.on_title = 1;
}

}  // namespace

void lose_life() {
    if (game.lives == 0) {
        // A second death in the step that took the last life: only the game-over screen again.
        show_game_over();
        return;
    }

    game.lives -= 1;
    blast_3x3(game.player_x, game.player_y, BLAST_7);
    play_sound(2, SoundId::blast);

    // Each frame draws before it ages the blasts, so the player's blast shows from stage 7.
    const Presentation& show = presentation();
    for (int frame = 0; frame < DEATH_FRAMES; ++frame) {
        if (show.draw_death_frame && !show.draw_death_frame()) return;
        decay_blasts();
        plat_delay(DEATH_FRAME_MS);
        if (show.show_death_frame) show.show_death_frame();
    }

    load_cave();
    if (game.lives == 0) show_game_over();
}

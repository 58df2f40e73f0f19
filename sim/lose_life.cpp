#include "sim/lose_life.h"

#include "platform/platform.h"
#include "render/canvas.h"
#include "render/cave_draw.h"
#include "render/font.h"
#include "sim/blasts.h"
#include "sim/cave_loader.h"
#include "sim/game_state.h"

#include <cstdlib>

namespace {

constexpr int DEATH_FRAMES = 9;
constexpr std::uint32_t DEATH_FRAME_MS = 33;
constexpr std::uint32_t GAME_OVER_MS = 2299;
constexpr std::uint32_t WHITE = 0xFFFFFF;
constexpr std::uint32_t GAME_OVER_GLOW = 0xFFAA00;

// Drawn over whatever the screen shows: a grey band across the cave between two white lines.
void show_game_over() {
    if (!lock_surface(game.screen)) return;
    gray_shift_up(1, 181, 798, 320);
    fill_rect(1, 180, 798, 181, WHITE);
    fill_rect(1, 320, 798, 321, WHITE);
    draw_text(315 + plat_rand() % 10, 250, "-- GAVE OVER --", GAME_OVER_GLOW);
    plat_frame_shown(FrameKind::game_over);
    present_screen();
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
    for (int frame = 0; frame < DEATH_FRAMES; ++frame) {
        if (!lock_surface(game.screen)) return;
        draw_cave();
        decay_blasts();
        plat_delay(DEATH_FRAME_MS);
        plat_frame_shown(FrameKind::death);
        present_screen();
    }

    load_cave();
    if (game.lives == 0) show_game_over();
}

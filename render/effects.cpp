#include "render/effects.h"

#include "platform/platform.h"
#include "render/canvas.h"
#include "render/font.h"
#include "sim/game_state.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr int MAX_RIBBON_SQUARES = 197;

// Phases are single precision; each addition is made in double and rounded when stored.
void advance_phase(float& phase, double by) { phase = static_cast<float>(static_cast<double>(phase) + by); }

}  // namespace

void draw_ribbons(int count) {
    advance_phase(game.ribbon_phase_a, 0.06);
    advance_phase(game.ribbon_phase_b, 0.01);
    if (count > MAX_RIBBON_SQUARES || count <= 0) return;

    std::uint32_t colour = 0xFF32FA;
    for (int i = 0; i < count; ++i) {
        advance_phase(game.ribbon_phase_b, 0.0003);
        // Six squares share a column step and seven a row step: the chain climbs in stairs.
        const float angle_x = static_cast<float>(i / 6) + game.ribbon_phase_a;
        const float angle_y = static_cast<float>(i / 7) + game.ribbon_phase_b;
        const int x = static_cast<int>(std::cos(static_cast<double>(angle_x)) * 290.0 + 380.0);
        const int y = static_cast<int>(std::cos(static_cast<double>(angle_y)) * 250.0 + 310.0);
        const int c = i / 5;  // the square's side is c + 4

        fill_rect(x, y, x + c + 3, y + c + 3, colour);
        fill_rect(x + 1, y + 3, x + 2, y + 4, 0xFFFFFF);
        blur_region(x - 3, y - 3, x + c + 9, y + c + 9);
        // A darkened band under the square rises one row per frame: the smoke trail.
        fade_shift_up(x + 6, y + 28, x + c + 17, y + c + 40);
        blur_region(x + 4, y + 22, x + c + 18, y + c + 43);
        colour += 512;
    }
}

void draw_orbit_spark(int j) {
    const int t = game.frame_clock / 2;
    const int dx = static_cast<int>(std::sin(static_cast<double>(t + j / 2)) * (j + 20));
    const int dy = static_cast<int>(std::cos(static_cast<double>(t + j)) * (j + 14));
    // The first three sparks circle the player's cell, the rest the cell it came from.
    const int col = j <= 2 ? game.player_x : game.prev_x;
    const int row = j <= 2 ? game.player_y : game.prev_y;
    const int x = dx + CELL_PX * col;
    const int y = dy + CELL_PX * row;
    // Red runs past 255 from spark 6 on and carries into the top byte.
    const std::uint32_t colour = static_cast<std::uint32_t>(200 + 10 * j) * 65536u + 0xA9FAu;
    fill_rect(x + 14, y + 14, x + 16, y + 16, colour);
    fill_rect(x + 15, y + 15, x + 17, y + 17, 0);
}

void draw_congrats_frame(int a) {
    SDL_Surface* screen = gfx.screen;
    if (!lock_surface(screen)) return;
    blur_region(1, 1, 798, 644);
    const int x = 295 + plat_rand() % 10;
    draw_text(x, 3 * a + 190, "-- CONGRATULATIONS ! --", static_cast<std::uint32_t>(a) * 0x141210u);
    plat_frame_shown(FrameKind::congrats);
    present_screen();
}

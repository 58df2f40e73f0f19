#include "render/scenes.h"
#include <cstdint>

#include "platform/platform.h"
#include "render/canvas.h"
#include "render/cave_draw.h"
#include "render/effects.h"
#include "render/font.h"
#include "sim/presentation.h"

namespace {

constexpr std::uint32_t GAME_OVER_GLOW = 0xFFAA00;
constexpr int CONGRATS_RIBBONS = 62;

bool draw_death_frame() {
    if (!lock_surface(gfx.screen)) return false;
    draw_cave();
    return true;
}

void show_death_frame() {
    plat_frame_shown(FrameKind::death);
    present_screen();
}

// Drawn over whatever the screen shows: a grey band across the cave between two white lines.
bool show_game_over() {
    if (!lock_surface(gfx.screen)) return false;
    gray_shift_up(1, 181, 798, 320);
    fill_rect(1, 180, 798, 181, WHITE);
    fill_rect(1, 320, 798, 321, WHITE);
    draw_text(315 + plat_rand() % 10, 250, "-- GAVE OVER --", GAME_OVER_GLOW);
    plat_frame_shown(FrameKind::game_over);
    present_screen();
    return true;
}

// The ribbons are drawn after the frame is shown: they appear in the next one.
void congrats_frame(int a) {
    draw_congrats_frame(a);
    draw_ribbons(CONGRATS_RIBBONS);
}

constexpr Presentation ON_SCREEN{draw_death_frame, show_death_frame, show_game_over, congrats_frame};

}  // namespace

const Presentation& screen_presentation() { return ON_SCREEN; }

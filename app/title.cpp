#include "app/title.h"

#include "app/cave_sets.h"
#include "app/pacing.h"
#include "app/scores.h"
#include "app/text_width.h"
#include "platform/platform.h"
#include "render/canvas.h"
#include "render/effects.h"
#include "render/font.h"
#include "sim/game_state.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::int32_t TITLE_FRAME_MS = 55;
constexpr int PICTURE_X = 80, PICTURE_Y = 100;
constexpr int PICTURE_COLS = 639, PICTURE_ROWS = 479;  // one short of the 640 by 480 picture
constexpr int PICTURE_ROW_LENGTH = 640;                // title.bmp rows are read 640 pixels apart
constexpr int TITLE_RIBBONS = 103;

// KROMBLIX_VERSION comes from the project version in CMakeLists.txt.
constexpr const char* CREDIT = "KROMBLIX v" KROMBLIX_VERSION " - a cave digging game";

// The picture's rows and columns on the screen: at most 639 by 479, less when the picture or the
// screen is smaller.
int picture_rows() { return std::min({PICTURE_ROWS, gfx.title_image->h, gfx.screen->h - PICTURE_Y}); }
int picture_cols() { return std::min({PICTURE_COLS, gfx.title_image->w, gfx.screen->w - PICTURE_X}); }

// The picture is copied as it is, with no transparency. A picture narrower than 640 pixels or
// lower than 479 rows is copied row by row through its own pitch, clipped to its size.
void copy_title_picture() {
    const SDL_Surface* image = gfx.title_image;
    const int rows = picture_rows();
    const int cols = picture_cols();
    const int stride = image->w >= PICTURE_ROW_LENGTH ? PICTURE_ROW_LENGTH : image->pitch / 4;
    const auto* src = static_cast<const std::uint32_t*>(image->pixels);
    for (int i = 0; i < rows; ++i, src += stride)
        std::copy_n(src, std::max(cols, 0), pixel_at(gfx.screen, PICTURE_X, PICTURE_Y + i));
}

void draw_title_texts() {
    // Two overlapping credit lines: the second one pixel right and four down, so their start shows doubled.
    draw_text(225, 590, CREDIT, 0xff6a00);
    draw_text(226, 594, CREDIT, 0x2050c0);
    // With the best score once there is one; a score too long for the line shows on its own.
    const char* credit = title_credit_line();
    if (258 + text_width(credit) >= gfx.screen->w) credit = best_score_text();
    draw_text(258, 626, credit, 0x30a0d0);
    // The key names flicker: one fresh blue part per frame. They fall into the gaps of the line below.
    draw_text(200, 670, " SPACE                       ESC ", 0xff0000 + static_cast<std::uint32_t>(plat_rand() % 255));
    draw_text(190, 670, "          = play game              = quit ", 0xffff66);
    // Above the picture: the chosen set, unless it is the shipped first, and the cave SPACE
    // starts, once a cave past the first has been reached.
    if (const char* set = title_set_line(); *set) draw_text((gfx.screen->w - text_width(set)) / 2, 30, set, 0x30a0d0);
    const char* start = title_start_line();
    if (*start) draw_text((gfx.screen->w - text_width(start)) / 2, 62, start, 0xffff66);
    // The solver's mark (proven.txt in the set's folder), under the lines above.
    if (const char* proven = title_proven_line(); *proven)
        draw_text((gfx.screen->w - text_width(proven)) / 2, *start ? 78 : 62, proven, 0x30d050);
}

// One whole title frame; false when a lock failed and nothing was drawn.
bool draw_title_frame() {
    if (!lock_surface(gfx.title_image)) return false;
    if (!lock_surface(gfx.screen)) {
        unlock_surface(gfx.title_image);
        return false;
    }
    // Each fill leaves out what the next draw covers.
    fill_rect_around(0, 0, 799, 699, 79, 99, 719, 579, 0x494746);
    // One pixel larger than the picture on every side: a thin peach frame.
    fill_rect_around(79, 99, 719, 579, PICTURE_X, PICTURE_Y, PICTURE_X + picture_cols() - 1,
                     PICTURE_Y + picture_rows() - 1, 0xffcfa6);
    copy_title_picture();
    draw_ribbons(TITLE_RIBBONS);
    draw_title_texts();
    unlock_surface(gfx.title_image);
    plat_frame_shown(FrameKind::title);
    present_screen();
    return true;
}

}  // namespace

void title_frame() {
    const auto due = tick_past_frame_clock();
    if (!due) return;
    const std::int32_t now = *due;
    // No frame due yet: sleep a little rather than spin the title loop.
    if (game.step_clock >= now) {
        plat_idle(1, game.step_clock + 1 - now);
        return;
    }
    // Frames that fell behind are drawn back to back, one per 55 ms of lag.
    do {
        if (!draw_title_frame()) return;
        game.step_clock += TITLE_FRAME_MS;
    } while (game.step_clock < now);
}

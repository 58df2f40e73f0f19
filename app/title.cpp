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
#include <bit>
#include <cstddef>
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

// The picture's part inside the area (inclusive, screen pixels), copied as it is, with no
// transparency. A picture narrower than 640 pixels or lower than 479 rows is copied row by row
// through its own pitch, clipped to its size.
void copy_title_picture(int x1, int y1, int x2, int y2) {
    const SDL_Surface* image = gfx.title_image;
    const int i_lo = std::max(0, y1 - PICTURE_Y), i_hi = std::min(picture_rows(), y2 - PICTURE_Y + 1);
    const int j_lo = std::max(0, x1 - PICTURE_X), j_hi = std::min(picture_cols(), x2 - PICTURE_X + 1);
    if (j_lo >= j_hi) return;
    const int stride = image->w >= PICTURE_ROW_LENGTH ? PICTURE_ROW_LENGTH : image->pitch / 4;
    const auto* src = static_cast<const std::uint32_t*>(image->pixels) + i_lo * stride + j_lo;
    for (int i = i_lo; i < i_hi; ++i, src += stride)
        std::copy_n(src, j_hi - j_lo, pixel_at(gfx.screen, PICTURE_X + j_lo, PICTURE_Y + i));
}

// What every title frame shows under the ribbons and texts, inside the area (inclusive): the grey
// ground, a thin peach frame one pixel larger than the picture on every side, the picture.
void draw_title_background(int x1, int y1, int x2, int y2) {
    // Each fill leaves out what the next draw covers.
    fill_rect_around(std::max(x1, 0), std::max(y1, 0), std::min(x2, 799), std::min(y2, 699), 79, 99, 719, 579,
                     0x494746);
    fill_rect_around(std::max(x1, 79), std::max(y1, 99), std::min(x2, 719), std::min(y2, 579), PICTURE_X, PICTURE_Y,
                     PICTURE_X + picture_cols() - 1, PICTURE_Y + picture_rows() - 1, 0xffcfa6);
    copy_title_picture(x1, y1, x2, y2);
}

// The screen still holds the last title frame: the background goes back only into the squares
// that frame drew on, in runs along each band.
void put_back_title_background() {
    for (int band = 0; band < DRAWN_BANDS; ++band) {
        const int y = band * DRAWN_SQUARE;
        for (std::uint64_t m = gfx.drawn[static_cast<std::size_t>(band)]; m != 0;) {
            const int first = std::countr_zero(m), n = std::countr_one(m >> first);
            draw_title_background(first * DRAWN_SQUARE, y, (first + n) * DRAWN_SQUARE - 1, y + DRAWN_SQUARE - 1);
            m &= ~(((std::uint64_t{1} << n) - 1) << first);
        }
    }
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
    if (gfx.title_on_screen)
        put_back_title_background();
    else
        draw_title_background(0, 0, SCREEN_W - 1, SCREEN_H - 1);
    // What the ribbons and texts draw is marked, to be put back before the next frame.
    gfx.drawn.fill(0);
    gfx.track_drawn = true;
    draw_ribbons(TITLE_RIBBONS);
    draw_title_texts();
    gfx.track_drawn = false;
    unlock_surface(gfx.title_image);
    plat_frame_shown(FrameKind::title);
    present_screen();
    // The marks cover every pixel drawn when the screen is no larger than their grid.
    gfx.title_on_screen = gfx.screen->w <= DRAWN_COLUMNS * DRAWN_SQUARE && gfx.screen->h <= DRAWN_BANDS * DRAWN_SQUARE;
    return true;
}

}  // namespace

void title_frame() {
    const auto due = tick_past_frame_clock();
    if (!due) return;
    const std::int32_t now = *due;
    // No frame due yet: sleep a little rather than spin the title loop; on the real clock right
    // up to the frame, since a key the title takes shows no sooner than the next frame anyway.
    if (game.step_clock >= now) {
        plat_idle(1, game.step_clock + 1 - now, TITLE_FRAME_MS);
        return;
    }
    // Frames that fell behind are drawn back to back, one per 55 ms of lag.
    do {
        if (!draw_title_frame()) return;
        game.step_clock += TITLE_FRAME_MS;
    } while (game.step_clock < now);
}

// Drawing: what the replays' pictures cannot show. Everything drawn near or past the edges stays
// on the screen; blends ignore the top byte; rectangles, font metrics and modes on stand-in
// strips; sprites and the title picture are read at their row widths whatever the pitch; status
// bands past cave 4. (Colours, texts, cells, rand() draws, effects and timing are pinned by
// test_digests.cpp and the golden pictures.)
#include <cstddef>
#include <cstdint>
#include <tuple>
#include <utility>
#include "render/canvas.h"
#include "sim/game_state.h"
#include "tests/support/test_env.h"

#include "app/title.h"
#include "render/effects.h"
#include "render/font.h"
#include "render/sprites.h"
#include "render/status_bar.h"

using namespace test_env;
using Render = GameTest;

constexpr std::uint32_t BG = 0x00808080, INK = 0x00204060, PEACH = 0xffcfa6;

int count_pixels(std::uint32_t value) {
    int n = 0;
    for (int y = 0; y < SCREEN_H; ++y)
        for (int x = 0; x < SCREEN_W; ++x) n += scr(x, y) == value;
    return n;
}

TEST_F(Render, EverythingDrawnPastTheEdgesStaysOnTheScreen) {
    GuardedScreen guarded;
    fill_rect(-10, -10, 5, 5, 0x777777);
    fill_rect(790, 690, 805, 710, 0x777777);
    EXPECT_EQ(std::pair(scr(0, 0), scr(799, 699)), std::pair(0x777777u, 0x777777u));
    fade_shift_up(-20, -20, 30, 30);
    gray_shift_up(780, 680, 830, 730);
    blur_region(-30, -30, 40, 40);
    blur_region(760, 660, 830, 730);
    // Sprites off the screen, or from sheets too small for the tile or frame asked for.
    replace(gfx.tile_sheet, image(32, 64, 0x00445566));  // tiles 0 and 1 only
    replace(gfx.player_sheet, image(196, 100, 1));       // too short for frame 3
    game.face_dx = -1;
    draw_tile(1, 1, 3);
    draw_player(2, 2);
    EXPECT_EQ(scr(40, 40) | scr(70, 70), 0u);
    game.face_dx = 0;
    for (int col : {-1, 0, 24, 25})
        for (int row : {-1, 0, 19, 20, 21, 22}) {
            draw_player(col, row);
            draw_tile(col, row, 1);
        }
    EXPECT_EQ(scr(0, 0) & scr(799, 699), 0x00445566u);
    replace(gfx.font_image, image(40, 40 * 94, 0x00FFFFFF));  // wide glyphs
    build_font_metrics();
    draw_text(735, 683, "...enjoy", 0x1f3020);
    draw_text(-50, -20, "MMMM", 0xFFFFFF);
    draw_glyph(790, -30, 'M', 2, 0);
    for (auto [cx, cy] : {std::pair{0, 0}, {24, 0}, {0, 19}, {24, 19}}) {
        game.player_x = game.prev_x = cx;
        game.player_y = game.prev_y = cy;
        for (game.frame_clock = 0; game.frame_clock < 20000; game.frame_clock += 100)
            for (int j = 0; j < 13; ++j) draw_orbit_spark(j);
    }
    for (int frame = 0; frame < 20; ++frame) draw_ribbons(197);
    EXPECT_TRUE(guarded.guard_intact());
}

TEST(Blends, IgnoreTheTopByte) {
    EXPECT_EQ(blend_average(0x12345678, 0x00ABCDEF), 0x006F91B3u);
    EXPECT_EQ(blend_multiply(0xFF000000, 0xFFFFFFFF), 0u);
    EXPECT_EQ(blend_add(0xFF000001, 0x01000001), 0x000002u);
}

TEST_F(Render, FillRectIsInclusiveAndRejectsOversizeRectangles) {
    fill_screen(0);
    fill_rect(2, 3, 5, 7, 0xABCDEF);
    EXPECT_EQ(std::tuple(count_pixels(0xABCDEF), scr(5, 7), scr(6, 7)), std::tuple(20, 0xABCDEFu, 0u));
    fill_rect(0, 0, 800, 0, 0x111111);  // 801 wide
    fill_rect(0, 0, 0, 700, 0x111111);  // 701 high
    fill_rect(5, 5, 4, 9, 0x111111);    // inverted
    EXPECT_EQ(count_pixels(0x111111), 0);
    fill_rect(0, 0, 799, 699, 0x01ABCDEF);  // the colour is stored as given, top byte and all
    EXPECT_EQ(count_pixels(0x01ABCDEF), SCREEN_W * SCREEN_H);

    // Status bands by cave: past cave 4 the band carries into the top byte; the strip's edges stay.
    fill_screen(BG);
    for (auto [cave, band] : {std::pair{0, 0x621600u}, {3, 0xf58e00u}, {4, 0x0126b600u}, {7, 0x01ba2e00u}}) {
        game.cave_index = cave;
        draw_status_bar(10);
        for (int k = 0; k < 27; ++k)
            for (int x : {1, 799}) EXPECT_EQ(scr(x, 644 + 2 * k), band);
    }
    for (int y = 639; y < 700; ++y) EXPECT_EQ(scr(0, y), BG);
    for (int y : {639, 642, 697, 699})
        for (int x = 0; x < 800; ++x) ASSERT_EQ(scr(x, y), BG) << x << "," << y;
}

TEST_F(Render, FontMetricsAndModes) {
    // Four 8-pixel cells: '!' inked in columns 2..6, '"' without ink, '#' in column 3 only, '$'
    // everywhere with ink of value 1; five spare rows make no cell.
    fill_screen(BG);
    replace(gfx.font_image, image(8, 37));
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            if (c >= 2 && c <= 6) px(gfx.font_image, c, r) = INK;
            if (c == 3) px(gfx.font_image, c, 16 + r) = 0x00FF0000;
            px(gfx.font_image, c, 24 + r) = 1;
        }
    build_font_metrics();
    const int left[] = {2, 8, 3, 0}, width[] = {4, -8, 0, 7};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(std::pair(gfx.glyph_left[k], gfx.glyph_width[k]), std::pair(left[k], width[k]));
    draw_glyph(300, 50, '!', 2, 0);             // an unnamed mode copies; the last inked column is never drawn
    draw_glyph(200, 50, '$', GLYPH_SHADOW, 0);  // ink of value 1 darkens only slightly
    EXPECT_EQ(std::tuple(scr(300, 50), scr(303, 57), scr(304, 50), scr(200, 50)),
              std::tuple(INK, INK, BG, blend_multiply(0x00FFFFFE, BG)));
}

TEST_F(Render, SheetsAndTheTitlePictureAreReadAtTheirRowWidthsWhateverThePitch) {
    fill_screen(BG);
    Pixels sheet(250 * 140);  // rows 250 words apart: a copy through the pitch would show other words
    for (std::size_t k = 0; k < sheet.size(); ++k) sheet[k] = static_cast<std::uint32_t>(k);
    sheet[5 * 196 + 10] = WHITE;  // frame 0, pixel (9, 4)
    replace(gfx.player_sheet, SDL_CreateRGBSurfaceFrom(sheet.data(), 196, 140, 32, 1000, 0xFF0000, 0xFF00, 0xFF, 0));
    const int cases[][3] = {{0, 0, 0}, {0, -1, 0}, {1, -1, 1}, {1, 1, 2}, {-1, 1, 3}, {-1, 0, 3}};
    for (int n = 0; n < 6; ++n) {
        game.face_dx = cases[n][0];
        game.face_dy = cases[n][1];
        draw_player(n, 1);  // frame f starts at sheet pixel (1, 32f + 1)
        EXPECT_EQ(scr(32 * n + 31, 63), static_cast<std::uint32_t>((32 * cases[n][2] + 32) * 196 + 32)) << n;
    }
    EXPECT_EQ(scr(9, 36), BG);
    replace(gfx.tile_sheet, image(32, 128, 0x00FFFFFE));  // only exact white is transparent
    draw_tile(3, 4, 2);
    EXPECT_EQ(scr(100, 130), 0x00FFFFFEu);

    Pixels picture(700 * 480);  // the title picture's rows 700 pixels apart
    for (std::size_t k = 0; k < picture.size(); ++k) picture[k] = static_cast<std::uint32_t>(k) + 1;
    replace(gfx.title_image, SDL_CreateRGBSurfaceFrom(picture.data(), 640, 480, 32, 2800, 0xFF0000, 0xFF00, 0xFF, 0));
    now_ms = 1;
    title_frame();
    for (int y : {100, 101, 350, 578})
        for (int j : {0, 6, 638}) EXPECT_EQ(scr(80 + j, y), picture[static_cast<std::size_t>(640 * (y - 100) + j)]);
    EXPECT_EQ(scr(80, 579), PEACH) << "picture row 479 never shows";
    replace(gfx.title_image, image(5, 50, 0x00123456));  // a smaller picture is clipped to its size
    now_ms = 100;
    title_frame();
    EXPECT_EQ(std::tuple(scr(84, 149), scr(85, 149), scr(84, 150)), std::tuple(0x00123456u, PEACH, PEACH));
}

// The quick drawing routines against plain pixel-by-pixel references, on what the golden pictures
// and digests never show: regions over every edge of the screen, odd and tiny sizes, glyphs cut
// by the screen's edges, tiles half off it, fonts too wide for the ink masks, title frames drawn
// over the last one. (The pictures the
// game draws are pinned by the goldens and test_digests.cpp.)
#include "tests/support/test_env.h"

#include "app/title.h"
#include "render/canvas.h"
#include "render/cave_draw.h"
#include "render/font.h"
#include "render/sprites.h"
#include "sim/game_state.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

using namespace test_env;
using FastDrawing = GameTest;

namespace {

// Every pixel of the screen, row by row.
Pixels screen_pixels() {
    Pixels out;
    for (int y = 0; y < SCREEN_H; ++y)
        for (int x = 0; x < SCREEN_W; ++x) out.push_back(scr(x, y));
    return out;
}

// A screen of noise, the top byte included, the same for the same seed.
void noise(unsigned seed) {
    std::uint32_t v = seed * 2654435761u + 1;
    for (int y = 0; y < SCREEN_H; ++y)
        for (int x = 0; x < SCREEN_W; ++x) {
            v ^= v << 13, v ^= v >> 17, v ^= v << 5;
            scr(x, y) = v;
        }
}

// The blur as first written: 25 clipped reads per 2 by 3 block, straight from the screen.
void reference_blur(int x1, int y1, int x2, int y2) {
    constexpr std::array<int, 5> offsets{-4, -3, 0, 2, 3};
    const auto read = [](int x, int y) {
        return x < 0 || y < 0 || x >= SCREEN_W || y >= SCREEN_H ? 0u : scr(x, y) & 0xFFFFFFu;
    };
    std::uint32_t tr = 0, tg = 0, tb = 0;
    for (int ay = y1 + 3; ay < y2 - 4; ay += 3) {
        for (int ax = x1 + 4; ax < x2 - 3; ax += 2) {
            std::uint32_t sr = 0, sg = 0, sb = 0;
            for (int dy : offsets)
                for (int dx : offsets) {
                    const std::uint32_t p = read(ax + dx, ay + 1 + dy);
                    sr += p >> 16, sg += (p >> 8) & 0xFF, sb += p & 0xFF;
                }
            tr = (tr + sr) / 26, tg = (tg + sg) / 26, tb = (tb + sb) / 26;
            for (int y = ay - 1; y <= ay + 1; ++y)
                for (int x = ax - 1; x <= ax; ++x)
                    if (x >= 0 && y >= 0 && x < SCREEN_W && y < SCREEN_H) scr(x, y) = tr * 65536 + tg * 256 + tb;
        }
    }
}

}  // namespace

TEST_F(FastDrawing, TheBlurMatchesTheBlockByBlockReading) {
    // Regions too small for a block, one block, odd sizes, over each edge and corner, the whole screen.
    const std::array<std::array<int, 4>, 14> regions{{{10, 10, 17, 17},
                                                      {10, 10, 18, 18},
                                                      {10, 10, 19, 19},
                                                      {100, 200, 137, 251},
                                                      {-30, -30, 40, 40},
                                                      {-7, 300, 25, 333},
                                                      {760, 660, 830, 730},
                                                      {785, 10, 805, 60},
                                                      {300, -9, 341, 7},
                                                      {300, 690, 341, 711},
                                                      {-3, -3, 802, 702},
                                                      {1, 1, 798, 644},
                                                      {400, 400, 390, 390},
                                                      {-100, -100, -20, -20}}};
    for (const auto& [x1, y1, x2, y2] : regions) {
        noise(static_cast<unsigned>(x1 * 31 + y2));
        blur_region(x1, y1, x2, y2);
        const Pixels fast = screen_pixels();
        noise(static_cast<unsigned>(x1 * 31 + y2));
        reference_blur(x1, y1, x2, y2);
        ASSERT_EQ(fast, screen_pixels()) << x1 << "," << y1 << " " << x2 << "," << y2;
    }
}

TEST_F(FastDrawing, TheShiftsUpMatchThePixelByPixelFilters) {
    // Widths around the four pixels done at once, over each edge, the top row, nothing at all.
    const std::array<std::array<int, 4>, 7> regions{{{10, 10, 13, 20},
                                                     {10, 10, 16, 20},
                                                     {33, 40, 52, 61},
                                                     {-5, -5, 30, 9},
                                                     {780, 690, 809, 709},
                                                     {0, 0, 799, 699},
                                                     {50, 50, 51, 51}}};
    for (const auto& [x1, y1, x2, y2] : regions)
        for (const bool grey : {false, true}) {
            noise(static_cast<unsigned>(x2 + y1));
            const Pixels before = screen_pixels();
            (grey ? gray_shift_up : fade_shift_up)(x1, y1, x2, y2);
            for (int y = 0; y < SCREEN_H; ++y)
                for (int x = 0; x < SCREEN_W; ++x) {
                    const bool moved = x > x1 && x < x2 - 1 && y >= y1 && y < y2 - 2 && y + 1 < SCREEN_H;
                    std::uint32_t want = before[static_cast<std::size_t>(y * SCREEN_W + x)];
                    if (moved) {
                        const std::uint32_t c = before[static_cast<std::size_t>((y + 1) * SCREEN_W + x)] & 0xFFFFFFu;
                        const std::uint32_t r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF, v = (r + g + b) / 3;
                        want = grey ? v * 0x10101u : (r - r / 8) << 16 | (g - g / 8) << 8 | (b - b / 8);
                    }
                    ASSERT_EQ(scr(x, y), want) << x << "," << y << " in " << x1 << "," << y1 << " " << x2 << "," << y2;
                }
        }
}

TEST_F(FastDrawing, AFillAroundAHoleIsTheFillSaveTheHole) {
    // Holes inside, over an edge, past the rectangle, empty or inverted; rectangles clipped or refused.
    const std::array<std::array<int, 8>, 8> cases{{{0, 0, 799, 699, 79, 99, 719, 579},
                                                   {79, 99, 719, 579, 80, 100, 718, 578},
                                                   {79, 99, 719, 579, 80, 100, 84, 149},
                                                   {10, 10, 50, 50, 40, -5, 90, 20},
                                                   {10, 10, 50, 50, 60, 60, 70, 70},
                                                   {10, 10, 50, 50, 30, 30, 29, 40},
                                                   {-20, 680, 30, 720, 0, 690, 5, 695},
                                                   {0, 0, 800, 10, 2, 2, 3, 3}}};
    for (const auto& [x1, y1, x2, y2, hx1, hy1, hx2, hy2] : cases) {
        noise(5);
        const Pixels before = screen_pixels();
        fill_rect_around(x1, y1, x2, y2, hx1, hy1, hx2, hy2, 0x01234567);
        const Pixels around = screen_pixels();
        noise(5);
        fill_rect(x1, y1, x2, y2, 0x01234567);
        const Pixels whole = screen_pixels();
        for (int y = 0; y < SCREEN_H; ++y)
            for (int x = 0; x < SCREEN_W; ++x) {
                const auto i = static_cast<std::size_t>(y * SCREEN_W + x);
                const bool in_hole = x >= hx1 && x <= hx2 && y >= hy1 && y <= hy2;
                ASSERT_EQ(around[i], in_hole ? before[i] : whole[i]) << x << "," << y << " case " << x1 << "," << y1;
            }
    }
}

TEST_F(FastDrawing, GlyphsThroughTheInkMasksMatchThePixelByPixelLoop) {
    // A 13-pixel font with ragged ink, values with and without a top byte; every mode, at and over
    // each edge of the screen.
    replace(gfx.font_image, image(13, 13 * 94));
    std::srand(3);
    for (int y = 0; y < 13 * 94; ++y)
        for (int x = 0; x < 13; ++x)
            if (std::rand() % 3 == 0) px(gfx.font_image, x, y) = static_cast<std::uint32_t>(std::rand()) | 1u;
    build_font_metrics();
    ASSERT_TRUE(gfx.glyph_ink_built);
    const auto draw_all = [] {
        int n = 0;
        for (int x : {-12, -5, 0, 300, 790, 795, 799})
            for (int y : {-12, -3, 0, 350, 690, 697, 699})
                for (int mode : {GLYPH_ADD, GLYPH_SHADOW, GLYPH_AVERAGE, 2})
                    draw_glyph(x, y, '!' + n++ % 94, mode, 0x4080C0);
        draw_text(-20, 688, "Score: 12 ~}|{", 0x1f3020);
    };
    noise(9);
    draw_all();
    const Pixels masked = screen_pixels();
    gfx.glyph_ink_built = false;  // the loop that tests every pixel
    noise(9);
    draw_all();
    EXPECT_EQ(masked, screen_pixels());
    // A font wider than the masks draws through the plain loop.
    replace(gfx.font_image, image(65, 65 * 94, 0x00FFFFFF));
    build_font_metrics();
    EXPECT_FALSE(gfx.glyph_ink_built);
    fill_screen(0);
    draw_glyph(10, 10, 'A', 2, 0);
    EXPECT_EQ(std::pair(scr(10, 10), scr(10 + 63, 10 + 64)), std::pair(0x00FFFFFFu, 0x00FFFFFFu));
}

TEST_F(FastDrawing, TilesOnAndPartlyOffTheScreenKeepTheScreenUnderWhite) {
    // A tile sheet of noise with exact white scattered through it, and white with a top byte.
    replace(gfx.tile_sheet, image(32, 128));
    std::srand(4);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 32; ++x) {
            const int r = std::rand() % 4;
            px(gfx.tile_sheet, x, y) = r == 0   ? 0x00FFFFFF
                                       : r == 1 ? 0xFFFFFFFF
                                                : static_cast<std::uint32_t>(std::rand());
        }
    // Tile 2 without exact white: its whole rows are copied straight.
    for (int y = 64; y < 96; ++y)
        for (int x = 0; x < 32; ++x)
            if (px(gfx.tile_sheet, x, y) == 0x00FFFFFF) px(gfx.tile_sheet, x, y) = 0x00FFFFFE;
    note_opaque_tiles();
    ASSERT_EQ(std::vector<bool>(gfx.tile_opaque.begin(), gfx.tile_opaque.begin() + 5),
              (std::vector<bool>{false, false, true, false, false}));
    noise(11);
    const Pixels before = screen_pixels();
    for (int col : {-1, 0, 3, 24, 25})
        for (int row : {-1, 0, 7, 21, 22}) draw_tile(col, row, (col + row + 5) % 4);
    for (int col : {-1, 0, 3, 24, 25})
        for (int row : {-1, 0, 7, 21, 22})
            for (int i = 0; i < 32; ++i)
                for (int j = 0; j < 32; ++j) {
                    const int x = 32 * col + j, y = 32 * row + i;
                    if (x < 0 || y < 0 || x >= SCREEN_W || y >= SCREEN_H) continue;
                    const std::uint32_t s = px(gfx.tile_sheet, j, 32 * ((col + row + 5) % 4) + i);
                    const auto k = static_cast<std::size_t>(y * SCREEN_W + x);
                    ASSERT_EQ(scr(x, y), s == 0x00FFFFFF ? before[k] : s) << x << "," << y;
                }
}

TEST_F(FastDrawing, BlastSparksAreTheRectanglesTheirDrawsName) {
    // Every stage in every cell: drawn once as the game does, then again from the same numbers
    // with a rectangle per spark.
    Rows rows(CAVE_H, std::string(CAVE_W, '7'));
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x)
            rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = "234567"[(x + y) % 6];
    set_cave(rows);
    game.cave_start_time = game.frame_clock = 0;  // no hurry text: time is left
    noise(12);
    std::srand(21);
    draw_cave();
    const Pixels fast = screen_pixels();
    noise(12);
    std::srand(21);
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x) {
            const int code = "234567"[(x + y) % 6];
            const int X = 32 * x, Y = 32 * y;
            fill_rect(X, Y, X + 32, Y + 32, 0);
            const std::uint32_t base = (26u * static_cast<std::uint32_t>(code) - 1234u) * 0x10100u + 0x3C2163u;
            for (int n = 0; n < 26 * (code - '1'); ++n) {
                const int a = std::rand() % 25, b = std::rand() % 25;
                const auto c = static_cast<std::uint32_t>(std::rand() % 99);
                const int d = std::rand() % 3, e = std::rand() % 3;
                fill_rect(X + a + 1, Y + b + 1, X + a + e + 2, Y + b + d + 2, base + c);
            }
        }
    EXPECT_EQ(fast, screen_pixels());
}

TEST_F(FastDrawing, ATitleFrameOverTheLastOneIsTheWholeFrame) {
    // A picture of noise, so a square put back from the wrong place shows; the ribbons leap
    // between frames, so every square the last frame drew must be put back.
    replace(gfx.title_image, image(640, 480));
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) px(gfx.title_image, x, y) = static_cast<std::uint32_t>(x * 7919 + y * 104729);
    for (int k = 0; k < 8; ++k) {
        game.ribbon_phase_a += 0.7f * static_cast<float>(k);
        const float a = game.ribbon_phase_a, b = game.ribbon_phase_b;
        roll = k;
        now_ms = static_cast<std::uint32_t>(game.step_clock) + 1;
        title_frame();
        ASSERT_TRUE(gfx.title_on_screen);
        const Pixels over = screen_pixels();
        // The same frame again on a screen of noise that nothing says holds a title frame.
        game.ribbon_phase_a = a, game.ribbon_phase_b = b, game.step_clock -= 55;
        noise(static_cast<unsigned>(k));
        gfx.title_on_screen = false;
        title_frame();
        ASSERT_EQ(over, screen_pixels()) << "frame " << k;
    }
    // Any other picture shown between two title frames has the next one drawn whole.
    noise(99);
    present_screen();
    now_ms = static_cast<std::uint32_t>(game.step_clock) + 1;
    title_frame();
    EXPECT_EQ(scr(0, 0), 0x494746u);
}

// The status bar: its bands by cave, the remaining time and the theme labels.
#include "tests/support/test_env.h"

#include "render/status_bar.h"

using namespace test_env;
using RenderTest = GameTest;

constexpr std::uint32_t OLD = 0x00ABCDEF, BAND0 = 0x621600;

// A line's first ink pixel (cell column 1, row 1): the glow added to the background, then mixed with the ink.
std::uint32_t first_ink(std::uint32_t glow, std::uint32_t bg) { return blend_average(0xC0C0C0, blend_add(glow, bg)); }

TEST_F(RenderTest, StatusBandsWrapWithTheCaveAndLeaveTheStripEdgesAlone) {
    fill_screen(OLD);
    for (auto [cave, band] : {std::pair{0, BAND0}, {3, 0xf58e00u}, {4, 0x0126b600u}, {7, 0x01ba2e00u}}) {
        game.cave_index = cave;
        draw_status_bar(10);
        for (int k = 0; k < 27; ++k)
            for (int x : {1, 799}) EXPECT_EQ(scr(x, 644 + 2 * k), band);
    }
    for (int y = 639; y < 700; ++y) EXPECT_EQ(scr(0, y), OLD);
    for (int y : {639, 642, 697, 699})
        for (int x = 0; x < 800; ++x) ASSERT_EQ(scr(x, y), OLD) << x << "," << y;
}

TEST_F(RenderTest, StatusTimeTurnsRedAtFiveAndThemeLabelsLightIn220MsTurns) {
    for (int seconds : {6, 5}) {
        draw_status_bar(seconds);  // "Time" at (15, 675): first ink on band row 676
        EXPECT_EQ(scr(16, 676), first_ink(seconds <= 5 ? 0xff0000 : 0xffffff, BAND0));
    }
    EXPECT_EQ(std::string(gfx.text_buffer.data()), "Lives: 0");
    const int lx[3] = {488, 486, 486}, ly[3] = {646, 663, 681};
    const std::uint32_t bg[3] = {BAND0, 44 + 8 * 10, 44 + 8 * 19};
    for (auto [clock, lit] :
         {std::pair{219, 0}, {220, 1}, {439, 1}, {440, 2}, {879, 3}, {880, 0}, {1980, 0}, {2200, 1}}) {
        game.frame_clock = clock;
        draw_status_bar(10);
        for (int n = 0; n < 3; ++n)
            EXPECT_EQ(scr(lx[n], ly[n]), first_ink(lit == n + 1 ? 0xffcf00 : 0x9a1099, bg[n])) << clock << " " << n;
    }
}

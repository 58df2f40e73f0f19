// Effects: the title ribbons' phases, the sparks orbiting the player and the cave-complete frame.
#include "tests/support/test_env.h"

#include "render/effects.h"

#include <cmath>

using namespace test_env;
using RenderTest = GameTest;

float add_in_double(float phase, double by) { return static_cast<float>(static_cast<double>(phase) + by); }

TEST_F(RenderTest, RibbonPhasesMoveOnEveryCallAndPerSquareInSinglePrecision) {
    draw_ribbons(0);
    draw_ribbons(198);
    EXPECT_EQ(scr(380, 310) | scr(669, 559), 0u);  // nothing drawn
    EXPECT_EQ(game.ribbon_phase_a, add_in_double(add_in_double(0.0f, 0.06), 0.06));
    game.ribbon_phase_b = 1000.0f;  // large enough that each step's rounding shows
    draw_ribbons(197);
    float b = add_in_double(1000.0f, 0.01);
    for (int i = 0; i < 197; ++i) b = add_in_double(b, 0.0003);
    EXPECT_EQ(game.ribbon_phase_b, b);
}

TEST_F(RenderTest, OrbitSparkIsAColouredCornerWithABlackShadowAroundItsCell) {
    fill_screen(0x00203040);
    game.frame_clock = 1001;  // t = 500
    game.player_x = game.player_y = 10;
    game.prev_x = 5;
    game.prev_y = 6;
    for (auto [j, col, row, colour] : {std::tuple{2, 10, 10, 0x00DCA9FAu}, {3, 5, 6, 0x00E6A9FAu}, {12, 5, 6, 0x0140A9FAu}}) {
        draw_orbit_spark(j);
        const int x = static_cast<int>(std::sin(500 + j / 2) * (j + 20)) + 32 * col + 14;
        const int y = static_cast<int>(std::cos(500 + j) * (j + 14)) + 32 * row + 14;
        EXPECT_EQ(std::tuple(scr(x, y), scr(x + 2, y), scr(x, y + 2), scr(x + 1, y + 1), scr(x + 3, y + 3), scr(x + 3, y)),
                  std::tuple(colour, colour, colour, 0u, 0u, 0x00203040u))
            << j;
    }
}

TEST_F(RenderTest, SparksAndRibbonsWriteOnlyInsideTheScreen) {
    GuardedScreen guarded;
    for (auto [cx, cy] : {std::pair{0, 0}, {24, 0}, {0, 19}, {24, 19}}) {
        game.player_x = game.prev_x = cx;
        game.player_y = game.prev_y = cy;
        for (game.frame_clock = 0; game.frame_clock < 20000; game.frame_clock += 100)
            for (int j = 0; j < 13; ++j) draw_orbit_spark(j);
    }
    for (int frame = 0; frame < 120; ++frame) draw_ribbons(197);
    EXPECT_TRUE(guarded.guard_intact());
}

TEST_F(RenderTest, CongratsFrameTakesOneDrawAndShowsItself) {
    EXPECT_EQ(rand_draws([] { draw_congrats_frame(68); }), 1);
    EXPECT_EQ(frames, std::vector<FrameKind>{FrameKind::congrats});
    int inked = 0;  // the line has fallen to 3 * 68 + 190 = 394: its first ink row is 395
    for (int x = 290; x < 500; ++x) inked += (scr(x, 395) != 0) - 100 * (scr(x, 394) != 0);
    EXPECT_GT(inked, 0);
}

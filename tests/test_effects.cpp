// Effects: sparks and ribbons stay on the screen; the cave-complete frame.
// (Where sparks and ribbons land is pinned by the golden pictures.)
#include "tests/support/test_env.h"

#include "render/effects.h"

using namespace test_env;
using RenderTest = GameTest;

TEST_F(RenderTest, SparksAndRibbonsWriteOnlyInsideTheScreen) {
    GuardedScreen guarded;
    for (auto [cx, cy] : {std::pair{0, 0}, {24, 0}, {0, 19}, {24, 19}}) {
        game.player_x = game.prev_x = cx;
        game.player_y = game.prev_y = cy;
        for (game.frame_clock = 0; game.frame_clock < 20000; game.frame_clock += 100)
            for (int j = 0; j < 13; ++j) draw_orbit_spark(j);
    }
    for (int frame = 0; frame < 20; ++frame) draw_ribbons(197);
    EXPECT_TRUE(guarded.guard_intact());
}

TEST_F(RenderTest, CongratsFrameTakesOneDrawAndShowsItself) {
    EXPECT_EQ(rand_draws([] { draw_congrats_frame(68); }), 1);
    EXPECT_EQ(frames, std::vector<FrameKind>{FrameKind::congrats});
    int inked = 0;  // the line has fallen to 3 * 68 + 190 = 394: its first ink row is 395
    for (int x = 290; x < 500; ++x) inked += (scr(x, 395) != 0) - 100 * (scr(x, 394) != 0);
    EXPECT_GT(inked, 0);
}

// Drawing the cave: walls, the tiles and the cells drawn with rand() colours, how many draws
// each code makes, and the timed messages over the cave.
#include "tests/support/test_env.h"

#include "render/cave_draw.h"

using namespace test_env;
using RenderTest = GameTest;

constexpr std::uint32_t BG = 0x00777777, MORTAR = 0x222222, BRICK = 0xCCCCCC;

// A cave of one code (by default the inert '0', which draws nothing) with some cells set.
void cave(std::initializer_list<std::tuple<int, int, char>> cells, char fill = '0') {
    set_cave(std::vector<std::string>(20, std::string(25, fill)));
    for (auto [x, y, code] : cells) set_cell(x, y, static_cast<std::uint8_t>(code));
}

TEST_F(RenderTest, WallsAreBrickAndMortarIn33PixelBlocksThatStayOnTheScreen) {
    GuardedScreen guarded;
    fill_screen(BG);
    cave({}, '#');
    EXPECT_EQ(rand_draws([] { draw_cave(); }), 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 25; ++x)
            EXPECT_EQ(std::pair(scr(32 * x + 12, 32 * y + 5), scr(32 * x + 2, 32 * y + 5)), std::pair(MORTAR, BRICK));
    EXPECT_EQ(std::pair(scr(5, 640), scr(2, 641)), std::pair(MORTAR, BG));  // row 19 reaches y 640, no further
    EXPECT_TRUE(guarded.guard_intact());

    cave({{3, 4, '.'}, {5, 4, '#'}});  // the empty block covers 96..128; the wall paints from 160
    draw_cave();
    EXPECT_EQ(std::tuple(scr(95, 140), scr(96, 140), scr(128, 140), scr(129, 140), scr(100, 161), scr(160, 145)),
              std::tuple(MORTAR, 0u, 0u, MORTAR, MORTAR, BRICK));
}

TEST_F(RenderTest, DiamondsShowDirtBehindThemOnlyNextToDirt) {
    // The stand-in tiles have a white border: under a diamond's corner shows either what the
    // cell held before (the dirt tile is transparent there too) or the black block.
    fill_screen(BG);
    cave({{0, 2, '_'}, {1, 2, '*'}, {3, 2, '.'}, {4, 2, '*'}, {6, 2, '*'}, {7, 2, '_'}, {23, 2, '.'}, {24, 2, '*'}});
    roll = 1;  // the second diamond tile, the third of the sheet
    EXPECT_EQ(rand_draws(draw_cave), 4);
    const int at[] = {1, 4, 6, 24};
    const std::uint32_t behind[] = {BG, 0, BG, 0};
    for (int n = 0; n < 4; ++n)
        EXPECT_EQ(std::pair(scr(32 * at[n] + 1, 65), scr(32 * at[n] + 16, 80)), std::pair(behind[n], 0x203040u * 3));
}

TEST_F(RenderTest, RandomDrawsPerCellAndColourSumsThatCarry) {
    const std::pair<char, int> cases[] = {{'%', 49},  {'@', 49}, {'a', 3}, {'d', 3}, {'*', 1}, {'2', 130}, {'6', 650},
                                          {'7', 780}, {'1', 0},  {'S', 0}, {'E', 0}, {'o', 0}, {'H', 0},   {'x', 0}};
    for (auto [code, draws] : cases) {
        cave({{24, 19, code}});
        EXPECT_EQ(rand_draws([] { draw_cave(); }), draws) << code;
    }
    cave({{0, 0, '%'}, {1, 1, 'b'}, {3, 1, 'c'}, {5, 5, '7'}});
    roll = 5;
    draw_cave();
    EXPECT_EQ(std::tuple(scr(33, 33), scr(39, 39), scr(44, 44)), std::tuple(0x00FF05u, 0x000104u, 0xFF0104u));
    EXPECT_EQ(std::tuple(scr(97, 33), scr(103, 39), scr(108, 44)), std::tuple(0xFFFF05u, 0xCAA0B4u, 0xF00104u));
    int sparks = 0;  // a '7' spark's red has carried into the top byte
    for (int y = 160; y < 192; ++y)
        for (int x = 160; x < 192; ++x) sparks += scr(x, y) - 0x0100E563u < 99;
    EXPECT_GT(sparks, 0);
}

TEST_F(RenderTest, TimedMessagesFollowTheCaveSeconds) {
    const std::tuple<int, int, bool> cases[] = {{6999, 0, false}, {7000, 0, true},  {7999, 0, true}, {8000, 0, false},
                                                {9999, 0, false}, {10000, 3, true}, {25000, 3, true}};
    for (auto [elapsed, draws, boxed] : cases) {
        cave({});
        game.cave_start_time = 5000;
        game.frame_clock = 5000 + elapsed;
        game.ribbon_phase_a = 0.0f;
        fill_screen(BG);
        EXPECT_EQ(rand_draws([] { draw_cave(); }), draws) << elapsed;
        EXPECT_EQ(scr(285, 225) != BG, boxed) << elapsed;  // darkened by the backdrop
        EXPECT_EQ(game.ribbon_phase_a != 0.0f, draws == 3) << elapsed;
    }
}

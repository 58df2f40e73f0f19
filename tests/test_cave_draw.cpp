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
        for (int x = 0; x < 25; ++x) EXPECT_EQ(std::pair(scr(32 * x + 12, 32 * y + 5), scr(32 * x + 2, 32 * y + 5)), std::pair(MORTAR, BRICK));
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
    plat_srand(99);
    std::uint32_t tile[4];
    for (auto& t : tile) t = 0x203040u * static_cast<std::uint32_t>(2 + plat_rand() % 2);
    EXPECT_EQ(rand_draws([] { draw_cave(); }, 99), 4);
    const int at[] = {1, 4, 6, 24};
    const std::uint32_t behind[] = {BG, 0, BG, 0};
    for (int n = 0; n < 4; ++n) EXPECT_EQ(std::pair(scr(32 * at[n] + 1, 65), scr(32 * at[n] + 16, 80)), std::pair(behind[n], tile[n]));
}

TEST_F(RenderTest, RandomDrawsPerCellAndColourSumsThatCarry) {
    const std::pair<char, int> cases[] = {{'%', 49}, {'@', 49}, {'a', 3}, {'d', 3}, {'*', 1}, {'2', 130}, {'6', 650},
                                          {'7', 780}, {'1', 0}, {'S', 0}, {'E', 0}, {'o', 0}, {'H', 0}, {'x', 0}};
    for (auto [code, draws] : cases) {
        cave({{24, 19, code}});
        EXPECT_EQ(rand_draws([] { draw_cave(); }), draws) << code;
    }
    cave({{0, 0, '%'}, {1, 1, 'b'}, {3, 1, 'c'}, {5, 5, '7'}});
    plat_srand(7);
    for (int n = 0; n < 49; ++n) plat_rand();
    std::uint32_t r[6];
    for (auto& v : r) v = static_cast<std::uint32_t>(plat_rand() % 255);
    plat_srand(7);
    draw_cave();
    EXPECT_EQ(std::tuple(scr(33, 33), scr(39, 39), scr(44, 44)), std::tuple(0x00FF00 + r[0], 0x0000FF + r[1], 0xFF00FF + r[2]));
    EXPECT_EQ(std::tuple(scr(97, 33), scr(103, 39), scr(108, 44)), std::tuple(0xFFFF00 + r[3], 0xCAA0AF + r[4], 0xF000FF + r[5]));
    int sparks = 0;  // a '7' spark's red has carried into the top byte
    for (int y = 160; y < 192; ++y)
        for (int x = 160; x < 192; ++x) sparks += scr(x, y) - 0x0100E563u < 99;
    EXPECT_GT(sparks, 0);
}

TEST_F(RenderTest, TimedMessagesFollowTheCaveSeconds) {
    const std::tuple<int, int, bool> cases[] = {{6999, 0, false}, {7000, 0, true}, {7999, 0, true}, {8000, 0, false},
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

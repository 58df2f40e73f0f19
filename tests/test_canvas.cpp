// Pixel canvas: blends, rectangles, the shift-up filters and the blur, checked against worked
// examples and hand-computed pixels on an ordinary 800 by 700 surface.
#include "tests/support/test_env.h"

using namespace test_env;

class Canvas : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        fill_screen(0);
    }
    static int count_pixels(std::uint32_t value) {
        int n = 0;
        for (int y = 0; y < SCREEN_H; ++y)
            for (int x = 0; x < SCREEN_W; ++x) n += scr(x, y) == value;
        return n;
    }
    static std::uint32_t& px(int x, int y) { return scr(x, y); }
};

TEST(Blends, WorkedExamplesAndTopByteIgnored) {
    EXPECT_EQ(blend_average(0x00FF0301, 0x00010200), 0x00800200u);
    EXPECT_EQ(blend_average(0x12345678, 0x00ABCDEF), 0x006F91B3u);
    EXPECT_EQ(blend_average(0x01ABCDEF, 0), 0x00556677u);
    EXPECT_EQ(blend_multiply(0xFFFFFF, 0xFFFFFF), 0xFEFEFEu);
    EXPECT_EQ(blend_multiply(0xFF000000, 0xFFFFFFFF), 0u);
    EXPECT_EQ(blend_add(0xF08010, 0x204020), 0xFFC030u);
    EXPECT_EQ(blend_add(0xFF000001, 0x01000001), 0x000002u);
}

TEST_F(Canvas, FillRectIsInclusiveRejectsOversizeRectanglesAndClipsToTheScreen) {
    fill_rect(4, 4, 4, 4, 0x123456);
    EXPECT_EQ(std::pair(count_pixels(0x123456), px(4, 4)), std::pair(1, 0x123456u));
    fill_rect(2, 3, 5, 7, 0xABCDEF);
    EXPECT_EQ(std::tuple(count_pixels(0xABCDEF), px(5, 7), px(6, 7)), std::tuple(20, 0xABCDEFu, 0u));
    fill_rect(0, 0, 800, 0, 0x111111);  // 801 wide
    fill_rect(0, 0, 0, 700, 0x111111);  // 701 high
    fill_rect(5, 5, 4, 9, 0x111111);    // inverted
    EXPECT_EQ(count_pixels(0x111111), 0);
    fill_rect(0, 0, 799, 699, 0x01ABCDEF);  // the colour is stored as given, top byte and all
    EXPECT_EQ(count_pixels(0x01ABCDEF), SCREEN_W * SCREEN_H);

    // Rectangles and filter regions reaching past the edges write only inside the screen.
    GuardedScreen guarded;
    fill_rect(-10, -10, 5, 5, 0x777777);
    fill_rect(790, 690, 805, 710, 0x777777);
    EXPECT_EQ(std::pair(px(0, 0), px(799, 699)), std::pair(0x777777u, 0x777777u));
    fade_shift_up(-20, -20, 30, 30);
    gray_shift_up(780, 680, 830, 730);
    blur_region(-30, -30, 40, 40);
    blur_region(760, 660, 830, 730);
    EXPECT_TRUE(guarded.guard_intact());
}

TEST_F(Canvas, ShiftUpMovesTheInnerPartOneRowAndFiltersIt) {
    // A 3 by 3 region changes exactly one pixel: (x+1, y) takes the faded (x+1, y+1).
    for (int y = 10; y <= 13; ++y)
        for (int x = 10; x <= 13; ++x) px(x, y) = 0xFF0810;
    px(11, 11) = 0x01FF0810;  // the top byte is ignored on read
    fade_shift_up(10, 10, 13, 13);
    EXPECT_EQ(std::tuple(px(11, 10), px(10, 10), px(12, 10), px(11, 11)),
              std::tuple(0x00E0070Eu, 0xFF0810u, 0xFF0810u, 0x01FF0810u));  // 255-31, 8-1, 16-2
    px(51, 51) = 0x080707;                                                  // the fade stops below eight
    fade_shift_up(50, 50, 53, 53);
    EXPECT_EQ(px(51, 50), 0x070707u);

    // Rows y1+1..y2-2 land on y1..y2-3; row y2-2 keeps its content.
    for (int y = 100; y <= 110; ++y) fill_rect(100, y, 110, y, static_cast<std::uint32_t>(y));
    gray_shift_up(100, 100, 110, 110);
    for (int y = 100; y <= 107; ++y) EXPECT_EQ(px(105, y), static_cast<std::uint32_t>(y + 1) / 3 * 0x010101) << y;
    // Column x1+1 moves, columns x1 and x2-1 do not.
    EXPECT_EQ(std::tuple(px(105, 108), px(101, 100), px(100, 100), px(109, 100)),
              std::tuple(108u, 101u / 3 * 0x010101, 100u, 100u));

    px(300, 301) = 0x00FFFFFE;
    gray_shift_up(299, 300, 302, 303);
    EXPECT_EQ(px(300, 300), 0x00FEFEFEu);

    // Nothing changes for regions of width or height 2 or less.
    px(401, 401) = 0x808080;
    fade_shift_up(400, 400, 402, 410);
    fade_shift_up(400, 400, 410, 402);
    EXPECT_EQ(px(401, 400), 0u);
}

TEST_F(Canvas, BlurSamplesAreLopsidedAndTotalsCarry) {
    // A single bright pixel at offset (+4, +4) from the anchor's sample centre is not sampled.
    px(5 + 4, 5 + 4) = 0xFFFFFF;
    blur_region(1, 1, 9, 9);
    EXPECT_EQ(px(4, 3), 0u);
    // At (+3, +3) it is: 255/26 = 9.
    px(5 + 3, 5 + 3) = 0xFFFFFF;
    blur_region(1, 1, 9, 9);
    EXPECT_EQ(px(4, 3), 0x090909u);

    // Two blocks in a row of a uniform area: the second carries the first's total.
    fill_rect(200, 200, 260, 260, 0x0000FF);
    blur_region(210, 210, 221, 219);  // anchors X = 214, 216; Y = 213
    EXPECT_EQ(px(213, 212), 245u);
    // Its samples include one pixel the first block wrote back.
    EXPECT_EQ(px(215, 212), (245u + 24 * 255 + 245) / 26);
}

// The font: glyph metrics from the strip, drawing modes, text advances and clipping.
#include "tests/support/test_env.h"

#include "render/font.h"

using namespace test_env;
using RenderTest = GameTest;

constexpr std::uint32_t BG = 0x00808080, INK = 0x00204060;

TEST_F(RenderTest, FontMetricsModesPassesAndAdvances) {
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

    // '!' is 4 columns and advances 5, the space 8 / 2, the inkless '"' moves back 7, so the
    // second '!' covers 102..105; a control code, a byte from 128 and '%' (no cell) do nothing.
    const std::uint32_t lit = blend_add(0x00102030, BG), shade = INK ^ 0xFFFFFFu;
    draw_text(100, 10, "! \"\x01\x80%!", 0x00102030);
    EXPECT_EQ(scr(100, 10), blend_average(INK, lit));                         // glow, mix
    EXPECT_EQ(scr(101, 11), blend_average(INK, blend_multiply(shade, lit)));  // glow, shadow, mix
    EXPECT_EQ(scr(101, 18), blend_multiply(shade, BG));                       // shadow alone
    EXPECT_EQ(scr(102, 10), blend_average(INK, blend_add(0x00102030, blend_average(INK, lit))));
    EXPECT_EQ(std::tuple(scr(101, 10), scr(105, 10), scr(106, 10)), std::tuple(scr(100, 10), scr(100, 10), BG));
}

TEST_F(RenderTest, WideTextIsClippedToTheScreen) {
    GuardedScreen guarded;
    replace(gfx.font_image, image(40, 40 * 94, 0x00FFFFFF));
    build_font_metrics();
    draw_text(735, 683, "...enjoy", 0x1f3020);
    draw_text(-50, -20, "MMMM", 0xFFFFFF);
    draw_glyph(790, -30, 'M', 2, 0);
    EXPECT_TRUE(guarded.guard_intact());
    EXPECT_TRUE(scr(799, 699) && scr(0, 0) && scr(799, 0));
}

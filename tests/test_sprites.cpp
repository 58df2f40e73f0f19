// Sprites: tiles with exact-white transparency, the player's frames by facing, and clipping.
#include "tests/support/test_env.h"

#include "render/sprites.h"

using namespace test_env;
using RenderTest = GameTest;

constexpr std::uint32_t BG = 0x00123456;

TEST_F(RenderTest, TilesLeaveOnlyExactWhiteOutAndPlayerFramesUseRowsOf196) {
    fill_screen(BG);
    replace(gfx.tile_sheet, image(32, 128, 0x00FFFFFE));  // near white is copied
    px(gfx.tile_sheet, 5, 64 + 7) = WHITE;
    draw_tile(3, 4, 2);
    EXPECT_EQ(std::tuple(scr(101, 135), scr(96, 128), scr(127, 159), scr(128, 159), scr(127, 160)),
              std::tuple(BG, 0x00FFFFFEu, 0x00FFFFFEu, BG, BG));

    // The sheet's rows lie 250 words apart in memory: a copy through the pitch would show other words.
    Pixels sheet(250 * 140);
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
}

TEST_F(RenderTest, SpritesOffTheScreenOrFromTooSmallSheetsWriteNothingOutside) {
    GuardedScreen guarded;
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
    EXPECT_TRUE(guarded.guard_intact());
    EXPECT_EQ(scr(0, 0) & scr(799, 699), 0x00445566u);
}

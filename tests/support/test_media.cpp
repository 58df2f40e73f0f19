#include "tests/support/test_media.h"

#include "render/canvas.h"
#include "render/font.h"
#include "sim/game_state.h"

namespace test_env {

namespace {

SDL_Surface* make_surface(int w, int h, std::uint32_t fill) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_FillRect(s, nullptr, fill);
    return s;
}

void free_surface(SDL_Surface*& s) {
    if (s) SDL_FreeSurface(s);
    s = nullptr;
}

}  // namespace

void make_media() {
    free_media();
    // A font of 8-pixel cells with a 4 by 6 block of ink in each.
    constexpr int cell = 8;
    game.font_image = make_surface(cell, cell * 94, 0);
    for (int k = 0; k < 94; ++k)
        for (int r = 1; r < 7; ++r)
            for (int c = 1; c < 6; ++c) *pixel_at(game.font_image, c, k * cell + r) = 0xC0C0C0;
    build_font_metrics();
    game.tile_sheet = make_surface(32, 128, 0x00FFFFFF);
    for (int t = 0; t < 4; ++t)
        for (int i = 4; i < 28; ++i)
            for (int j = 4; j < 28; ++j) *pixel_at(game.tile_sheet, j, t * 32 + i) = 0x203040u * static_cast<std::uint32_t>(t + 1);
    game.player_sheet = make_surface(196, 130, 0x00FFFFFF);
    for (int i = 8; i < 120; ++i) *pixel_at(game.player_sheet, 16, i) = 0x00FF00;
    game.title_image = make_surface(640, 480, 0x102030);
}

void free_media() {
    free_surface(game.font_image);
    free_surface(game.tile_sheet);
    free_surface(game.player_sheet);
    free_surface(game.title_image);
}

}  // namespace test_env

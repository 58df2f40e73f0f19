// Fuzz target: bitmap bytes. The first byte chooses the bitmap (player, tiles, title, font), the
// rest is its file. What the start-up checks and SDL accept goes in place of the stand-in, and
// text, every tile, the four player frames and a title frame are drawn from it, checked against
// the screen's fence.
#include "app/assets.h"
#include "app/title.h"
#include "fuzz/fuzz_support.h"
#include "render/canvas.h"
#include "render/font.h"
#include "render/sprites.h"
#include "sim/game_state.h"

#include <array>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::set_up_once();
    if (size < 1) return 0;
    constexpr std::array<BitmapNeed, 4> NEEDS{PLAYER_BITMAP, TILE_BITMAP, TITLE_BITMAP, FONT_BITMAP};
    const std::array<SDL_Surface**, 4> slots{&gfx.player_sheet, &gfx.tile_sheet, &gfx.title_image, &gfx.font_image};
    const std::size_t which = data[0] % 4;
    char message[512];
    SDL_Surface* accepted =
        bitmap_from_bytes(std::span(data + 1, size - 1), NEEDS[which], gfx.screen, message, sizeof message);
    if (!accepted) return 0;

    SDL_Surface* stand_in = *slots[which];
    *slots[which] = accepted;
    if (which == 3) build_font_metrics();
    if (which == 1) note_opaque_tiles();
    gfx.title_on_screen = false;  // the next title frame is drawn whole, from this picture
    draw_text(-3, 5, "Score: 12 !\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~", 0xFFFFFF);
    draw_text(700, 690, "Lives: 10", 0xFF0000);
    for (int tile = 0; tile < 4; ++tile) draw_tile(tile * 7 % 25, 19 - tile, tile);
    for (const auto& [dx, dy] : std::array<std::pair<int, int>, 4>{{{0, -1}, {1, 0}, {0, 1}, {-1, 0}}}) {
        game.face_dx = dx;
        game.face_dy = dy;
        draw_player(24 * (dx + 1) / 2, 19 * (dy + 1) / 2);
    }
    fuzz::now_ms = 1;
    game.frame_clock = game.step_clock = 0;
    title_frame();
    fuzz::check_fence();

    *slots[which] = stand_in;
    SDL_FreeSurface(accepted);
    if (which == 3) build_font_metrics();
    if (which == 1) note_opaque_tiles();
    gfx.title_on_screen = false;
    return 0;
}

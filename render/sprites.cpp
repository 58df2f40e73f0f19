#include "render/sprites.h"

#include "render/canvas.h"
#include "sim/game_state.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr int TILE_SHEET_W = 32;     // tile sheet row width in pixels, whatever its pitch
constexpr int PLAYER_SHEET_W = 196;  // player sheet row width in pixels, whatever its pitch
constexpr std::uint32_t TRANSPARENT = 0x00FFFFFF;

// True when the sheet's pixel memory holds every word up to (and including) word index last.
bool sheet_holds(const SDL_Surface* sheet, long last) {
    return sheet != nullptr && last < static_cast<long>(sheet->pitch / 4) * sheet->h;
}

// Four pixels at a time, with GCC's and clang's vector types.
using Quad = std::uint32_t __attribute__((vector_size(16)));

// A row of n pixels (a multiple of 4) copied but where the source is exact white. Masks rather
// than a branch per pixel, four pixels at a time.
void copy_keyed_row(const std::uint32_t* src, std::uint32_t* dst, int n) {
    for (int j = 0; j < n; j += 4) {
        Quad s, d;
        std::memcpy(&s, src + j, sizeof s);
        std::memcpy(&d, dst + j, sizeof d);
        const auto clear = reinterpret_cast<Quad>(s == TRANSPARENT);  // all ones where transparent
        d = (s & ~clear) | (d & clear);
        std::memcpy(dst + j, &d, sizeof d);
    }
}

// Copies a 32 by 32 block whose first source word is src (rows src_stride words apart) to the
// cell (col, row), leaving exact white out and keeping every write on the screen.
void copy_block(const std::uint32_t* src, int src_stride, int col, int row, bool opaque = false) {
    SDL_Surface* screen = gfx.screen;
    const int x0 = CELL_PX * col, y0 = CELL_PX * row;
    const int i_lo = std::max(0, -y0), i_hi = std::min(CELL_PX, screen->h - y0);
    const int j_lo = std::max(0, -x0), j_hi = std::min(CELL_PX, screen->w - x0);
    if (i_lo >= i_hi || j_lo >= j_hi) return;
    const int dst_stride = screen->pitch / 4;
    src += i_lo * src_stride;
    std::uint32_t* dst = pixel_at(screen, x0, y0 + i_lo);
    for (int i = i_lo; i < i_hi; ++i, src += src_stride, dst += dst_stride) {
        if (j_lo == 0 && j_hi == CELL_PX) {  // the block's whole row is on the screen
            if (opaque)
                std::memcpy(dst, src, CELL_PX * sizeof *dst);
            else
                copy_keyed_row(src, dst, CELL_PX);
            continue;
        }
        for (int j = j_lo; j < j_hi; ++j) {
            if (src[j] != TRANSPARENT) dst[j] = src[j];
        }
    }
}

}  // namespace

void draw_tile(int col, int row, int tile) {
    SDL_Surface* sheet = gfx.tile_sheet;
    // The last word of the tile; a sheet too small for it draws nothing rather than reading past its end.
    if (tile < 0 || !sheet_holds(sheet, (TILE_SHEET_W * tile + 31L) * TILE_SHEET_W + 31)) return;
    if (!lock_surface(sheet)) return;
    const auto* src = static_cast<const std::uint32_t*>(sheet->pixels) + TILE_SHEET_W * tile * TILE_SHEET_W;
    const auto t = static_cast<std::size_t>(tile);
    copy_block(src, TILE_SHEET_W, col, row, t < gfx.tile_opaque.size() && gfx.tile_opaque[t]);
    unlock_surface(sheet);
}

void note_opaque_tiles() {
    gfx.tile_opaque.fill(false);
    SDL_Surface* sheet = gfx.tile_sheet;
    if (!lock_surface(sheet)) return;
    const auto* pixels = static_cast<const std::uint32_t*>(sheet->pixels);
    for (int tile = 0; tile < static_cast<int>(gfx.tile_opaque.size()); ++tile) {
        const long first = TILE_SHEET_W * tile * TILE_SHEET_W;
        if (!sheet_holds(sheet, first + TILE_SHEET_W * TILE_SHEET_W - 1)) break;
        gfx.tile_opaque[static_cast<std::size_t>(tile)] =
            std::none_of(pixels + first, pixels + first + TILE_SHEET_W * TILE_SHEET_W,
                         [](std::uint32_t p) { return p == TRANSPARENT; });
    }
    unlock_surface(sheet);
}

void draw_player(int col, int row) {
    SDL_Surface* sheet = gfx.player_sheet;
    // Later tests override earlier ones: left beats down, down beats right.
    int frame = 0;
    if (game.face_dx == 1) frame = 1;
    if (game.face_dy == 1) frame = 2;
    if (game.face_dx == -1) frame = 3;
    // Frame f starts at sheet pixel (1, 32f + 1).
    const long first = (CELL_PX * frame + 1L) * PLAYER_SHEET_W + 1;
    if (!sheet_holds(sheet, first + 31L * PLAYER_SHEET_W + 31)) return;
    if (!lock_surface(sheet)) return;
    const auto* src = static_cast<const std::uint32_t*>(sheet->pixels) + first;
    copy_block(src, PLAYER_SHEET_W, col, row);
    unlock_surface(sheet);
}

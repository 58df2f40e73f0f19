#include "render/font.h"

#include "render/canvas.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace {

constexpr int FIRST_GLYPH = 33;  // '!' is cell 0
constexpr int LAST_GLYPH = 126;  // '~' is the last character with a cell
constexpr int MAX_CELLS = 256;

// Cells in the font image: square cells of the image's width stacked downwards.
int cell_count(const SDL_Surface* font) {
    if (font == nullptr || font->w <= 0) return 0;
    return std::min(font->h / font->w, MAX_CELLS);
}

// The cell of a character, or -1 when the font has no cell for it.
int cell_of(int ch) {
    if (ch < FIRST_GLYPH || ch > LAST_GLYPH) return -1;
    const int k = ch - FIRST_GLYPH;
    return k < cell_count(gfx.font_image) ? k : -1;
}

std::size_t index(int k) { return static_cast<std::size_t>(k); }

// The copy loop of one glyph, with the screen rows and columns already clipped.
template <typename Mix>
void blit_glyph(const std::uint32_t* src, int src_stride, std::uint32_t* dst, int dst_stride, int rows, int cols,
                Mix mix) {
    for (int i = 0; i < rows; ++i, src += src_stride, dst += dst_stride) {
        for (int j = 0; j < cols; ++j) {
            const std::uint32_t s = src[j];
            if (s != 0) dst[j] = mix(s, dst[j]);
        }
    }
}

// The same, visiting only the inked pixels the masks name: bit j of ink[i] >> shift for column j
// of row i, of the cols columns on the screen.
template <typename Mix>
void blit_glyph_ink(const std::uint64_t* ink, int shift, int cols, const std::uint32_t* src, int src_stride,
                    std::uint32_t* dst, int dst_stride, int rows, Mix mix) {
    const std::uint64_t on_screen = (std::uint64_t{1} << cols) - 1;  // cols is below 64
    for (int i = 0; i < rows; ++i, src += src_stride, dst += dst_stride) {
        for (std::uint64_t m = (ink[i] >> shift) & on_screen; m != 0; m &= m - 1) {
            const int j = std::countr_zero(m);
            dst[j] = mix(src[j], dst[j]);
        }
    }
}

void build_ink_masks(const SDL_Surface* font, int n) {
    gfx.glyph_ink_built = font->w <= INK_ROWS;
    if (!gfx.glyph_ink_built) return;
    const int w = font->w;
    const int stride = font->pitch / 4;
    const auto* pixels = static_cast<const std::uint32_t*>(font->pixels);
    for (int k = 0; k < std::min(n, INK_CELLS); ++k) {
        auto& ink = gfx.glyph_ink[index(k)];
        ink.fill(0);
        const int left = gfx.glyph_left[index(k)], width = gfx.glyph_width[index(k)];
        for (int r = 0; r < w; ++r) {
            const std::uint32_t* row = pixels + (k * w + r) * stride + left;
            for (int j = 0; j < width; ++j)
                if (row[j] != 0) ink[index(r)] |= std::uint64_t{1} << j;
        }
    }
}

}  // namespace

void build_font_metrics() {
    SDL_Surface* font = gfx.font_image;
    const int n = cell_count(font);
    gfx.glyph_ink_built = false;
    if (n == 0) return;
    const int w = font->w;
    const int stride = font->pitch / 4;
    const auto* pixels = static_cast<const std::uint32_t*>(font->pixels);
    for (int k = 0; k < n; ++k) {
        int left = w;
        int right = 0;  // rightmost inked column so far
        for (int r = 0; r < w; ++r) {
            const std::uint32_t* row = pixels + (k * w + r) * stride;
            for (int c = 0; c < w; ++c) {
                if (row[c] == 0) continue;
                if (c < left) left = c;
                if (c > right) right = c;
            }
        }
        // The width is one less than the inked span: the last inked column is never drawn.
        gfx.glyph_left[index(k)] = left;
        gfx.glyph_width[index(k)] = right - left;
    }
    build_ink_masks(font, n);
}

void draw_glyph(int x, int y, int ch, int mode, std::uint32_t colour) {
    const int k = cell_of(ch);
    if (k < 0) return;
    SDL_Surface* font = gfx.font_image;
    SDL_Surface* screen = gfx.screen;
    const int w = font->w;
    const int width = gfx.glyph_width[index(k)];
    const int left = gfx.glyph_left[index(k)];
    if (width <= 0) return;

    // Only the part of the glyph that lies on the screen is visited.
    const int i_lo = std::max(0, -y), i_hi = std::min(w, screen->h - y);
    const int j_lo = std::max(0, -x), j_hi = std::min(width, screen->w - x);
    if (i_lo >= i_hi || j_lo >= j_hi) return;

    if (!lock_surface(font)) return;
    note_drawn(x + j_lo, y + i_lo, x + j_hi - 1, y + i_hi - 1);
    const int src_stride = font->pitch / 4;
    const std::uint32_t* src =
        static_cast<const std::uint32_t*>(font->pixels) + (k * w + i_lo) * src_stride + left + j_lo;
    std::uint32_t* dst = pixel_at(screen, x + j_lo, y + i_lo);
    const int dst_stride = screen->pitch / 4;
    const int rows = i_hi - i_lo, cols = j_hi - j_lo;
    // With the ink masks only the inked pixels are visited, without them every pixel is tested.
    const auto blit = [&](auto mix) {
        if (gfx.glyph_ink_built)
            blit_glyph_ink(gfx.glyph_ink[index(k)].data() + i_lo, j_lo, cols, src, src_stride, dst, dst_stride, rows,
                           mix);
        else
            blit_glyph(src, src_stride, dst, dst_stride, rows, cols, mix);
    };

    switch (mode) {
    case GLYPH_SHADOW: blit([](std::uint32_t s, std::uint32_t d) { return blend_multiply(s ^ 0x00FFFFFFu, d); }); break;
    case GLYPH_AVERAGE: blit([](std::uint32_t s, std::uint32_t d) { return blend_average(s, d); }); break;
    case GLYPH_ADD: blit([colour](std::uint32_t, std::uint32_t d) { return blend_add(colour, d); }); break;
    default: blit([](std::uint32_t s, std::uint32_t) { return s; }); break;
    }
    unlock_surface(font);
}

void draw_text(int x, int y, const char* text, std::uint32_t colour) {
    if (gfx.font_image == nullptr || gfx.font_image->w <= 0) return;
    const int w = gfx.font_image->w;
    for (const char* p = text; *p != '\0'; ++p) {
        // Characters are signed bytes: everything from 128 up is negative and has no cell.
        const int c = static_cast<signed char>(*p);
        if (c == ' ') {
            x += w / 2;
            continue;
        }
        const int k = cell_of(c);
        if (k < 0) continue;  // no cell, no advance
        draw_glyph(x, y, c, GLYPH_ADD, colour);
        draw_glyph(x + 1, y + 1, c, GLYPH_SHADOW, colour);
        draw_glyph(x, y, c, GLYPH_AVERAGE, colour);
        x += gfx.glyph_width[index(k)] + 1;
    }
}

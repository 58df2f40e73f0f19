// The pixel canvas: how screen pixels are addressed, locked and shown, the three colour blends,
// rectangles, the two shift-up filters and the block blur. Pixels are 32-bit words 0x00RRGGBB;
// every operation here works on gfx.screen and writes only pixels inside it.
#pragma once

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

constexpr int SCREEN_W = 800;
constexpr int SCREEN_H = 700;

constexpr std::uint32_t WHITE = 0xFFFFFF;

// The glyphs' ink masks cover the 94 characters '!' .. '~' of fonts up to 64 pixels wide.
constexpr int INK_CELLS = 94;
constexpr int INK_ROWS = 64;

// The screen, the bitmaps drawn from and the renderer's scratch; the application fills it at start-up.
struct RenderState {
    SDL_Surface* screen = nullptr;
    SDL_Surface* title_image = nullptr;
    SDL_Surface* font_image = nullptr;
    SDL_Surface* tile_sheet = nullptr;
    SDL_Surface* player_sheet = nullptr;
    std::array<int, 256> glyph_left{};
    std::array<int, 256> glyph_width{};
    // Bit j of row r of a cell: the glyph's column glyph_left + j is inked in row r. Built with
    // the widths, for a font no wider than INK_ROWS.
    std::array<std::array<std::uint64_t, INK_ROWS>, INK_CELLS> glyph_ink{};
    bool glyph_ink_built = false;
    // Tiles of tile_sheet known to hold no exact white, so their rows are copied whole; set by
    // note_opaque_tiles for the sheet loaded (false: copied with the white left out, always right).
    std::array<bool, 8> tile_opaque{};
    std::array<char, 80> text_buffer{};
    // While track_drawn is set, the canvas's own drawing operations mark the squares of
    // DRAWN_SQUARE pixels they write in `drawn` (bit i of band j: the square at column 16i, row
    // 16j), so a still background can be put back where a frame drew over it and nowhere else.
    bool track_drawn = false;
    std::array<std::uint64_t, 44> drawn{};
    // Set by whoever presents a title frame, cleared by every other presentation: the screen then
    // still holds that frame.
    bool title_on_screen = false;
};

extern RenderState gfx;

constexpr int DRAWN_SQUARE = 16;
// The marked squares cover 50 by 44 squares, all of an 800 by 700 screen.
constexpr int DRAWN_COLUMNS = 50;
constexpr int DRAWN_BANDS = 44;

// Marks the squares the inclusive rectangle touches (clipped to the grid) in gfx.drawn.
void mark_drawn(int x1, int y1, int x2, int y2);
inline void note_drawn(int x1, int y1, int x2, int y2) {
    if (gfx.track_drawn) mark_drawn(x1, y1, x2, y2);
}

// A surface must be locked before pixel access when the platform says so: on the desktop, when
// it has an offset or is a hardware, asynchronously blitted or RLE-accelerated surface.
bool must_lock(const SDL_Surface* surface);
// Locks under the must-lock rule; false when a needed lock failed (then nothing was locked).
bool lock_surface(SDL_Surface* surface);
// Undoes lock_surface under the same rule.
void unlock_surface(SDL_Surface* surface);

// Pixel (x, y) of a surface addressed through its pitch; no bounds check.
inline std::uint32_t* pixel_at(SDL_Surface* surface, int x, int y) {
    return static_cast<std::uint32_t*>(surface->pixels) + y * (surface->pitch / 4) + x;
}

namespace canvas_detail {
constexpr std::uint32_t channel(std::uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }
constexpr std::uint32_t pack(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return (r << 16) | (g << 8) | b; }
}  // namespace canvas_detail

// The blends work channel by channel and give 0 in the top byte. Inline: text and the pause screen
// call them for every pixel they touch.
constexpr std::uint32_t blend_average(std::uint32_t a, std::uint32_t b) {
    using canvas_detail::channel, canvas_detail::pack;
    return pack((channel(a, 16) + channel(b, 16)) / 2, (channel(a, 8) + channel(b, 8)) / 2,
                (channel(a, 0) + channel(b, 0)) / 2);
}

constexpr std::uint32_t blend_multiply(std::uint32_t a, std::uint32_t b) {
    using canvas_detail::channel, canvas_detail::pack;
    return pack(channel(a, 16) * channel(b, 16) / 256, channel(a, 8) * channel(b, 8) / 256,
                channel(a, 0) * channel(b, 0) / 256);
}

constexpr std::uint32_t blend_add(std::uint32_t a, std::uint32_t b) {
    using canvas_detail::channel, canvas_detail::pack;
    return pack(std::min(channel(a, 16) + channel(b, 16), 255u), std::min(channel(a, 8) + channel(b, 8), 255u),
                std::min(channel(a, 0) + channel(b, 0), 255u));
}

// n pixels from p set to the colour, four at a time.
inline void fill_pixels(std::uint32_t* p, int n, std::uint32_t colour) {
    using Quad = std::uint32_t __attribute__((vector_size(16)));
    const Quad q{colour, colour, colour, colour};
    for (; n >= 4; n -= 4, p += 4) std::memcpy(p, &q, sizeof q);
    for (; n > 0; --n) *p++ = colour;
}

// Fills the inclusive rectangle with the colour as given. Inverted rectangles and ones wider
// than 800 or higher than 700 are ignored; the rest is clipped to the screen.
void fill_rect(int x1, int y1, int x2, int y2, std::uint32_t colour);
// fill_rect of the rectangle save its part inside the hole (hx1..hx2 by hy1..hy2, inclusive),
// for a hole a later draw of the same frame covers.
void fill_rect_around(int x1, int y1, int x2, int y2, int hx1, int hy1, int hx2, int hy2, std::uint32_t colour);
// Move the inner part of the region up one row, darkened by an eighth / turned grey.
void fade_shift_up(int x1, int y1, int x2, int y2);
void gray_shift_up(int x1, int y1, int x2, int y2);
// Averages the region in place in blocks of 2 by 3 pixels with carried channel totals.
void blur_region(int x1, int y1, int x2, int y2);
// Unlocks the screen under the must-lock rule and puts it on the window.
void present_screen();

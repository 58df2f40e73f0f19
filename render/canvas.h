// The pixel canvas: how screen pixels are addressed, locked and shown, the three colour blends,
// rectangles, the two shift-up filters and the block blur. Pixels are 32-bit words 0x00RRGGBB;
// every operation here works on gfx.screen and writes only pixels inside it.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>

constexpr int SCREEN_W = 800;
constexpr int SCREEN_H = 700;

constexpr std::uint32_t WHITE = 0xFFFFFF;

// The screen, the bitmaps drawn from and the renderer's scratch; the application fills it at start-up.
struct RenderState {
    SDL_Surface* screen = nullptr;
    SDL_Surface* title_image = nullptr;
    SDL_Surface* font_image = nullptr;
    SDL_Surface* tile_sheet = nullptr;
    SDL_Surface* player_sheet = nullptr;
    std::array<int, 256> glyph_left{};
    std::array<int, 256> glyph_width{};
    std::array<char, 80> text_buffer{};
};

extern RenderState gfx;

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

std::uint32_t blend_average(std::uint32_t a, std::uint32_t b);
std::uint32_t blend_multiply(std::uint32_t a, std::uint32_t b);
std::uint32_t blend_add(std::uint32_t a, std::uint32_t b);

// Fills the inclusive rectangle with the colour as given. Inverted rectangles and ones wider
// than 800 or higher than 700 are ignored; the rest is clipped to the screen.
void fill_rect(int x1, int y1, int x2, int y2, std::uint32_t colour);
// Move the inner part of the region up one row, darkened by an eighth / turned grey.
void fade_shift_up(int x1, int y1, int x2, int y2);
void gray_shift_up(int x1, int y1, int x2, int y2);
// Averages the region in place in blocks of 2 by 3 pixels with carried channel totals.
void blur_region(int x1, int y1, int x2, int y2);
// Unlocks the screen under the must-lock rule and puts it on the window.
void present_screen();

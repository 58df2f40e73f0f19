#include "render/canvas.h"

#include "platform/platform.h"

#include <algorithm>
#include <array>
#include <cstdint>

RenderState gfx;

bool must_lock(const SDL_Surface* surface) { return plat_must_lock(surface); }

bool lock_surface(SDL_Surface* surface) {
    if (!must_lock(surface)) return true;
    return SDL_LockSurface(surface) >= 0;
}

void unlock_surface(SDL_Surface* surface) {
    if (must_lock(surface)) SDL_UnlockSurface(surface);
}

namespace {

constexpr std::uint32_t channel(std::uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }
constexpr std::uint32_t pack(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return (r << 16) | (g << 8) | b; }

// Clips the half-open range [lo, hi) to [0, limit).
void clip_range(int& lo, int& hi, int limit) {
    lo = std::max(lo, 0);
    hi = std::min(hi, limit);
}

// The screen pixel, or 0 for a point outside the screen.
std::uint32_t read_clipped(SDL_Surface* s, int x, int y) {
    if (x < 0 || y < 0 || x >= s->w || y >= s->h) return 0;
    return *pixel_at(s, x, y) & 0xFFFFFF;
}

void write_clipped(SDL_Surface* s, int x, int y, std::uint32_t colour) {
    if (x < 0 || y < 0 || x >= s->w || y >= s->h) return;
    *pixel_at(s, x, y) = colour;
}

std::uint32_t fade(std::uint32_t c) {
    const std::uint32_t r = channel(c, 16), g = channel(c, 8), b = channel(c, 0);
    return pack(r - r / 8, g - g / 8, b - b / 8);
}

std::uint32_t gray(std::uint32_t c) {
    const std::uint32_t v = (channel(c, 16) + channel(c, 8) + channel(c, 0)) / 3;
    return pack(v, v, v);
}

// Moves the inner part of a region up one row through a per-pixel filter. Each source row is
// read before the row below it is written into it, so every pixel moves exactly once.
template <std::uint32_t (*Filter)(std::uint32_t)>
void shift_up(int x1, int y1, int x2, int y2) {
    SDL_Surface* s = gfx.screen;
    // Sources are rows y1+1 .. y2-2 and columns x1+1 .. x2-2; each lands one row higher.
    int col_lo = x1 + 1, col_hi = x2 - 1;
    clip_range(col_lo, col_hi, s->w);
    int src_lo = y1 + 1, src_hi = y2 - 1;
    clip_range(src_lo, src_hi, s->h);
    src_lo = std::max(src_lo, 1);  // the destination row must be on screen too
    for (int y = src_lo; y < src_hi; ++y) {
        const std::uint32_t* src = pixel_at(s, 0, y);
        std::uint32_t* dst = pixel_at(s, 0, y - 1);
        for (int x = col_lo; x < col_hi; ++x) dst[x] = Filter(src[x] & 0xFFFFFF);
    }
}

}  // namespace

std::uint32_t blend_average(std::uint32_t a, std::uint32_t b) {
    return pack((channel(a, 16) + channel(b, 16)) / 2, (channel(a, 8) + channel(b, 8)) / 2,
                (channel(a, 0) + channel(b, 0)) / 2);
}

std::uint32_t blend_multiply(std::uint32_t a, std::uint32_t b) {
    return pack(channel(a, 16) * channel(b, 16) / 256, channel(a, 8) * channel(b, 8) / 256,
                channel(a, 0) * channel(b, 0) / 256);
}

std::uint32_t blend_add(std::uint32_t a, std::uint32_t b) {
    return pack(std::min(channel(a, 16) + channel(b, 16), 255u), std::min(channel(a, 8) + channel(b, 8), 255u),
                std::min(channel(a, 0) + channel(b, 0), 255u));
}

void fill_rect(int x1, int y1, int x2, int y2, std::uint32_t colour) {
    if (x2 < x1 || y2 < y1) return;
    if (y2 - y1 + 1 > SCREEN_H || x2 - x1 + 1 > SCREEN_W) return;
    SDL_Surface* s = gfx.screen;
    int x_lo = x1, x_hi = x2 + 1, y_lo = y1, y_hi = y2 + 1;
    clip_range(x_lo, x_hi, s->w);
    clip_range(y_lo, y_hi, s->h);
    for (int y = y_lo; y < y_hi; ++y) {
        std::uint32_t* row = pixel_at(s, 0, y);
        for (int x = x_lo; x < x_hi; ++x) row[x] = colour;
    }
}

void fade_shift_up(int x1, int y1, int x2, int y2) { shift_up<fade>(x1, y1, x2, y2); }

void gray_shift_up(int x1, int y1, int x2, int y2) { shift_up<gray>(x1, y1, x2, y2); }

void blur_region(int x1, int y1, int x2, int y2) {
    // Five sample offsets per axis, deliberately lopsided.
    constexpr std::array<int, 5> offsets{-4, -3, 0, 2, 3};
    SDL_Surface* s = gfx.screen;
    // The channel totals carry from block to block for the whole call.
    std::uint32_t tr = 0, tg = 0, tb = 0;
    for (int ay = y1 + 3; ay < y2 - 4; ay += 3) {
        for (int ax = x1 + 4; ax < x2 - 3; ax += 2) {
            std::uint32_t sr = 0, sg = 0, sb = 0;
            for (int dy : offsets) {
                for (int dx : offsets) {
                    const std::uint32_t p = read_clipped(s, ax + dx, ay + 1 + dy);
                    sr += channel(p, 16);
                    sg += channel(p, 8);
                    sb += channel(p, 0);
                }
            }
            // 25 samples plus the carried total, divided by 26.
            tr = (tr + sr) / 26;
            tg = (tg + sg) / 26;
            tb = (tb + sb) / 26;
            const std::uint32_t colour = tr * 65536 + tg * 256 + tb;
            for (int y = ay - 1; y <= ay + 1; ++y) {
                write_clipped(s, ax - 1, y, colour);
                write_clipped(s, ax, y, colour);
            }
        }
    }
}

void present_screen() {
    unlock_surface(gfx.screen);
    plat_present(gfx.screen);
}

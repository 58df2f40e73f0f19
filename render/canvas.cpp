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

using canvas_detail::channel;
using canvas_detail::pack;

// Clips the half-open range [lo, hi) to [0, limit).
void clip_range(int& lo, int& hi, int limit) {
    lo = std::max(lo, 0);
    hi = std::min(hi, limit);
}

void write_clipped(SDL_Surface* s, int x, int y, std::uint32_t colour) {
    if (x < 0 || y < 0 || x >= s->w || y >= s->h) return;
    *pixel_at(s, x, y) = colour;
}

// Each channel less an eighth of itself, all three in one word: no borrow crosses a channel.
std::uint32_t fade(std::uint32_t c) { return c - ((c >> 3) & 0x1F1F1Fu); }

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

void fill_rect(int x1, int y1, int x2, int y2, std::uint32_t colour) {
    if (x2 < x1 || y2 < y1) return;
    if (y2 - y1 + 1 > SCREEN_H || x2 - x1 + 1 > SCREEN_W) return;
    SDL_Surface* s = gfx.screen;
    int x_lo = x1, x_hi = x2 + 1, y_lo = y1, y_hi = y2 + 1;
    clip_range(x_lo, x_hi, s->w);
    clip_range(y_lo, y_hi, s->h);
    if (x_lo >= x_hi) return;
    for (int y = y_lo; y < y_hi; ++y) std::fill_n(pixel_at(s, x_lo, y), x_hi - x_lo, colour);
}

void fill_rect_around(int x1, int y1, int x2, int y2, int hx1, int hy1, int hx2, int hy2, std::uint32_t colour) {
    if (x2 < x1 || y2 < y1) return;
    if (y2 - y1 + 1 > SCREEN_H || x2 - x1 + 1 > SCREEN_W) return;
    // The hole, cut to the rectangle; without one the whole rectangle is filled.
    hx1 = std::max(hx1, x1), hy1 = std::max(hy1, y1), hx2 = std::min(hx2, x2), hy2 = std::min(hy2, y2);
    if (hx2 < hx1 || hy2 < hy1) {
        fill_rect(x1, y1, x2, y2, colour);
        return;
    }
    fill_rect(x1, y1, x2, hy1 - 1, colour);    // above the hole
    fill_rect(x1, hy2 + 1, x2, y2, colour);    // below it
    fill_rect(x1, hy1, hx1 - 1, hy2, colour);  // beside it
    fill_rect(hx2 + 1, hy1, x2, hy2, colour);
}

void fade_shift_up(int x1, int y1, int x2, int y2) { shift_up<fade>(x1, y1, x2, y2); }

void gray_shift_up(int x1, int y1, int x2, int y2) { shift_up<gray>(x1, y1, x2, y2); }

// The blur works band by band: a band is one row of 2 by 3 blocks. A block at (ax, ay) sums the
// pixels at columns ax-4, ax-3, ax, ax+2, ax+3 of rows ay-3, ay-2, ay+1, ay+3, ay+4 and writes
// rows ay-1 .. ay+1. So while a band is written, of the rows it reads only row ay+1 changes (the
// blocks to the left have already written columns ax-4 and ax-3 of it); the other four rows are
// summed once per column and band, and row ay+1 is read as each block comes. The totals are
// kept with red and blue in one word (each sum of 25 bytes stays below 2^16) and green in another.
namespace {

struct ColumnSum {
    std::uint32_t rb = 0, g = 0;
};

ColumnSum operator+(ColumnSum a, ColumnSum b) { return {a.rb + b.rb, a.g + b.g}; }

ColumnSum sample(std::uint32_t p) { return {p & 0xFF00FFu, p & 0xFF00u}; }

// The pixel's sums, or nothing when it lies off the screen (a null row is a row off the screen).
ColumnSum sample_clipped(const std::uint32_t* row, int x, int w) {
    return row != nullptr && x >= 0 && x < w ? sample(row[x]) : ColumnSum{};
}

}  // namespace

void blur_region(int x1, int y1, int x2, int y2) {
    SDL_Surface* s = gfx.screen;
    const int w = s->w, h = s->h;
    const auto row_or_null = [s, h](int y) -> std::uint32_t* { return y >= 0 && y < h ? pixel_at(s, 0, y) : nullptr; };
    // The channel totals carry from block to block for the whole call.
    std::uint32_t tr = 0, tg = 0, tb = 0;
    for (int ay = y1 + 3; ay < y2 - 4; ay += 3) {
        const std::array<const std::uint32_t*, 4> fixed{row_or_null(ay - 3), row_or_null(ay - 2), row_or_null(ay + 3),
                                                        row_or_null(ay + 4)};
        const std::uint32_t* live = row_or_null(ay + 1);
        const bool rows_on_screen = fixed[0] && fixed[1] && fixed[2] && fixed[3];
        const auto column = [&fixed, rows_on_screen, w](int x) {
            if (rows_on_screen && x >= 0 && x < w)
                return sample(fixed[0][x]) + sample(fixed[1][x]) + sample(fixed[2][x]) + sample(fixed[3][x]);
            ColumnSum sum;
            for (const std::uint32_t* row : fixed) sum = sum + sample_clipped(row, x, w);
            return sum;
        };
        // Column sums in pairs, pair j holding columns x1 + 2j and x1 + 2j + 1: the block with
        // centre x1 + 4 + 2k takes pairs k and k + 3 whole and the first column of pair k + 2.
        // Four pairs are kept, by j mod 4.
        std::array<ColumnSum, 4> pair{}, first{};
        const auto fill_pair = [&](int j) {
            const auto slot = static_cast<std::size_t>(j & 3);
            first[slot] = column(x1 + 2 * j);
            pair[slot] = first[slot] + column(x1 + 2 * j + 1);
        };
        fill_pair(0);
        fill_pair(1);
        fill_pair(2);
        for (int k = 0, ax = x1 + 4; ax < x2 - 3; ++k, ax += 2) {
            fill_pair(k + 3);
            ColumnSum sum = pair[static_cast<std::size_t>(k & 3)] + first[static_cast<std::size_t>((k + 2) & 3)] +
                            pair[static_cast<std::size_t>((k + 3) & 3)];
            if (live != nullptr && ax - 4 >= 0 && ax + 3 < w) {
                sum = sum + sample(live[ax - 4]) + sample(live[ax - 3]) + sample(live[ax]) + sample(live[ax + 2]) +
                      sample(live[ax + 3]);
            } else {
                for (int dx : {-4, -3, 0, 2, 3}) sum = sum + sample_clipped(live, ax + dx, w);
            }
            // 25 samples plus the carried total, divided by 26.
            tr = (tr + (sum.rb >> 16)) / 26;
            tg = (tg + (sum.g >> 8)) / 26;
            tb = (tb + (sum.rb & 0xFFFFu)) / 26;
            const std::uint32_t colour = tr * 65536 + tg * 256 + tb;
            if (ax - 1 >= 0 && ax < w && ay - 1 >= 0 && ay + 1 < h) {
                for (int y = ay - 1; y <= ay + 1; ++y) {
                    std::uint32_t* p = pixel_at(s, ax - 1, y);
                    p[0] = p[1] = colour;
                }
                continue;
            }
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

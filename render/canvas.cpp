#include "render/canvas.h"

#include "platform/platform.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

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

using Quad = std::uint32_t __attribute__((vector_size(16)));

Quad load_quad(const std::uint32_t* p) {
    Quad q;
    std::memcpy(&q, p, sizeof q);
    return q;
}

// Each channel less an eighth of itself, all three in one word: no borrow crosses a channel.
// The pixel's top byte is dropped first.
template <typename Word>
Word fade(Word c) {
    c &= 0xFFFFFFu;
    return c - ((c >> 3) & 0x1F1F1Fu);
}

std::uint32_t gray(std::uint32_t c) {
    c &= 0xFFFFFFu;
    const std::uint32_t v = (channel(c, 16) + channel(c, 8) + channel(c, 0)) / 3;
    return pack(v, v, v);
}

// Moves the inner part of a region up one row through a per-pixel filter, four pixels at a time
// when the filter takes a Quad. Each source row is read before the row below it is written into
// it, so every pixel moves exactly once.
template <std::uint32_t (*Filter)(std::uint32_t), Quad (*QuadFilter)(Quad) = nullptr>
void shift_up(int x1, int y1, int x2, int y2) {
    SDL_Surface* s = gfx.screen;
    // Sources are rows y1+1 .. y2-2 and columns x1+1 .. x2-2; each lands one row higher.
    int col_lo = x1 + 1, col_hi = x2 - 1;
    clip_range(col_lo, col_hi, s->w);
    int src_lo = y1 + 1, src_hi = y2 - 1;
    clip_range(src_lo, src_hi, s->h);
    src_lo = std::max(src_lo, 1);  // the destination row must be on screen too
    note_drawn(col_lo, src_lo - 1, col_hi - 1, src_hi - 2);
    for (int y = src_lo; y < src_hi; ++y) {
        const std::uint32_t* src = pixel_at(s, 0, y);
        std::uint32_t* dst = pixel_at(s, 0, y - 1);
        int x = col_lo;
        if constexpr (QuadFilter != nullptr) {
            for (; x + 4 <= col_hi; x += 4) {
                const Quad q = QuadFilter(load_quad(src + x));
                std::memcpy(dst + x, &q, sizeof q);
            }
        }
        for (; x < col_hi; ++x) dst[x] = Filter(src[x]);
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
    note_drawn(x_lo, y_lo, x_hi - 1, y_hi - 1);
    for (int y = y_lo; y < y_hi; ++y) fill_pixels(pixel_at(s, x_lo, y), x_hi - x_lo, colour);
}

void mark_drawn(int x1, int y1, int x2, int y2) {
    x1 = std::max(x1, 0), y1 = std::max(y1, 0);
    x2 = std::min(x2, DRAWN_COLUMNS * DRAWN_SQUARE - 1), y2 = std::min(y2, DRAWN_BANDS * DRAWN_SQUARE - 1);
    if (x2 < x1 || y2 < y1) return;
    const int c1 = x1 / DRAWN_SQUARE, c2 = x2 / DRAWN_SQUARE;
    const std::uint64_t bits = ((std::uint64_t{2} << (c2 - c1)) - 1) << c1;
    for (int b = y1 / DRAWN_SQUARE; b <= y2 / DRAWN_SQUARE; ++b) gfx.drawn[static_cast<std::size_t>(b)] |= bits;
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

void fade_shift_up(int x1, int y1, int x2, int y2) { shift_up<fade, fade>(x1, y1, x2, y2); }

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

// Carried channel totals, from block to block for the whole call.
struct Totals {
    std::uint32_t r = 0, g = 0, b = 0;
};

// One band whose reads and writes all lie on the screen, with no check per block: the four fixed
// rows' column sums first (columns x1 .. x2 - 1, all the band reads), then the blocks.
void blur_band_inside(SDL_Surface* s, int x1, int x2, int ay, Totals& t) {
    std::array<std::uint32_t, SCREEN_W> col_rb, col_g;  // column x1 + i at index i
    const std::uint32_t* f0 = pixel_at(s, 0, ay - 3);
    const std::uint32_t* f1 = pixel_at(s, 0, ay - 2);
    const std::uint32_t* f2 = pixel_at(s, 0, ay + 3);
    const std::uint32_t* f3 = pixel_at(s, 0, ay + 4);
    int x = x1;
    for (; x + 4 <= x2; x += 4) {  // four columns at a time
        const Quad a = load_quad(f0 + x), b = load_quad(f1 + x), c = load_quad(f2 + x), d = load_quad(f3 + x);
        const Quad sum_rb = (a & 0xFF00FFu) + (b & 0xFF00FFu) + (c & 0xFF00FFu) + (d & 0xFF00FFu);
        const Quad sum_g = (a & 0xFF00u) + (b & 0xFF00u) + (c & 0xFF00u) + (d & 0xFF00u);
        std::memcpy(&col_rb[static_cast<std::size_t>(x - x1)], &sum_rb, sizeof sum_rb);
        std::memcpy(&col_g[static_cast<std::size_t>(x - x1)], &sum_g, sizeof sum_g);
    }
    for (; x < x2; ++x) {
        const auto i = static_cast<std::size_t>(x - x1);
        col_rb[i] = (f0[x] & 0xFF00FFu) + (f1[x] & 0xFF00FFu) + (f2[x] & 0xFF00FFu) + (f3[x] & 0xFF00FFu);
        col_g[i] = (f0[x] & 0xFF00u) + (f1[x] & 0xFF00u) + (f2[x] & 0xFF00u) + (f3[x] & 0xFF00u);
    }
    std::uint32_t* above = pixel_at(s, 0, ay - 1);
    std::uint32_t* middle = pixel_at(s, 0, ay);
    std::uint32_t* live = pixel_at(s, 0, ay + 1);
    const std::uint32_t* rb = col_rb.data() - x1;  // indexed by screen column
    const std::uint32_t* g = col_g.data() - x1;
    for (int ax = x1 + 4; ax < x2 - 3; ax += 2) {
        // The live row is read as the blocks to the left left it.
        const std::uint32_t l0 = live[ax - 4], l1 = live[ax - 3], l2 = live[ax], l3 = live[ax + 2], l4 = live[ax + 3];
        const std::uint32_t sum_rb = rb[ax - 4] + rb[ax - 3] + rb[ax] + rb[ax + 2] + rb[ax + 3] + (l0 & 0xFF00FFu) +
                                     (l1 & 0xFF00FFu) + (l2 & 0xFF00FFu) + (l3 & 0xFF00FFu) + (l4 & 0xFF00FFu);
        const std::uint32_t sum_g = g[ax - 4] + g[ax - 3] + g[ax] + g[ax + 2] + g[ax + 3] + (l0 & 0xFF00u) +
                                    (l1 & 0xFF00u) + (l2 & 0xFF00u) + (l3 & 0xFF00u) + (l4 & 0xFF00u);
        t.r = (t.r + (sum_rb >> 16)) / 26;
        t.g = (t.g + (sum_g >> 8)) / 26;
        t.b = (t.b + (sum_rb & 0xFFFFu)) / 26;
        const std::uint32_t colour = t.r * 65536 + t.g * 256 + t.b;
        above[ax - 1] = above[ax] = middle[ax - 1] = middle[ax] = live[ax - 1] = live[ax] = colour;
    }
}

}  // namespace

void blur_region(int x1, int y1, int x2, int y2) {
    SDL_Surface* s = gfx.screen;
    const int w = s->w, h = s->h;
    const auto row_or_null = [s, h](int y) -> std::uint32_t* { return y >= 0 && y < h ? pixel_at(s, 0, y) : nullptr; };
    Totals t;
    note_drawn(x1, y1, x2, y2);  // the blocks write inside the region
    const bool columns_inside = x1 >= 0 && x2 <= w && x2 - x1 <= SCREEN_W;
    for (int ay = y1 + 3; ay < y2 - 4; ay += 3) {
        if (columns_inside && ay - 3 >= 0 && ay + 4 < h) {
            blur_band_inside(s, x1, x2, ay, t);
            continue;
        }
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
            t.r = (t.r + (sum.rb >> 16)) / 26;
            t.g = (t.g + (sum.g >> 8)) / 26;
            t.b = (t.b + (sum.rb & 0xFFFFu)) / 26;
            const std::uint32_t colour = t.r * 65536 + t.g * 256 + t.b;
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
    gfx.title_on_screen = false;
    unlock_surface(gfx.screen);
    plat_present(gfx.screen);
}

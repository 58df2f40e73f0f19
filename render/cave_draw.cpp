#include "render/cave_draw.h"

#include "platform/platform.h"
#include "render/canvas.h"
#include "render/effects.h"
#include "render/font.h"
#include "render/sprites.h"
#include "sim/game_state.h"
#include "sim/sim_step.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint32_t BRICK = 0xCCCCCC;
constexpr std::uint32_t MORTAR = 0x222222;
constexpr std::uint32_t BLACK = 0;
constexpr std::uint32_t E_BLUE = 0x3399BB;
constexpr std::uint32_t HURRY_PINK = 0xFF4499;

// A fresh rand() % n as a colour or offset term.
std::uint32_t draw_u(int n) { return static_cast<std::uint32_t>(plat_rand() % n); }
int draw_i(int n) { return plat_rand() % n; }

// Every full-cell block is 33 pixels square: it also covers the first column of the next cell and
// the first row of the cell below, which those cells paint over when they draw a background.
// fill_rect keeps column 24's blocks on the screen, so they end at x = 799.
void block(int X, int Y, std::uint32_t colour) { fill_rect(X, Y, X + 32, Y + 32, colour); }

void draw_wall(int X, int Y) {
    block(X, Y, BRICK);
    // Horizontal joints, then vertical ones.
    fill_rect(X, Y, X + 32, Y + 1, MORTAR);
    fill_rect(X, Y + 12, X + 32, Y + 13, MORTAR);
    fill_rect(X, Y + 22, X + 32, Y + 23, MORTAR);
    fill_rect(X + 12, Y, X + 13, Y + 13, MORTAR);
    fill_rect(X + 25, Y + 13, X + 26, Y + 23, MORTAR);
    fill_rect(X + 5, Y + 23, X + 6, Y + 32, MORTAR);
}

void draw_diamond(int x, int y, int X, int Y) {
    draw_tile(x, y, TILE_DIRT);
    // Dirt shows behind the diamond only when dirt lies beside it.
    if (cell_at(x - 1, y) != DIRT && cell_at(x + 1, y) != DIRT) block(X, Y, BLACK);
    draw_tile(x, y, TILE_DIAMOND_1 + draw_i(2));
}

// Three nested squares, each colour a plain sum that may carry between channels.
void draw_enemy(int X, int Y, std::uint32_t outer, std::uint32_t middle, std::uint32_t inner) {
    block(X, Y, outer + draw_u(255));
    fill_rect(X + 6, Y + 6, X + 26, Y + 26, middle + draw_u(255));
    fill_rect(X + 10, Y + 10, X + 22, Y + 22, inner + draw_u(255));
}

// Whether the cell's own 32 by 32 pixels lie on the screen, so its specks and sparks may be
// written straight into its rows.
bool cell_on_screen(int X, int Y) { return X >= 0 && Y >= 0 && X + 32 <= gfx.screen->w && Y + 32 <= gfx.screen->h; }

// A growth's speck: columns x1..x2, rows y1..y2 (inclusive), inside the cell's own pixels.
void speck(bool inside, int x1, int y1, int x2, int y2, std::uint32_t colour) {
    if (!inside) {
        fill_rect(x1, y1, x2, y2, colour);
        return;
    }
    for (int y = y1; y <= y2; ++y) fill_pixels(pixel_at(gfx.screen, x1, y), x2 - x1 + 1, colour);
}

// A growth draws 49 numbers: its block's colour, then six per speck in this order.
constexpr int GROWTH_DRAWS = 49;

void draw_green_growth(int X, int Y) {
    std::array<int, GROWTH_DRAWS> r;
    plat_rand_n(r.data(), GROWTH_DRAWS);
    block(X, Y, 0x317A27 + static_cast<std::uint32_t>(r[0] % 80));
    const bool inside = cell_on_screen(X, Y);
    for (std::size_t n = 1; n < GROWTH_DRAWS; n += 6) {
        const int a = r[n] % 21, b = r[n + 1] % 29;
        const auto c = static_cast<std::uint32_t>(r[n + 2] % 179), d = static_cast<std::uint32_t>(r[n + 3] % 74);
        const int e = r[n + 4] % 2, f = r[n + 5] % 10;
        // At most 11 by 2 pixels, within the cell's columns 0..31 and rows 0..30.
        speck(inside, X + a, Y + b, X + a + f + 1, Y + b + e + 1, 0x27AC77 + c * 0x10000 + d);
    }
}

void draw_magenta_growth(int X, int Y) {
    std::array<int, GROWTH_DRAWS> r;
    plat_rand_n(r.data(), GROWTH_DRAWS);
    block(X, Y, 0xC83E81 + static_cast<std::uint32_t>(r[0] % 40) * 0x10000);
    const bool inside = cell_on_screen(X, Y);
    for (std::size_t n = 1; n < GROWTH_DRAWS; n += 6) {
        const int a = r[n] % 29, b = r[n + 1] % 21;
        const auto c = static_cast<std::uint32_t>(r[n + 2] % 69), d = static_cast<std::uint32_t>(r[n + 3] % 49);
        const int e = r[n + 4] % 10, f = r[n + 5] % 2;
        // At most 2 by 11 pixels, within the cell's columns 0..30 and rows 0..31.
        speck(inside, X + a, Y + b, X + a + f + 1, Y + b + e + 1, 0x9F70BD + c * 0x10000 + d);
    }
}

// Stage 2..7: 26 sparks per stage above 1, five draws each. The base for '7' carries red into
// the top byte.
constexpr int MOST_SPARKS = 26 * 6;

void draw_blast(int X, int Y, std::uint8_t code) {
    block(X, Y, BLACK);
    const int sparks = 26 * (code - '1');
    std::array<int, 5 * MOST_SPARKS> r;
    plat_rand_n(r.data(), 5 * sparks);
    const std::uint32_t base = (26u * code - 1234u) * 0x10100u + 0x3C2163u;
    // Sparks lie inside the cell's own 32 by 32 pixels (offsets 1 to 28), so for a cell on the
    // screen they are written straight into its rows.
    std::uint32_t* cell = cell_on_screen(X, Y) ? pixel_at(gfx.screen, X, Y) : nullptr;
    const int stride = gfx.screen->pitch / 4;
    using Quad = std::uint32_t __attribute__((vector_size(16)));
    using Lanes = std::int32_t __attribute__((vector_size(16)));
    constexpr Lanes lane{0, 1, 2, 3};
    // The numbers are never negative: unsigned remainders are the same and cheaper.
    const auto u = [&r](std::size_t n) { return static_cast<std::uint32_t>(r[n]); };
    for (std::size_t n = 0; n < static_cast<std::size_t>(5 * sparks); n += 5) {
        const std::uint32_t a = u(n) % 25, b = u(n + 1) % 25, colour = base + u(n + 2) % 99;
        const std::uint32_t d = u(n + 3) % 3, e = u(n + 4) % 3;
        if (cell == nullptr) {
            const int x = X + static_cast<int>(a), y = Y + static_cast<int>(b);
            fill_rect(x + 1, y + 1, x + static_cast<int>(e) + 2, y + static_cast<int>(d) + 2, colour);
            continue;
        }
        // Columns a + 1 .. a + e + 2 and rows b + 1 .. b + d + 2 of the cell: at most 4 by 4,
        // within its pixels 1 .. 28. Four pixels a row are written, those outside the spark with
        // what they hold, and its first two rows always: no branch on the random sizes.
        std::uint32_t* row = cell + static_cast<int>(b + 1) * stride + static_cast<int>(a + 1);
        const Quad wide = reinterpret_cast<Quad>(lane < static_cast<int>(e) + 2);  // all ones in the spark's columns
        const Quad paint = Quad{colour, colour, colour, colour} & wide;
        const auto put = [paint](std::uint32_t* at, Quad in) {
            Quad p;
            std::memcpy(&p, at, sizeof p);
            p = (p & ~in) | (paint & in);
            std::memcpy(at, &p, sizeof p);
        };
        put(row, wide);
        put(row + stride, wide);
        put(row + 2 * stride, d >= 1 ? wide : Quad{});
        put(row + 3 * stride, d == 2 ? wide : Quad{});
    }
}

void draw_cell(int x, int y) {
    const int X = CELL_PX * x, Y = CELL_PX * y;
    const std::uint8_t code = cell_at(x, y);
    switch (code) {
    case WALL: draw_wall(X, Y); break;
    case EMPTY:
    case PLAYER: block(X, Y, BLACK); break;  // the player sprite comes later
    case DIRT: draw_tile(x, y, TILE_DIRT); break;
    case ROCK:
        block(X, Y, BLACK);
        draw_tile(x, y, TILE_ROCK);
        break;
    case DIAMOND: draw_diamond(x, y, X, Y); break;
    case START: draw_text(X + 8, Y + 10, "S", WHITE); break;  // over whatever the cell showed
    case E_BLOCK:
        block(X, Y, E_BLUE);
        draw_text(X + 8, Y + 10, "E", WHITE);
        break;
    case ENEMY_LEFT:
    case ENEMY_RIGHT: draw_enemy(X, Y, 0x00FF00, 0x0000FF, 0xFF00FF); break;
    case ENEMY_UP:
    case ENEMY_DOWN: draw_enemy(X, Y, 0xFFFF00, 0xCAA0AF, 0xF000FF); break;
    case GREEN_GROWTH: draw_green_growth(X, Y); break;
    case MAGENTA_GROWTH: draw_magenta_growth(X, Y); break;
    case BLAST_7:
    case BLAST_6:
    case BLAST_5:
    case BLAST_4:
    case BLAST_3:
    case BLAST_2: draw_blast(X, Y, code); break;
    default: break;  // inert codes keep the pixels drawn there before
    }
}

}  // namespace

void hurry_box() {
    fade_shift_up(280, 220, 550, 300);
    fade_shift_up(290, 230, 540, 290);
    fade_shift_up(300, 240, 530, 280);
}

void draw_cave() {
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x) draw_cell(x, y);

    const int left = cave_seconds_left();
    const bool odd = (game.cave_index & 1) != 0;
    if (left == 3) {
        hurry_box();
        if (odd)
            draw_text(330, 250, "---  HURRY UP!!  ---", HURRY_PINK);
        else
            draw_text(275, 250, "-- OH DAMN! YOU'RE SO SLOW ! --", HURRY_PINK);
    } else if (left < 1) {
        hurry_box();
        // Colour, then y, then x: the order of the draws.
        const std::uint32_t colour = 0xFF0000 + draw_u(222);
        const int text_y = 250 + draw_i(6);
        const int text_x = (odd ? 320 : 300) + draw_i(7);
        draw_text(text_x, text_y, odd ? "--- OUT OF TIME !! ---" : "- YOUR BONUS IS GONE -", colour);
        draw_ribbons(72);
    }
}

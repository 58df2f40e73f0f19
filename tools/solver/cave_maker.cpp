#include "tools/solver/cave_maker.h"

#include "platform/glibc_rand.h"
#include "sim/game_state.h"

#include <array>
#include <cstddef>
#include <string>

namespace solver {

std::string make_cave(unsigned seed) {
    GlibcRand rand = glibc_seeded(seed);
    auto roll = [&](int n) { return glibc_next(rand) % n; };
    std::array<std::array<char, CAVE_W>, CAVE_H> cells{};
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x) {
            const bool ring = x == 0 || y == 0 || x == CAVE_W - 1 || y == CAVE_H - 1;
            char c = '_';
            if (ring) {
                c = '#';
            } else {
                const int r = roll(100);
                if (r < 12) c = 'o';
                else if (r < 18) c = '*';
                else if (r < 24) c = '.';
                else if (r < 27) c = '#';
            }
            cells[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = c;
        }
    // A few enemies, each in a short empty corridor of its own.
    for (int n = roll(4); n > 0; --n) {
        const int x = 2 + roll(CAVE_W - 6), y = 2 + roll(CAVE_H - 4);
        const bool sideways = roll(2) == 0;
        for (int k = 0; k < 3; ++k)
            cells[static_cast<std::size_t>(sideways ? y : y + k - 1)][static_cast<std::size_t>(sideways ? x + k : x)] = '.';
        cells[static_cast<std::size_t>(y)][static_cast<std::size_t>(x + (sideways ? 1 : 0))] = sideways ? 'b' : 'd';
    }
    // The start in the top left quarter, with dirt round it.
    const int sx = 1 + roll(8), sy = 1 + roll(5);
    for (int y = sy - 1; y <= sy + 1; ++y)
        for (int x = sx - 1; x <= sx + 1; ++x)
            if (x > 0 && y > 0 && x < CAVE_W - 1 && y < CAVE_H - 1)
                cells[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = '_';
    cells[static_cast<std::size_t>(sy)][static_cast<std::size_t>(sx)] = 'S';
    std::string text;
    for (const auto& row : cells) {
        text.append(row.data(), row.size());
        text += '\n';
    }
    return text;
}

}  // namespace solver

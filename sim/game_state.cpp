#include "sim/game_state.h"
#include <cstddef>
#include <cstdint>

GameState game;

namespace {
constexpr bool inside(int x, int y) { return x >= 0 && x < CAVE_W && y >= 0 && y < CAVE_H; }
}  // namespace

void set_cell(int x, int y, std::uint8_t code) {
    if (inside(x, y)) game.cave[static_cast<std::size_t>(x + CAVE_W * y)] = code;
}

std::uint8_t cell_at(int x, int y) { return inside(x, y) ? game.cave[static_cast<std::size_t>(x + CAVE_W * y)] : WALL; }

int is_walkable(int x, int y) {
    if (!inside(x, y)) return 0;
    const std::uint8_t c = cell_at(x, y);
    return (c == DIRT || c == EMPTY || c == DIAMOND || c == PLAYER) ? 1 : 0;
}

std::uint8_t cell_at_player() { return cell_at(game.player_x, game.player_y); }

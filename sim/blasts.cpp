#include "sim/blasts.h"
#include <cstdint>

#include "sim/game_state.h"

// Walls are the only cells a blast leaves standing; a blast over the player's cell is noted
// so the step can take the life.
void blast_cell(int x, int y, std::uint8_t code) {
    if (x < 0 || x >= CAVE_W || y < 0 || y >= CAVE_H) return;
    const std::uint8_t c = cell_at(x, y);
    if (c == WALL) return;
    if (c == PLAYER) game.blast_hit_player = 1;
    set_cell(x, y, code);
}

// Row above left to right, then the centre row, then the row below.
void blast_3x3(int x, int y, std::uint8_t code) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) blast_cell(x + dx, y + dy, code);
}

// Interior only, on the column cursor the creature pass shares.
// '7'..'2' step down one stage with '2' ending as EMPTY; a '1' from a cave file becomes '0'.
void decay_blasts() {
    for (game.column_cursor = INTERIOR_LEFT; game.column_cursor <= INTERIOR_RIGHT; ++game.column_cursor) {
        const int x = game.column_cursor;
        for (int y = INTERIOR_TOP; y <= INTERIOR_BOTTOM; ++y) {
            const std::uint8_t c = cell_at(x, y);
            if (c >= BLAST_1 && c <= BLAST_7) set_cell(x, y, static_cast<std::uint8_t>(c - 1));
            if (cell_at(x, y) == BLAST_1) set_cell(x, y, EMPTY);
        }
    }
}

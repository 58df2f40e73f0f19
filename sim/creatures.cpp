#include "sim/creatures.h"
#include <cstdint>

#include "platform/platform.h"
#include "sim/blasts.h"
#include "sim/game_state.h"
#include "sim/lose_life.h"

namespace {

constexpr int LAST_COIN_COLUMN = 11;  // columns up to here toss a coin before a growth may act
constexpr int SPREAD_CHANCE = 18;     // in 100, on a growth's turn

constexpr bool is_enemy(std::uint8_t c) {
    return c == ENEMY_LEFT || c == ENEMY_RIGHT || c == ENEMY_UP || c == ENEMY_DOWN;
}

// The four neighbours in the order the rules look at them: left, right, below, above.
struct Offset {
    int dx, dy;
};
constexpr Offset NEIGHBOURS[4] = {{-1, 0}, {1, 0}, {0, 1}, {0, -1}};

bool touches(int x, int y, std::uint8_t code) {
    for (const Offset& n : NEIGHBOURS)
        if (cell_at(x + n.dx, y + n.dy) == code) return true;
    return false;
}

bool object_at(int x, int y) {
    const std::uint8_t c = cell_at(x, y);
    return c == ROCK || c == DIAMOND;
}

void growth_turn(int x, int r, std::uint8_t own, std::uint8_t partner) {
    if (plat_rand() % 100 < SPREAD_CHANCE) {
        for (const Offset& n : NEIGHBOURS) {
            const std::uint8_t c = cell_at(x + n.dx, r + n.dy);
            if (c == EMPTY || c == DIRT) set_cell(x + n.dx, r + n.dy, own);
        }
    }
    for (const Offset& n : NEIGHBOURS) {
        if (cell_at(x + n.dx, r + n.dy) == partner) {
            blast_cell(x, r, BLAST_7);
            blast_cell(x + n.dx, r + n.dy, BLAST_7);
        }
    }
}

// One visit of cell (column_cursor, r). The column is read afresh at every rule because
// sideways moves and a reload of the cave move the shared cursor; r moves with vertical moves.
void visit(int& r) {
    const int coin = game.column_cursor <= LAST_COIN_COLUMN ? plat_rand() % 2 : 1;
    const int turn = plat_rand() % 3;

    int x = game.column_cursor;
    if (coin == 1) {
        if (turn == 1 && cell_at(x, r) == MAGENTA_GROWTH)
            growth_turn(x, r, MAGENTA_GROWTH, GREEN_GROWTH);
        else if (turn == 2 && cell_at(x, r) == GREEN_GROWTH)
            growth_turn(x, r, GREEN_GROWTH, MAGENTA_GROWTH);
    }

    if (is_enemy(cell_at(x, r)) && touches(x, r, MAGENTA_GROWTH)) {
        blast_3x3(x, r, DIAMOND);
        play_sound(2, SoundId::collect);
    }
    if (is_enemy(cell_at(x, r)) && touches(x, r, GREEN_GROWTH)) {
        blast_3x3(x, r, BLAST_7);
        play_sound(2, SoundId::blast);
    }
    if (is_enemy(cell_at(x, r)) && cell_at(x, r - 1) == EMPTY && object_at(x, r - 2)) {
        set_cell(x, r - 2, EMPTY);
        blast_3x3(x, r, BLAST_7);
        play_sound(2, SoundId::blast);
    }
    if (is_enemy(cell_at(x, r)) && touches(x, r, PLAYER)) {
        lose_life();  // a reload puts the cursor back to column 2; the visit goes on there
        x = game.column_cursor;
    }

    if (cell_at(x, r) == ENEMY_LEFT) {
        if (cell_at(x - 1, r) == EMPTY) {
            set_cell(x, r, EMPTY);
            set_cell(x - 1, r, ENEMY_LEFT);
            if (game.column_cursor > 0) --game.column_cursor;
        } else {
            set_cell(x, r, ENEMY_RIGHT);
        }
    }

    x = game.column_cursor;
    if (cell_at(x, r) == ENEMY_RIGHT) {
        if (cell_at(x + 1, r) == EMPTY) {
            set_cell(x, r, EMPTY);
            set_cell(x + 1, r, ENEMY_RIGHT);
            if (game.column_cursor < 25) ++game.column_cursor;
        } else {
            set_cell(x, r, ENEMY_LEFT);
        }
    }

    x = game.column_cursor;
    if (cell_at(x, r) == ENEMY_UP) {
        if (cell_at(x, r - 1) == EMPTY) {
            set_cell(x, r, EMPTY);
            set_cell(x, r - 1, ENEMY_UP);
            if (r > 0) --r;
        } else {
            set_cell(x, r, ENEMY_DOWN);
        }
        if (object_at(x, r - 1)) {
            blast_3x3(x, r, BLAST_7);
            play_sound(2, SoundId::blast);
        }
    }

    if (cell_at(x, r) == ENEMY_DOWN) {
        if (cell_at(x, r + 1) == EMPTY) {
            set_cell(x, r, EMPTY);
            set_cell(x, r + 1, ENEMY_DOWN);
            if (r < 20) ++r;
        } else {
            set_cell(x, r, ENEMY_UP);
        }
        if (object_at(x, r - 1)) {
            blast_3x3(x, r, BLAST_7);
            play_sound(2, SoundId::blast);
        }
    }
}

}  // namespace

// Column by column on the shared cursor, rows top down. Enemies moving sideways carry the
// cursor with them, so a left move makes the pass finish the column one to the left and then
// revisit the column it came from, and a right move skips the rest of both columns.
void update_creatures() {
    game.column_cursor = INTERIOR_LEFT;
    while (game.column_cursor <= INTERIOR_RIGHT) {
        int r = INTERIOR_TOP;
        while (r <= INTERIOR_BOTTOM) {
            visit(r);
            r = r + 1;
        }
        game.column_cursor = game.column_cursor + 1;
    }
}

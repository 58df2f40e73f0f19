#include "sim/gravity.h"
#include <cstdint>

#include "platform/platform.h"
#include "sim/game_state.h"

namespace {

constexpr bool holds_object(std::uint8_t c) { return c == ROCK || c == DIAMOND; }

}  // namespace

// Interior columns left to right, rows bottom up from the bottom row. A column of objects over a gap drops as a whole,
// a right roll lands in a column still to come (so an object can slide down a slope in one pass), and a left roll ends
// the column's scan. Everything outside the grid reads as WALL, so nothing falls out of row 19 and no roll leaves the
// grid.
void apply_gravity(std::uint8_t code) {
    const SoundId sound = code == ROCK ? SoundId::rock : SoundId::diamond;
    for (game.gravity_column = INTERIOR_LEFT; game.gravity_column <= INTERIOR_RIGHT; ++game.gravity_column) {
        for (game.gravity_row = CAVE_H - 1; game.gravity_row >= INTERIOR_TOP; --game.gravity_row) {
            const int x = game.gravity_column;
            const int y = game.gravity_row;

            if (cell_at(x, y) == code && cell_at(x, y + 1) == EMPTY) {
                set_cell(x, y, EMPTY);
                set_cell(x, y + 1, code);
                play_sound(1, sound);
            }

            if (cell_at(x, y) == code && holds_object(cell_at(x, y + 1))) {
                if (cell_at(x - 1, y) == EMPTY && cell_at(x - 1, y + 1) == EMPTY) {
                    set_cell(x - 1, y + 1, code);
                    set_cell(x, y, EMPTY);
                    break;  // the rows above in this column wait for the next pass
                }
                if (cell_at(x + 1, y) == EMPTY && cell_at(x + 1, y + 1) == EMPTY) {
                    set_cell(x + 1, y + 1, code);
                    set_cell(x, y, EMPTY);
                }
            }
        }
    }
}

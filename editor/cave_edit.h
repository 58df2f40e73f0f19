// The editor's model of a cave, apart from any screen: the kinds of cell a cave file may hold,
// painting, filling a region, drawing rectangles, the undo history, the findings shown live and
// the cave as the text of a cave file. Nothing here allocates.
#pragma once

#include "sim/game_state.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace editor {

// The kinds of cell a cave file may hold (docs/caves.md), in the strip's order.
struct CellKind {
    std::uint8_t code;
    const char* name;
};
constexpr std::array<CellKind, 13> KINDS{{
    {WALL, "wall"},
    {EMPTY, "empty"},
    {DIRT, "dirt"},
    {DIAMOND, "diamond"},
    {ROCK, "rock"},
    {START, "start"},
    {E_BLOCK, "inert block"},
    {MAGENTA_GROWTH, "magenta growth"},
    {GREEN_GROWTH, "green growth"},
    {ENEMY_LEFT, "enemy, left"},
    {ENEMY_RIGHT, "enemy, right"},
    {ENEMY_UP, "enemy, up"},
    {ENEMY_DOWN, "enemy, down"},
}};
constexpr int KIND_COUNT = static_cast<int>(KINDS.size());

// The index of a code in KINDS, or -1 for a code no cave file holds.
int kind_of(std::uint8_t code);
// The name of a code: its kind's name, or "unknown" for any other byte.
const char* code_name(std::uint8_t code);

constexpr bool in_cave(int x, int y) { return x >= 0 && y >= 0 && x < CAVE_W && y < CAVE_H; }
inline std::uint8_t& cell(CaveMap& cave, int x, int y) { return cave[static_cast<std::size_t>(x + CAVE_W * y)]; }
inline std::uint8_t cell(const CaveMap& cave, int x, int y) { return cave[static_cast<std::size_t>(x + CAVE_W * y)]; }

// A new cave: wall all round, empty inside, the start near the top left corner.
CaveMap new_cave();

// Each returns whether any cell changed. Cells outside the cave are left alone.
bool paint(CaveMap& cave, int x, int y, std::uint8_t code);
// Replaces the region of cells of (x, y)'s code joined to it through their sides.
bool flood_fill(CaveMap& cave, int x, int y, std::uint8_t code);
// The rectangle with corners (x0, y0) and (x1, y1), in any order: its border, or all of it.
bool draw_rectangle(CaveMap& cave, int x0, int y0, int x1, int y1, std::uint8_t code, bool filled);

// The undo history: the cave after each of the last UNDO_STEPS edits, and before the first.
constexpr int UNDO_STEPS = 128;
struct History {
    std::array<CaveMap, UNDO_STEPS + 1> saved{};
    int head = 0;  // where the cave now shown is kept
    int undos = 0, redos = 0;
};
// Starts a history at cave, with nothing to undo or redo.
void reset_history(History& history, const CaveMap& cave);
// Keeps cave as the newest step: the oldest goes once there are UNDO_STEPS, and redos end.
void commit(History& history, const CaveMap& cave);
// Moves one step back or forward, writing that step's cave; false when there is none.
bool undo(History& history, CaveMap& cave);
bool redo(History& history, CaveMap& cave);

// What the strip shows of the checker's rules, counted straight from the cells.
struct Findings {
    int starts = 0;
    int diamonds = 0;
    int ring_breaks = 0;              // ring cells that are not wall
    int ring_x = -1, ring_y = -1;     // the first of them, in reading order
    int unknown = 0;                  // cells of a code no cave file holds
    int unknown_x = -1, unknown_y = -1;
    // What the checker refuses: a broken ring, other than one start, unknown codes.
    bool refused() const { return starts != 1 || ring_breaks > 0 || unknown > 0; }
};
Findings find(const CaveMap& cave);
// The findings as one line of the strip ("no start cell; ring broken at (0, 5)"), or "" for a
// cave with nothing to say. Written into out, cut to its size.
void describe(const Findings& findings, std::span<char> out);

// The cave as a cave file: 20 lines of 25 cells, each ended by '\n'.
constexpr std::size_t CAVE_TEXT_SIZE = CAVE_H * (CAVE_W + 1);
using CaveText = std::array<char, CAVE_TEXT_SIZE>;
CaveText cave_text(const CaveMap& cave);

// Reads a cave file's bytes as the game's loader does: every byte above 0x20 is the next cell.
struct Loaded {
    CaveMap cave{};
    int cells = 0;  // cells the bytes held (all of them, past 500 too)
};
// Cells the bytes lack are EMPTY.
Loaded read_cave(std::span<const char> bytes);

}  // namespace editor

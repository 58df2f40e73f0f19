// The one process-wide game record, the cave grid and its cell codes.
#pragma once

#include <array>
#include <cstdint>

constexpr int CAVE_W = 25;
constexpr int CAVE_H = 20;
constexpr int CAVE_CELLS = CAVE_W * CAVE_H;
constexpr int CELL_PX = 32;
// The interior: the cells inside the outer ring, which the blast decay and the creature pass scan.
constexpr int INTERIOR_LEFT = 1, INTERIOR_RIGHT = CAVE_W - 2;
constexpr int INTERIOR_TOP = 1, INTERIOR_BOTTOM = CAVE_H - 2;

// The world moves in steps of STEP_MS; the game draws one frame per step.
constexpr int STEP_MS = 100;
// Lives at the start of a game.
constexpr int START_LIVES = 10;

// Cell codes: one ASCII byte per cell. Any other byte is inert.
constexpr std::uint8_t WALL = '#';
constexpr std::uint8_t EMPTY = '.';
constexpr std::uint8_t DIRT = '_';
constexpr std::uint8_t DIAMOND = '*';
constexpr std::uint8_t ROCK = 'o';
constexpr std::uint8_t START = 'S';
constexpr std::uint8_t E_BLOCK = 'E';
constexpr std::uint8_t PLAYER = 'H';
constexpr std::uint8_t MAGENTA_GROWTH = '@';
constexpr std::uint8_t GREEN_GROWTH = '%';
constexpr std::uint8_t ENEMY_LEFT = 'a';
constexpr std::uint8_t ENEMY_RIGHT = 'b';
constexpr std::uint8_t ENEMY_UP = 'c';
constexpr std::uint8_t ENEMY_DOWN = 'd';
constexpr std::uint8_t BLAST_7 = '7';
constexpr std::uint8_t BLAST_6 = '6';
constexpr std::uint8_t BLAST_5 = '5';
constexpr std::uint8_t BLAST_4 = '4';
constexpr std::uint8_t BLAST_3 = '3';
constexpr std::uint8_t BLAST_2 = '2';
constexpr std::uint8_t BLAST_1 = '1';

// Cell (x, y) is byte x + 25 * y.
using CaveMap = std::array<std::uint8_t, CAVE_CELLS>;

struct GameState {
    // Cave and player.
    CaveMap cave{};
    int cave_index = 0;
    int player_x = 0, player_y = 0;
    int prev_x = 0, prev_y = 0;
    int step_dx = 0, step_dy = 0;
    int face_dx = 0, face_dy = 0;
    int diamonds_left = 0;
    int blast_hit_player = 0;

    // Game.
    int lives = 0;
    int score = 0;
    int on_title = 0;
    int key_left = 0, key_right = 0, key_up = 0, key_down = 0;

    // Clocks: signed millisecond tick values.
    std::int32_t frame_clock = 0;
    std::int32_t step_clock = 0;
    std::int32_t cave_start_time = 0;

    // Effect state: the phases of the ribbons, restarted with each cave.
    float ribbon_phase_a = 0.0f;
    float ribbon_phase_b = 0.0f;

    // Pass cursors. The creature pass and the blast decay share column_cursor.
    int column_cursor = 0;
    int gravity_column = 0;
    int gravity_row = 0;
};

extern GameState game;

// Stores code in cell (x, y); does nothing for a cell outside the grid.
void set_cell(int x, int y, std::uint8_t code);
// The code of cell (x, y); every cell outside the grid reads as WALL.
std::uint8_t cell_at(int x, int y);
// 1 when (x, y) is inside the grid and holds DIRT, EMPTY, DIAMOND or PLAYER.
int is_walkable(int x, int y);
// The code under the player.
std::uint8_t cell_at_player();

// The grid accessors and the cave loader: file layouts, start cells, diamonds, short and long
// files and the reset of one attempt. (A missing cave after the last is played by the cave
// solutions, a missing first cave is a start-up message: test_startup.cpp.)
#include "sim/cave_loader.h"
#include "sim/game_state.h"
#include "tests/support/test_env.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <ios>
#include <string>
#include <tuple>
#include <utility>

using namespace test_env;
using Loader = SimTest;

void write_cave0(const std::string& content) { std::ofstream("level0.txt", std::ios::binary) << content; }

TEST(Grid, AccessorsTreatTheOutsideAsWall) {
    game = GameState{};
    game.cave.fill(EMPTY);
    for (auto [x, y] : {std::pair{25, 3}, {3, 20}, {-1, 3}, {3, -1}}) set_cell(x, y, DIRT);
    for (std::uint8_t c : game.cave) ASSERT_EQ(c, EMPTY);
    for (auto [x, y] : {std::pair{-1, 0}, {25, 0}, {0, 20}, {0, -1}}) EXPECT_EQ(cell_at(x, y), WALL) << x << "," << y;
    EXPECT_EQ(is_walkable(25, 5) + is_walkable(5, 20) + is_walkable(-1, 5) + is_walkable(5, -1), 0);
}

TEST_F(Loader, LayoutDoesNotMatterOnlyTheKeptBytes) {
    write_level(0, paste(blank(), 3, 4, {"S"}));
    load_cave();
    const auto crlf = game.cave;
    EXPECT_EQ(cell_at(3, 4), START);

    // The same cells with nothing, line ends, spaces, tabs and control bytes between them.
    const std::string gaps[] = {"", "\n", " \t", "\x01\r\n"};
    std::string mixed;
    std::size_t i = 0;
    for (const std::string& row : cave_rows())
        for (char c : row) mixed += c + gaps[i++ % 4];
    game.cave.fill(0);
    write_cave0(mixed);
    load_cave();
    EXPECT_EQ(game.cave, crlf);
}

TEST_F(Loader, StartCellIsTheLastFoundColumnByColumn) {
    Rows cave = paste(blank(), 3, 10, {"S"});
    write_level(0, paste(cave, 5, 2, {"S"}));
    load_cave();
    EXPECT_EQ(std::tuple(game.player_x, game.player_y, game.prev_x, game.prev_y), std::tuple(5, 2, 5, 2));
    EXPECT_EQ(cell_at(3, 10), START) << "the others stay as inert cells";
    write_level(0, paste(cave, 5, 9, {"S"}));
    load_cave();
    EXPECT_EQ(game.player_y, 9);

    // Without a start the player keeps its cell.
    game.player_x = 7;
    game.player_y = 8;
    write_level(0, blank());
    load_cave();
    EXPECT_EQ(std::tuple(game.player_x, game.player_y, game.prev_x, game.prev_y), std::tuple(7, 8, 7, 8));
}

TEST_F(Loader, ShortFilesKeepThePreviousCellsAndLongFilesAreCut) {
    write_level(0, blank(true, '*'));
    load_cave();
    EXPECT_EQ(game.diamonds_left, 23 * 18);
    // 100 kept bytes: cells 0..99 are new, the rest (and their diamonds) stay.
    write_cave0(std::string(100, '_'));
    load_cave();
    EXPECT_EQ(std::tuple(cell_at(24, 3), cell_at(0, 4), cell_at(1, 4)), std::tuple(DIRT, WALL, DIAMOND));
    EXPECT_EQ(game.diamonds_left, 23 * 15);

    write_cave0(std::string(500, '.') + std::string(300, '*'));
    load_cave();
    EXPECT_EQ(game.diamonds_left, 0);
}

TEST_F(Loader, ResetsOneAttempt) {
    write_level(0, paste(blank(), 1, 2, {" S", "", "", "************"}));
    game.key_left = game.key_right = game.key_up = game.key_down = game.blast_hit_player = 1;
    game.ribbon_phase_a = 3.0f;
    game.ribbon_phase_b = 4.0f;
    game.column_cursor = 17;
    now_ms = 12345;
    load_cave();
    EXPECT_EQ(game.diamonds_left, 12);
    EXPECT_EQ(game.key_left + game.key_right + game.key_up + game.key_down + game.blast_hit_player, 0);
    EXPECT_EQ(std::pair(game.ribbon_phase_a, game.ribbon_phase_b), std::pair(0.0f, 0.0f));
    EXPECT_EQ(game.column_cursor, 2);
    EXPECT_EQ(std::tuple(game.frame_clock, game.step_clock, game.cave_start_time), std::tuple(12345, 12345, 12345));
}

// The grid accessors and the cave loader: file layouts, start cells, diamonds, short and long
// files, missing caves and the reset of one attempt.
#include "sim/cave_loader.h"
#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Runs each test in a scratch directory of its own.
class Loader : public test_env::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        old_dir = fs::current_path();
        dir = fs::temp_directory_path() / ("kromblix-loader-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(old_dir);
        fs::remove_all(dir);
        GameTest::TearDown();
    }
    static void write(const std::string& name, const std::string& content) {
        std::ofstream(name, std::ios::binary) << content;
    }
    static std::string walled(char fill = '.') {
        std::string s;
        for (int y = 0; y < CAVE_H; ++y) {
            for (int x = 0; x < CAVE_W; ++x)
                s += (x == 0 || y == 0 || x == CAVE_W - 1 || y == CAVE_H - 1) ? '#' : fill;
            s += "\r\n";
        }
        return s;
    }
    static void put(std::string& cave, int x, int y, char c) { cave[static_cast<std::size_t>(y * 27 + x)] = c; }
    fs::path old_dir, dir;
};

TEST(Grid, AccessorsTreatTheOutsideAsWall) {
    game = GameState{};
    game.cave.fill(EMPTY);
    set_cell(25, 3, DIRT);
    set_cell(3, 20, DIRT);
    set_cell(-1, 3, DIRT);
    set_cell(3, -1, DIRT);
    for (std::uint8_t c : game.cave) ASSERT_EQ(c, EMPTY);
    set_cell(24, 19, DIRT);
    EXPECT_EQ(game.cave[499], DIRT);
    set_cell(0, 0, WALL);
    set_cell(0, 0, EMPTY);  // walls are protected only by the blast rule
    EXPECT_EQ(cell_at(0, 0), EMPTY);

    EXPECT_EQ(cell_at(-1, 0), WALL);
    EXPECT_EQ(cell_at(25, 0), WALL);
    EXPECT_EQ(cell_at(0, 20), WALL);
    for (char c : std::string("_.*H")) {
        set_cell(5, 5, static_cast<std::uint8_t>(c));
        EXPECT_EQ(is_walkable(5, 5), 1) << c;
    }
    for (char c : std::string("#oSE@%abcd01234567\x01")) {
        set_cell(5, 5, static_cast<std::uint8_t>(c));
        EXPECT_EQ(is_walkable(5, 5), 0) << c;
    }
    set_cell(5, 5, 0);
    EXPECT_EQ(is_walkable(5, 5), 0);
    EXPECT_EQ(is_walkable(25, 5) + is_walkable(5, 20) + is_walkable(-1, 5) + is_walkable(5, -1), 0);
    game.player_x = 24;
    game.player_y = 19;
    EXPECT_EQ(cell_at_player(), DIRT);
}

TEST_F(Loader, LayoutDoesNotMatterOnlyTheKeptBytes) {
    std::string cave = walled();
    put(cave, 3, 4, 'S');
    put(cave, 7, 2, '*');
    write("level0.txt", cave);
    load_cave();
    const auto crlf = game.cave;
    EXPECT_EQ(cell_at(7, 2), DIAMOND);
    EXPECT_EQ(cell_at(3, 4), START);

    // The same cells in one line, in lines of 10 and with spaces and tabs between them.
    std::string flat;
    for (char c : cave)
        if (static_cast<unsigned char>(c) > 0x20) flat += c;
    std::string tens, spaced;
    for (std::size_t i = 0; i < flat.size(); ++i) {
        tens += flat[i];
        if (i % 10 == 9) tens += '\n';
        spaced += flat[i];
        spaced += (i % 2) ? " " : "\t\x01";
    }
    for (const std::string& variant : {flat, tens, spaced}) {
        game.cave.fill(0);
        write("level0.txt", variant);
        load_cave();
        EXPECT_EQ(game.cave, crlf);
    }
    write("level0.txt", "# . #");
    game.cave.fill(0);
    load_cave();
    EXPECT_EQ(cell_at(0, 0), WALL);
    EXPECT_EQ(cell_at(1, 0), EMPTY);
    EXPECT_EQ(cell_at(2, 0), WALL);
    EXPECT_EQ(cell_at(3, 0), 0);
}

TEST_F(Loader, StartCellIsTheLastFoundColumnByColumn) {
    std::string cave = walled();
    put(cave, 3, 10, 'S');
    put(cave, 5, 2, 'S');
    write("level0.txt", cave);
    load_cave();
    EXPECT_EQ(game.player_x, 5);
    EXPECT_EQ(game.player_y, 2);
    EXPECT_EQ(game.prev_x, 5);
    EXPECT_EQ(game.prev_y, 2);
    EXPECT_EQ(cell_at(3, 10), START);  // the others stay as inert cells

    put(cave, 5, 9, 'S');
    write("level0.txt", cave);
    load_cave();
    EXPECT_EQ(game.player_y, 9);

    // Without a start the player keeps its cell.
    game.player_x = 7;
    game.player_y = 8;
    write("level0.txt", walled());
    load_cave();
    EXPECT_EQ(game.player_x, 7);
    EXPECT_EQ(game.prev_y, 8);
}

TEST_F(Loader, ShortFilesKeepThePreviousCellsAndLongFilesAreCut) {
    write("level0.txt", walled('*'));
    load_cave();
    EXPECT_EQ(game.diamonds_left, 23 * 18);
    // 100 kept bytes: cells 0..99 are new, the rest (and their diamonds) stay.
    write("level0.txt", std::string(100, '_'));
    load_cave();
    EXPECT_EQ(cell_at(24, 3), DIRT);
    EXPECT_EQ(cell_at(0, 4), WALL);
    EXPECT_EQ(cell_at(1, 4), DIAMOND);
    EXPECT_EQ(game.diamonds_left, 23 * 15);

    write("level0.txt", std::string(500, '.') + std::string(300, '*'));
    load_cave();
    EXPECT_EQ(game.diamonds_left, 0);
    write("level0.txt", "");
    load_cave();
    EXPECT_EQ(cell_at(5, 5), EMPTY);
}

TEST_F(Loader, ResetsOneAttemptAndLeavesTheGameCounters) {
    std::string cave = walled();
    put(cave, 2, 2, 'S');
    for (int x = 1; x <= 12; ++x) put(cave, x, 5, '*');
    write("level0.txt", cave);
    game.key_left = game.key_right = game.key_up = game.key_down = 1;
    game.blast_hit_player = 1;
    game.ribbon_phase_a = 3.0f;
    game.ribbon_phase_b = 4.0f;
    game.column_cursor = 17;
    game.lives = 4;
    game.score = 77;
    game.step_dx = 1;
    game.face_dy = -1;
    game.on_title = 1;
    test_env::now_ms = 12345;
    load_cave();
    EXPECT_EQ(game.diamonds_left, 12);
    EXPECT_EQ(game.key_left + game.key_right + game.key_up + game.key_down + game.blast_hit_player, 0);
    EXPECT_EQ(game.ribbon_phase_a, 0.0f);
    EXPECT_EQ(game.ribbon_phase_b, 0.0f);
    EXPECT_EQ(game.column_cursor, 2);
    EXPECT_EQ(game.frame_clock, 12345);
    EXPECT_EQ(game.step_clock, 12345);
    EXPECT_EQ(game.cave_start_time, 12345);
    EXPECT_EQ(game.lives, 4);
    EXPECT_EQ(game.score, 77);
    EXPECT_EQ(game.step_dx, 1);
    EXPECT_EQ(game.face_dy, -1);
    EXPECT_EQ(game.on_title, 1);
}

TEST_F(Loader, MissingCaveFallsBackToCaveZero) {
    std::string cave = walled();
    put(cave, 4, 4, 'S');
    write("level0.txt", cave);
    write("level1.txt", walled('_'));
    game.cave_index = 1;
    load_cave();
    EXPECT_EQ(game.cave_index, 1);
    EXPECT_EQ(cell_at(4, 4), DIRT);
    game.cave_index = 7;
    load_cave();
    EXPECT_EQ(game.cave_index, 0);
    EXPECT_EQ(cell_at(4, 4), START);
}

TEST_F(Loader, MissingFirstCaveEndsWithAMessage) {
    game.cave_index = 3;
    EXPECT_EXIT(load_cave(), ::testing::ExitedWithCode(1), "level0\\.txt");
}

}  // namespace

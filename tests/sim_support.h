// Helpers for the simulation suites: caves drawn as small pictures, replaying the rand()
// sequence, and a fixture that runs each test in a scratch directory for the level files.
#pragma once

#include "tests/support/test_env.h"
#include "tests/support/test_media.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include <unistd.h>

namespace sim_test {

using Rows = std::vector<std::string>;
using test_env::SoundStart;

// An EMPTY cave, with WALL all along its outer ring unless it is to be open.
inline Rows blank(bool ring = true) {
    Rows rows(CAVE_H, std::string(CAVE_W, '.'));
    for (int y = 0; y < CAVE_H && ring; ++y)
        for (int x = 0; x < CAVE_W; ++x)
            if (x == 0 || y == 0 || x == CAVE_W - 1 || y == CAVE_H - 1) rows[y][x] = '#';
    return rows;
}

// Copies a picture into the rows with its top-left corner at (x, y); ' ' keeps the cell.
inline Rows& paste(Rows& rows, int x, int y, std::initializer_list<const char*> picture) {
    for (const char* line : picture) {
        for (int i = 0; line[i] != '\0'; ++i)
            if (line[i] != ' ') rows.at(y).at(x + i) = line[i];
        ++y;
    }
    return rows;
}
inline Rows paste(Rows&& rows, int x, int y, std::initializer_list<const char*> picture) {
    return paste(rows, x, y, picture);
}

// The draws a creature pass makes ahead of the visit of (x, y) when nothing moves or acts
// before it: columns up to 11 draw a coin and a turn per visit, later ones a turn only.
inline int draws_before(int x, int y) {
    int n = 0;
    for (int c = 1; c < x; ++c) n += 18 * (c <= 11 ? 2 : 1);
    return n + (y - 1) * (x <= 11 ? 2 : 1);
}
constexpr int PASS_DRAWS = 11 * 18 * 2 + 12 * 18;  // a whole pass over a still cave

// Values first .. first + count - 1 of the sequence of seed.
inline std::vector<int> draws(unsigned seed, int first, int count) {
    std::srand(seed);
    for (int i = 0; i < first; ++i) std::rand();
    std::vector<int> out;
    for (int i = 0; i < count; ++i) out.push_back(std::rand());
    return out;
}

// The first seed whose values from index first on satisfy pred.
template <class Pred>
unsigned find_seed(int first, int count, Pred pred) {
    for (unsigned seed = 1; seed < 100000; ++seed)
        if (pred(draws(seed, first, count))) return seed;
    ADD_FAILURE() << "no seed found";
    return 0;
}

// How far the running sequence of seed has got: the index of the value rand() gives next.
inline int draws_taken(unsigned seed) {
    const int a = std::rand(), b = std::rand();
    std::srand(seed);
    for (int i = 0, prev = std::rand(), next; i < 10000; ++i, prev = next)
        if ((next = std::rand()) == b && prev == a) return i;
    return -1;
}

class SimTest : public test_env::GameTest {
protected:
    std::filesystem::path old_dir, dir;

    void SetUp() override {
        GameTest::SetUp();
        old_dir = std::filesystem::current_path();
        dir = std::filesystem::temp_directory_path() / ("kromblix-sim-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        test_env::make_screen();
        test_env::make_media();
    }
    void TearDown() override {
        std::filesystem::current_path(old_dir);
        std::filesystem::remove_all(dir);
        test_env::free_media();
        GameTest::TearDown();
    }
    void write_level(int index, const Rows& rows) {
        std::ofstream out(dir / ("level" + std::to_string(index) + ".txt"), std::ios::binary);
        for (const std::string& row : rows) out << row << "\r\n";
    }
    // The cave with the player standing on (x, y), no key held and no direction.
    void start(Rows rows, int x, int y) {
        rows.at(y).at(x) = 'H';
        test_env::set_cave(rows);
        game.player_x = game.prev_x = x;
        game.player_y = game.prev_y = y;
        game.key_left = game.key_right = game.key_up = game.key_down = 0;
        game.step_dx = game.step_dy = 0;
    }
};

}  // namespace sim_test

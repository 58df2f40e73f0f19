// Cave solutions: the move strings and the replays made of them, and every shipped solution
// played by kromblix-replay, each from a fresh start of its cave and all of them in one game.
#include "tests/support/test_env.h"
#include "tools/solution/moves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace test_env;
using solution::Moves;

constexpr int CAVES = 20;
const fs::path DATA = fs::path(KROMBLIX_SOURCE_DIR) / "data";
const fs::path SOLUTIONS = DATA / "solutions";

Moves moves_of(const std::string& text) {
    const solution::ParsedMoves parsed = solution::parse_moves(text);
    EXPECT_EQ(parsed.error, "");
    return parsed.moves;
}

// ---- move strings ------------------------------------------------------------------------

TEST(SolutionMoves, FaultsNameTheirLine) {
    EXPECT_EQ(solution::parse_moves("..\nR2\nr3\n").error,
              "line 3: 'r' is not a move (U D L R or . for no key, each with an optional count)");
    EXPECT_EQ(solution::parse_moves("R2 L0").error, "line 1: a count of 0 after 'L'");
    EXPECT_EQ(solution::parse_moves("\n\nU9999999").error, "line 3: count too large");
}

TEST(SolutionMoves, SolutionStartsWithTwoWaitsAndMovesAfterThem) {
    EXPECT_EQ(solution::check_solution(moves_of(".. R")), "");
    EXPECT_EQ(solution::check_solution(moves_of(". R2")), "a solution starts with two waits (\"..\")");
    EXPECT_EQ(solution::check_solution(moves_of("R3")), "a solution starts with two waits (\"..\")");
    EXPECT_EQ(solution::check_solution(moves_of("..")), "a solution holds two waits and at least one more step");
}

TEST(SolutionProgram, RefusesADirectoryAndReportsALostReplay) {
    ScratchDir scratch;
    const std::string moves = (SOLUTIONS / "level0.moves").string();
    Outcome r = run_program({KROMBLIX_SOLUTION_TOOL, "-o", "/dev/full", moves}, scratch.path);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kromblix-solution: cannot write the replay to /dev/full: No space left on device\n");
    r = run_program({KROMBLIX_SOLUTION_TOOL, scratch.path.string()}, scratch.path);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("it is a directory"), std::string::npos) << r.err;
}

// ---- the shipped solutions, played -------------------------------------------------------

Rows level_rows(int n) { return lines_of(slurp(DATA / ("level" + std::to_string(n) + ".txt"))); }

// A stored solution's moves, which must parse and keep the two rules of a solution.
Moves stored_moves(const fs::path& file) {
    const solution::ParsedMoves parsed = solution::parse_moves(slurp(file));
    EXPECT_EQ(parsed.error, "") << file;
    EXPECT_EQ(solution::check_solution(parsed.moves), "") << file;
    return parsed.moves;
}

Moves solution_moves(int n) { return stored_moves(SOLUTIONS / ("level" + std::to_string(n) + ".moves")); }

// A scratch run directory with the generated media; the caves are put in by each test.
class CaveSolutions : public ::testing::Test {
protected:
    void SetUp() override { copy_media(dir.path / "run"); }

    void put_cave(int cave, int as_number) {
        fs::copy_file(DATA / ("level" + std::to_string(cave) + ".txt"),
                      dir.path / "run" / ("level" + std::to_string(as_number) + ".txt"));
    }

    // Plays a replay with kromblix-replay; the blocks of its frame record, the exit block last.
    std::vector<Block> play(const fs::path& replay) {
        const fs::path record = dir.path / "record.txt";
        const Outcome run =
            run_program({KROMBLIX_REPLAY_TOOL, "-C", "run", "-o", record.string(), replay.string()}, dir.path);
        EXPECT_EQ(run.status, 0) << run.err;
        return parse_record(slurp(record));
    }

    ScratchDir dir;
};

// The stored replay is what kromblix-solution makes of the stored moves.
void expect_replay_matches(const fs::path& replay, const std::vector<Moves>& caves, const std::vector<int>& numbers) {
    std::string header = "# Made by kromblix-solution from";
    for (int n : numbers) header += " level" + std::to_string(n) + ".moves";
    header += ".\n";
    EXPECT_EQ(slurp(replay), solution::build_replay(caves, header))
        << replay << " is out of date: make it again with kromblix-solution (docs/caves.md)";
}

// The record of a solution played with its cave first and the next cave second: no life is
// lost, and the first frame of the second cave shows it as its file (next_cells) says.
void expect_finishes_into(const std::vector<Block>& blocks, const std::string& cave, const std::string& next_cells) {
    const Block* loaded = nullptr;
    for (const Block& f : blocks) {
        EXPECT_NE(f.kind, "death") << "the solution of " << cave << " loses a life";
        if (f.kind != "game") continue;
        EXPECT_EQ(f.get("lives"), 10);
        if (f.get("cave_index") == 1) {
            loaded = &f;
            break;
        }
        EXPECT_EQ(f.get("cave_index"), 0);
    }
    ASSERT_NE(loaded, nullptr) << cave << " is not finished by its solution";
    EXPECT_EQ(loaded->grid, lines_of(next_cells)) << "the frame after " << cave << " does not show the next cave";
    EXPECT_EQ(loaded->get("diamonds_left"), std::count(next_cells.begin(), next_cells.end(), '*'));
}

class EachCave : public CaveSolutions, public ::testing::WithParamInterface<int> {};

// Cave N as the first cave of a game and the next cave as the second: the solution finishes the
// cave without a death, and the next cave is loaded as its file says.
TEST_P(EachCave, SolutionFinishesItFromAFreshStart) {
    const int n = GetParam();
    const int next = (n + 1) % CAVES;
    const Moves moves = solution_moves(n);
    const fs::path replay = SOLUTIONS / ("level" + std::to_string(n) + ".replay");
    expect_replay_matches(replay, {moves}, {n});
    put_cave(n, 0);
    put_cave(next, 1);

    expect_finishes_into(play(replay), "cave " + std::to_string(n),
                         slurp(DATA / ("level" + std::to_string(next) + ".txt")));
}

INSTANTIATE_TEST_SUITE_P(Shipped, EachCave, ::testing::Range(0, CAVES), [](const ::testing::TestParamInfo<int>& param) {
    return "level" + std::to_string(param.param);
});

// One game through all the caves: each solution takes up where the previous one's last diamond
// loaded its cave, caves 10 and 20 give a life each, and the game comes back to cave 1.
TEST_F(CaveSolutions, AllSolutionsInOneGameComeBackToTheFirstCave) {
    std::vector<Moves> all;
    std::vector<int> numbers;
    for (int n = 0; n < CAVES; ++n) {
        all.push_back(solution_moves(n));
        numbers.push_back(n);
        put_cave(n, n);
    }
    const fs::path replay = SOLUTIONS / "all.replay";
    expect_replay_matches(replay, all, numbers);

    const std::vector<Block> blocks = play(replay);
    std::vector<int> visited;
    for (const Block& f : blocks) {
        ASSERT_NE(f.kind, "death") << "a life is lost in cave " << (visited.empty() ? -1 : visited.back());
        if (f.kind != "game") continue;
        const int cave = f.get("cave_index");
        if (!visited.empty() && visited.back() == cave) continue;
        visited.push_back(cave);
        // A cave reached by finishing the one before is drawn as loaded before any step runs on
        // it (the first cave of the game has had its first step), with the lives earned so far.
        if (visited.size() > 1) {
            EXPECT_EQ(f.grid, level_rows(cave)) << "cave " << cave;
        }
        const int lives = visited.size() > CAVES ? 12 : cave >= 10 ? 11 : 10;
        EXPECT_EQ(f.get("lives"), lives) << "on reaching cave " << cave << " (visit " << visited.size() << ")";
    }
    std::vector<int> expected;
    for (int n = 0; n < CAVES; ++n) expected.push_back(n);
    expected.push_back(0);
    EXPECT_EQ(visited, expected);
}

// The first cave teaches digging and promises that nothing in it can hurt: no rocks, enemies or
// growths, and every diamond, once it has fallen, rests on a wall or on one cell above a wall,
// so the player can never stand under a gap with a diamond over it.
TEST_F(CaveSolutions, NothingInTheFirstCaveCanHurtThePlayer) {
    const Rows rows = level_rows(0);
    ASSERT_EQ(rows.size(), 20u);
    auto at = [&](int x, int y) { return rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]; };
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 25; ++x) {
            EXPECT_NE(std::string("#._*S").find(at(x, y)), std::string::npos) << x << "," << y;
            if (at(x, y) != '*') continue;
            int rest = y;
            while (at(x, rest + 1) == '.') ++rest;
            EXPECT_TRUE(at(x, rest + 1) == '#' || at(x, rest + 2) == '#') << "the diamond at " << x << "," << y;
        }
    }
    // The walk that once let a diamond fall on the player.
    put_cave(0, 0);
    put_cave(1, 1);
    const fs::path replay = dir.path / "walk.replay";
    std::ofstream(replay) << solution::build_replay({moves_of(".. R10 D3 R2 D1 R8 U1 D1 .20")}, "");
    int game_frames = 0;
    for (const Block& f : play(replay)) {
        EXPECT_NE(f.kind, "death");
        game_frames += f.kind == "game" && f.get("lives") == 10;
    }
    EXPECT_GT(game_frames, 50);
}

// ---- the second set: data/caves/deeper ---------------------------------------------------
// Read from the source tree, so the tests do not depend on the build's copy of the set.

const fs::path DEEPER = DATA / "caves" / "deeper";
const fs::path DEEPER_SOLUTIONS = SOLUTIONS / "deeper";
constexpr int DEEPER_CAVES = 20;

fs::path deeper_cave(int n) { return DEEPER / ("level" + std::to_string(n) + ".txt"); }
fs::path deeper_file(int n, const char* extension) {
    return DEEPER_SOLUTIONS / ("level" + std::to_string(n) + extension);
}

Moves deeper_moves(int n) { return stored_moves(deeper_file(n, ".moves")); }

// The set's name as the title shows it, a cave file for every number from 0 and nothing after
// the last one, a solution for each, and no cave that the first set already has.
TEST(DeeperSet, HasANameNewCavesAndASolutionForEach) {
    const std::string name = lines_of(slurp(DEEPER / "name.txt")).at(0);
    EXPECT_FALSE(name.empty());
    EXPECT_LE(name.size(), 24u);
    EXPECT_TRUE(std::all_of(name.begin(), name.end(), [](char c) { return c >= ' ' && c <= '~'; })) << name;

    EXPECT_FALSE(fs::exists(deeper_cave(DEEPER_CAVES))) << "a cave past the last one the tests know";
    std::vector<std::string> first_set;
    for (int n = 0; n < CAVES; ++n) first_set.push_back(slurp(DATA / ("level" + std::to_string(n) + ".txt")));
    for (int n = 0; n < DEEPER_CAVES; ++n) {
        ASSERT_TRUE(fs::exists(deeper_cave(n))) << deeper_cave(n);
        EXPECT_EQ(lines_of(slurp(deeper_cave(n))).size(), 20u) << deeper_cave(n);
        EXPECT_EQ(std::count(first_set.begin(), first_set.end(), slurp(deeper_cave(n))), 0) << deeper_cave(n);
        EXPECT_TRUE(fs::exists(deeper_file(n, ".moves")) && fs::exists(deeper_file(n, ".replay"))) << n;
    }
}

class DeeperCaves : public CaveSolutions {
protected:
    void put_deeper(int cave, int as_number) {
        fs::copy_file(deeper_cave(cave), dir.path / "run" / ("level" + std::to_string(as_number) + ".txt"));
    }
};

class EachDeeperCave : public DeeperCaves, public ::testing::WithParamInterface<int> {};

// As for the first set: cave N first, the next cave second, the solution finishes cave N without
// a death and the next cave is loaded as its file says.
TEST_P(EachDeeperCave, SolutionFinishesItFromAFreshStart) {
    const int n = GetParam();
    const int next = (n + 1) % DEEPER_CAVES;
    const fs::path replay = deeper_file(n, ".replay");
    expect_replay_matches(replay, {deeper_moves(n)}, {n});
    put_deeper(n, 0);
    put_deeper(next, 1);

    expect_finishes_into(play(replay), "deeper cave " + std::to_string(n), slurp(deeper_cave(next)));
}

INSTANTIATE_TEST_SUITE_P(Deeper, EachDeeperCave, ::testing::Range(0, DEEPER_CAVES),
                         [](const ::testing::TestParamInfo<int>& param) {
                             return "level" + std::to_string(param.param);
                         });

// The whole set in one game, on the random numbers the caves before each one leave: every cave
// in turn, caves 10 and 20 give a life each, no life is lost, and the game comes back to cave 1.
TEST_F(DeeperCaves, AllSolutionsInOneGameComeBackToTheFirstCave) {
    std::vector<Moves> all;
    std::vector<int> numbers;
    for (int n = 0; n < DEEPER_CAVES; ++n) {
        all.push_back(deeper_moves(n));
        numbers.push_back(n);
        put_deeper(n, n);
    }
    const fs::path replay = DEEPER_SOLUTIONS / "all.replay";
    expect_replay_matches(replay, all, numbers);

    std::vector<int> visited;
    int lives = 10;
    for (const Block& f : play(replay)) {
        ASSERT_NE(f.kind, "death") << "a life is lost in deeper cave " << (visited.empty() ? -1 : visited.back());
        if (f.kind != "game") continue;
        const int cave = f.get("cave_index");
        if (!visited.empty() && visited.back() == cave) continue;
        if (!visited.empty() && (visited.back() == 9 || visited.back() == 19)) ++lives;
        visited.push_back(cave);
        if (visited.size() > 1) {
            EXPECT_EQ(f.grid, lines_of(slurp(deeper_cave(cave)))) << "deeper cave " << cave;
        }
        EXPECT_EQ(f.get("lives"), lives) << "on reaching deeper cave " << cave << " (visit " << visited.size() << ")";
    }
    std::vector<int> expected;
    for (int n = 0; n < DEEPER_CAVES; ++n) expected.push_back(n);
    expected.push_back(0);
    EXPECT_EQ(visited, expected);
}

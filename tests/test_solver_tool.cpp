// kromblix-solve as a process: a small cave proved on 16 of 16 sequences through the real game,
// and broken caves and command lines refused with status 2 and a message, never a crash.
#include "tests/support/test_env.h"

#include "sim/cave_marks.h"
#include "tools/solution/moves.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <ios>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace test_env;

namespace {

Outcome solve(const fs::path& dir, const std::vector<std::string>& args) {
    std::vector<std::string> all{KROMBLIX_SOLVE_TOOL};
    all.insert(all.end(), args.begin(), args.end());
    return run_program(all, dir, {"KROMBLIX_DATA=" KROMBLIX_RUN_DIR});
}

}  // namespace

// Three diamonds, one under a rock that falls when the dirt below it is dug.
TEST(Solver, ProvesASmallCaveThroughTheGame) {
    ScratchDir dir;
    Rows rows = blank(true, '_');
    paste(rows, 1, 1, {"S__*", "__o_", "__*_", "*___"});
    std::ofstream(dir.path / "small.txt") << [&] {
        std::string text;
        for (const std::string& row : rows) text += row + "\n";
        return text;
    }();
    std::ofstream(dir.path / "proven.txt") << "# kept\nlevel9.txt 0123456789abcdef\nsmall.txt 0000000000000000\n";
    const Outcome out = solve(dir.path, {"small.txt", "-o", "route", "--seconds", "60", "--mark", "--progress"});
    EXPECT_EQ(out.status, 0) << out.out << out.err;
    EXPECT_NE(out.out.find("winnable on 16 of 16 sequences"), std::string::npos) << out.out;
    EXPECT_EQ(out.out.rfind("winnable on 16 of 16 sequences"), out.out.rfind('\n', out.out.size() - 2) + 1)
        << "the answer is the last line";
    // The mark replaces the cave's old one and keeps the others.
    const std::vector<cave_marks::Mark> marks = cave_marks::read_marks(slurp(dir.path / "proven.txt"));
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].cave, "level9.txt");
    EXPECT_TRUE(cave_marks::is_proven(marks, "small.txt", slurp(dir.path / "small.txt")));
    const solution::ParsedMoves moves = solution::parse_moves(slurp(dir.path / "route.moves"));
    EXPECT_EQ(moves.error, "");
    EXPECT_EQ(solution::check_solution(moves.moves), "");
    EXPECT_EQ(slurp(dir.path / "route.replay").find("# Made by kromblix-solve from small.txt."), 0u);
}

TEST(Solver, RefusesBrokenCavesAndCommandLines) {
    ScratchDir dir;
    std::ofstream(dir.path / "empty.txt") << "";
    std::ofstream(dir.path / "bytes.txt", std::ios::binary) << std::string("\x00\xff\x1b[2J#S*\n", 9);
    std::ofstream(dir.path / "nostart.txt") << [] {
        std::string text;
        for (const std::string& row : blank()) text += row + "\n";
        return text;
    }();
    std::ofstream(dir.path / "huge.txt") << std::string(3 << 20, '#');
    fs::create_directory(dir.path / "folder");
    // Bytes of every value, a good cave's text broken by a NUL and a stray byte.
    std::mt19937 random(17);
    std::string noise(600, '\0');
    for (char& c : noise) c = static_cast<char>(random() & 0xFF);
    std::ofstream(dir.path / "noise.txt", std::ios::binary) << noise;
    std::string cut = [] {
        std::string text;
        for (const std::string& row : paste(blank(), 1, 1, {"S*"})) text += row + "\n";
        return text;
    }();
    cut[60] = '\0';
    cut[300] = '\xe9';
    std::ofstream(dir.path / "cut.txt", std::ios::binary) << cut;
    for (const char* cave : {"empty.txt", "bytes.txt", "nostart.txt", "huge.txt", "folder", "missing.txt", "noise.txt", "cut.txt"}) {
        const Outcome out = solve(dir.path, {cave, "--seconds", "5"});
        EXPECT_EQ(out.status, 2) << cave;
        EXPECT_FALSE(out.err.empty()) << cave;
        EXPECT_EQ(out.err.find('\x1b'), std::string::npos) << cave;
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"a.txt", "b.txt"}, {"a.txt", "--seconds", "0"}, {"a.txt", "--seconds"},
          {"a.txt", "--bogus"}}) {
        EXPECT_EQ(solve(dir.path, args).status, 2);
    }
}

// Caves the checker takes but that hold the worst the rules can do: growths everywhere (49 draws a
// cell a frame), a hall of enemies, a rain of rocks. The solver answers within its time, with the
// answer as the last line, and never crashes.
TEST(Solver, AnswersOnCavesFullOfEverything) {
    ScratchDir dir;
    const std::vector<std::pair<const char*, char>> fills = {{"growth.txt", '@'}, {"enemies.txt", 'b'}, {"rocks.txt", 'o'}};
    for (const auto& [name, fill] : fills) {
        Rows rows = blank(true, fill);
        paste(rows, 1, 1, {"S*"});
        std::ofstream(dir.path / name) << [&] {
            std::string text;
            for (const std::string& row : rows) text += row + "\n";
            return text;
        }();
        const Outcome out = solve(dir.path, {name, "--seconds", "2", "-o", "route"});
        EXPECT_LE(out.status, 1) << name << out.err;
        const std::size_t last = out.out.rfind('\n', out.out.size() - 2);
        const std::string answer = out.out.substr(last == std::string::npos ? 0 : last + 1);
        EXPECT_TRUE(answer.starts_with("winnable on") || answer.starts_with("won on") || answer.starts_with("no route"))
            << name << ": " << out.out;
    }
}

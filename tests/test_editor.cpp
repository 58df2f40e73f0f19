// The cave editor's model and files: filling, rectangles, the undo history, the live findings
// against the cave checker, saving (atomically, read back by the game's own loader), and the
// strip's line for a proof.
#include "editor/cave_edit.h"
#include "editor/cave_file.h"
#include "editor/prove.h"
#include "sim/cave_check.h"
#include "sim/cave_loader.h"
#include "sim/game_state.h"
#include "tests/support/test_env.h"

#include <cstdint>
#include <cstddef>
#include <cstdlib>
#include <system_error>
#include <unistd.h>
#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <utility>

using namespace test_env;
using namespace editor;

namespace {

CaveMap cave_of(const Rows& rows) {
    CaveMap cave{};
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x) cell(cave, x, y) = static_cast<std::uint8_t>(rows.at(y).at(x));
    return cave;
}

Rows rows_of(const CaveMap& cave) {
    Rows rows;
    for (int y = 0; y < CAVE_H; ++y) {
        std::string row;
        for (int x = 0; x < CAVE_W; ++x) row += static_cast<char>(cell(cave, x, y));
        rows.push_back(row);
    }
    return rows;
}

std::string text_of(const CaveMap& cave) {
    const CaveText text = cave_text(cave);
    return std::string(text.data(), text.size());
}

}  // namespace

TEST(CaveEdit, FillTakesTheRegionJoinedBySidesOnly) {
    Rows rows = paste(blank(), 1, 1, {"__#_", "__#_", "##._", "___*"});
    CaveMap cave = cave_of(rows);
    ASSERT_TRUE(flood_fill(cave, 1, 1, ROCK));
    // The dirt beyond the wall and the dirt touching only at a corner stay dirt.
    EXPECT_EQ(rows_of(cave), paste(blank(), 1, 1, {"oo#_", "oo#_", "##._", "___*"}));
    EXPECT_FALSE(flood_fill(cave, 1, 1, ROCK)) << "filling with the region's own code changes nothing";
    EXPECT_FALSE(flood_fill(cave, -1, 3, ROCK));
    // The whole empty inside at once: a region as large as the cave's interior.
    CaveMap open = new_cave();
    ASSERT_TRUE(flood_fill(open, 12, 10, DIRT));
    EXPECT_EQ(find(open).starts, 1);
    EXPECT_EQ(cell(open, 23, 18), DIRT);
    EXPECT_EQ(cell(open, 0, 0), WALL);
}

TEST(CaveEdit, RectanglesFromAnyCornerClippedToTheCave) {
    CaveMap cave = cave_of(blank());
    ASSERT_TRUE(draw_rectangle(cave, 6, 5, 2, 3, DIRT, false));
    Rows expected = paste(blank(), 2, 3, {"_____", "_..._", "_____"});
    EXPECT_EQ(rows_of(cave), expected);
    ASSERT_TRUE(draw_rectangle(cave, 3, 4, 5, 4, ROCK, true));
    EXPECT_EQ(rows_of(cave), paste(expected, 3, 4, {"ooo"}));
    // A rectangle running off the cave keeps its border where it lies and never writes outside.
    CaveMap edge = cave_of(blank());
    ASSERT_TRUE(draw_rectangle(edge, 22, 17, 30, 30, E_BLOCK, false));
    EXPECT_EQ(rows_of(edge), paste(blank(), 22, 17, {"EEE", "E  ", "E  "}));
    EXPECT_FALSE(draw_rectangle(edge, 22, 17, 30, 30, E_BLOCK, false));
}

TEST(CaveEdit, UndoAndRedoReachBackAFullHistory) {
    History history;
    CaveMap cave = new_cave();
    reset_history(history, cave);
    // 150 edits, each a diamond at the next cell of the inside.
    std::vector<CaveMap> after;
    for (int n = 0; n < 150; ++n) {
        paint(cave, 1 + n % 23, 3 + n / 23, DIAMOND);
        commit(history, cave);
        after.push_back(cave);
    }
    for (int n = 1; n <= UNDO_STEPS; ++n) {
        ASSERT_TRUE(undo(history, cave));
        ASSERT_EQ(cave, after[static_cast<std::size_t>(149 - n)]) << n << " steps back";
    }
    EXPECT_FALSE(undo(history, cave)) << "the oldest steps are gone";
    for (int n = 0; n < 100; ++n) ASSERT_TRUE(redo(history, cave));
    EXPECT_EQ(cave, after[121]);
    // An edit after undoing ends the redos.
    ASSERT_TRUE(undo(history, cave));
    paint(cave, 1, 1, ROCK);
    commit(history, cave);
    EXPECT_FALSE(redo(history, cave));
    ASSERT_TRUE(undo(history, cave));
    EXPECT_EQ(cave, after[120]);
}

// The strip says what the checker says: refused exactly when the checker refuses the saved text.
TEST(CaveEdit, FindingsAgreeWithTheChecker) {
    const Rows sound = paste(blank(), 2, 2, {"S*"});
    const std::pair<Rows, const char*> cases[] = {
        {sound, ""},
        {blank(), "no start cell; no diamond"},
        {paste(Rows(sound), 5, 5, {"S"}), "2 start cells"},
        {paste(Rows(sound), 0, 5, {"."}), "ring broken at (0, 5)"},
        {paste(Rows(sound), 24, 0, {"."}), "ring broken at (24, 0)"},
        {paste(Rows(sound), 3, 19, {"__"}), "ring broken at (3, 19) and 1 more"},
        {paste(Rows(sound), 7, 7, {"H"}), "unknown code at (7, 7)"},
        {paste(blank(), 2, 2, {"S"}), "no diamond"},
    };
    for (const auto& [rows, said] : cases) {
        const CaveMap cave = cave_of(rows);
        const Findings f = find(cave);
        std::array<char, 160> line{};
        describe(f, line);
        EXPECT_STREQ(line.data(), said);
        EXPECT_EQ(f.refused(), !cavecheck::check_cave(text_of(cave)).sound) << said;
    }
}

TEST(CaveFile, ReadingTakesCellsAsTheLoaderDoes) {
    const Loaded crlf = read_cave("#.\r\n _\t*" + std::string(600, 'o'));
    EXPECT_EQ(crlf.cells, 604);
    EXPECT_EQ(rows_of(crlf.cave)[0], "#._*ooooooooooooooooooooo");
    const Loaded short_file = read_cave("S*");
    EXPECT_EQ(short_file.cells, 2);
    EXPECT_EQ(cell(short_file.cave, 2, 0), EMPTY) << "cells a file lacks are empty";
}

class CaveFileSaving : public SimTest {};

TEST_F(CaveFileSaving, SavedCaveIsTheCaveTheGameLoads) {
    const CaveMap cave = cave_of(paste(blank(), 1, 1, {"S_*o@%abcdE"}));
    std::string error;
    ASSERT_TRUE(save_cave_file((scratch.path / "level0.txt").string(), cave, error)) << error;
    EXPECT_EQ(slurp(scratch.path / "level0.txt"), text_of(cave));
    EXPECT_TRUE(cavecheck::check_cave(slurp(scratch.path / "level0.txt")).sound);
    game.cave_index = 0;
    load_cave();
    EXPECT_EQ(game.cave, cave);
    EXPECT_EQ(game.player_x, 1);
    Loaded loaded;
    ASSERT_EQ(open_cave_file((scratch.path / "level0.txt").string(), loaded, error), OpenResult::opened);
    EXPECT_EQ(loaded.cave, cave);
    EXPECT_EQ(loaded.cells, CAVE_CELLS);
}

TEST_F(CaveFileSaving, SavingReplacesWholeOrNotAtAll) {
    const fs::path file = scratch.path / "cave.txt";
    { std::ofstream(file) << "old"; }
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::string error;
    ASSERT_TRUE(save_cave_file(file.string(), new_cave(), error)) << error;
    EXPECT_EQ(slurp(file), text_of(new_cave()));
    // Nothing is left beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(scratch.path)) ++files;
    EXPECT_EQ(files, 1);
    // No directory to write into: a reason, and no file.
    EXPECT_FALSE(save_cave_file((scratch.path / "no/such/cave.txt").string(), new_cave(), error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    // A directory in the file's place stays as it was.
    fs::create_directory(scratch.path / "taken");
    EXPECT_FALSE(save_cave_file((scratch.path / "taken").string(), new_cave(), error));
    EXPECT_TRUE(fs::is_directory(scratch.path / "taken"));
    files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(scratch.path)) ++files;
    EXPECT_EQ(files, 2) << "no temporary file is left after a failure";
}

TEST_F(CaveFileSaving, OpeningSaysWhyAFileIsNotACave) {
    Loaded loaded;
    std::string error;
    EXPECT_EQ(open_cave_file((scratch.path / "new.txt").string(), loaded, error), OpenResult::missing);
    EXPECT_EQ(open_cave_file(scratch.path.string(), loaded, error), OpenResult::failed);
    EXPECT_NE(error.find("is a directory"), std::string::npos) << error;
    { std::ofstream(scratch.path / "huge.txt") << std::string(MAX_CAVE_FILE + 1, '#'); }
    EXPECT_EQ(open_cave_file((scratch.path / "huge.txt").string(), loaded, error), OpenResult::failed);
    EXPECT_NE(error.find("larger than any cave file"), std::string::npos) << error;
}

// The strip's line for the solver's answer: the answer itself, and what W does.
TEST(Proof, TheStripSaysTheSolversAnswer) {
    using editor::proof_summary;
    EXPECT_EQ(proof_summary("winnable on 16 of 16 sequences: a route of 57 steps in route.moves and route.replay", 0,
                            true),
              "winnable on 16 of 16 sequences: W watches");
    EXPECT_EQ(proof_summary("won on 3 of 16 sequences: the best route found, 90 steps, in route.moves and route.replay",
                            1, true),
              "won on 3 of 16 sequences: W watches");
    EXPECT_EQ(proof_summary("no route found in 120 s", 1, false), "no route found in 120 s");
    EXPECT_EQ(proof_summary("kromblix-solve: the cave is broken; mend it first", 2, false),
              "the cave is broken; mend it first");
    EXPECT_EQ(proof_summary("", 1, false), "the solver gave no answer");
    EXPECT_EQ(proof_summary("anything", -1, false), "the solver ended without an answer");
    EXPECT_LE(proof_summary(std::string(500, 'x'), 1, false).size(), 150u);
}

// A proof stopped while the solver plays its routes (P again, or the editor closed) leaves no
// scratch files of the solver's behind: they live inside the editor's own scratch directory.
TEST(Proof, AStoppedProofLeavesNoFilesBehind) {
    ScratchDir tmp;
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(KROMBLIX_RUN_DIR);
    ::setenv("TMPDIR", tmp.path.c_str(), 1);
    ::setenv("KROMBLIX_SOLVE", KROMBLIX_SOLVE_TOOL, 1);
    Rows rows(CAVE_H, std::string(CAVE_W, '#'));
    for (int y = 1; y < CAVE_H - 1; ++y) rows[y] = "#" + std::string(CAVE_W - 2, '_') + "#";
    rows[1].replace(1, 3, "S_*");
    set_proofs_at_once(false);
    start_proof(cave_of(rows), "");
    // Wait until the solver has made its own scratch directory, then stop it there.
    bool seen = false;
    for (int wait = 0; wait < 6000 && !seen && proof_running(); ++wait) {
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(tmp.path, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (it->path().filename().string().starts_with("kromblix-solve-")) seen = true;
        if (!seen) ::usleep(10000);
        look_at_proof();
    }
    EXPECT_TRUE(seen) << "the solver ended before it played its routes";
    stop_proof(false);
    end_proofs();
    ::unsetenv("KROMBLIX_SOLVE");
    ::unsetenv("TMPDIR");
    std::filesystem::current_path(here);
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path));
}

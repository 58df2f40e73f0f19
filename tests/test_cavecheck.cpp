// The cave checker: what it finds in broken caves, where it says they are, and its exit status.
#include "tests/support/test_env.h"
#include "sim/cave_check.h"

#include <fstream>
#include <functional>

namespace {

namespace fs = std::filesystem;
using test_env::Rows;

// Twenty rows of 25 cells: a wall ring around dirt, one start and three diamonds.
Rows good_rows() {
    Rows rows = test_env::blank(true, '_');
    rows[1][1] = 'S';
    rows[5][5] = rows[6][7] = rows[18][23] = '*';
    return rows;
}

std::string text_of(const Rows& rows) {
    std::string text;
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

bool has_line(const std::string& report, const std::string& start) {
    return report.rfind(start, 0) == 0 || report.find("\n" + start) != std::string::npos;
}

// Each broken cave, and the lines its report must hold, with line and column of the file.
struct Broken {
    const char* what;
    std::function<void(Rows&)> spoil;
    std::vector<std::string> lines;
    bool sound = false;
};

TEST(CaveCheck, FindingsNameTheirLineAndColumn) {
    const std::vector<Broken> cases = {
        {"ring",
         [](Rows& r) { r[0][5] = '.', r[7][24] = '_', r[19][0] = 'o'; },
         {"cave.txt:1:6: error: cell (5, 0) is '.': the outer ring must be wall '#'",
          "cave.txt:8:25: error: cell (24, 7) is '_'", "cave.txt:20:1: error: cell (0, 19) is 'o'",
          "cave.txt: 3 diamonds, 3 errors"}},
        // A space is layout, not a cell, but columns count every byte of the line.
        {"space",
         [](Rows& r) { r[3] = "# " + std::string(23, '_') + "."; },
         {"cave.txt:4:26: error: cell (24, 3) is '.'"}},
        {"no start", [](Rows& r) { r[1][1] = '_'; }, {"cave.txt: error: no start cell 'S'"}},
        // The loader keeps the last start of a column-by-column scan: (9, 14).
        {"three starts",
         [](Rows& r) { r[1][1] = '_', r[2][9] = r[14][9] = r[16][3] = 'S'; },
         {"cave.txt:3:10: error: start cell 3 of 3 at cell (9, 2): the game ignores it",
          "cave.txt:15:10: error: start cell 3 of 3 at cell (9, 14): the game starts here",
          "cave.txt:17:4: error: start cell 3 of 3 at cell (3, 16): the game ignores it"}},
        {"499 cells",
         [](Rows& r) { r[19].pop_back(); },
         {"cave.txt:20:24: error: only 499 cells, not 500: the cave ends before cell (24, 19)",
          "cave.txt: error: cell (24, 19) is missing"}},
        {"501 cells", [](Rows& r) { r.push_back("#"); }, {"cave.txt:21:1: error: more than 500 cells"}},
        {"codes",
         [](Rows& r) {
             r[2][3] = 'x', r[4][4] = 'H', r[6][2] = '7', r[9][9] = '0', r[10][10] = '\xFF';
             r[12][12] = '@', r[12][13] = '%', r[13][12] = 'a', r[13][13] = 'E';  // these four are fine
         },
         {"cave.txt:3:4: error: cell (3, 2) is 'x', a code no rule knows",
          "cave.txt:5:5: error: cell (4, 4) is the player's mark 'H'",
          "cave.txt:7:3: error: cell (2, 6) is the blast stage '7'",
          "cave.txt:10:10: error: cell (9, 9) is '0', a code no rule knows",
          "cave.txt:11:11: error: cell (10, 10) is byte 0xFF, a code no rule knows", "cave.txt: 3 diamonds, 5 errors"}},
        // 24 cells on one line and 26 on the next: 500 cells, but the rows between are shifted.
        {"line lengths",
         [](Rows& r) { r[5].pop_back(), r[6].insert(r[6].begin() + 1, '_'); },
         {"cave.txt:6: warning: line holds 24 cells, not 25", "cave.txt:7: warning: line holds 26 cells, not 25"}},
        {"no diamonds", [](Rows& r) { r[5][5] = r[6][7] = r[18][23] = '_'; }, {"cave.txt: warning: no diamonds"}, true},
    };
    for (const Broken& c : cases) {
        Rows rows = good_rows();
        c.spoil(rows);
        const cavecheck::Report report = cavecheck::check_cave(text_of(rows));
        const std::string text = cavecheck::format_report("cave.txt", report);
        EXPECT_EQ(report.sound, c.sound) << c.what << "\n" << text;
        for (const std::string& line : c.lines)
            EXPECT_TRUE(has_line(text, line)) << c.what << ": " << line << "\n" << text;
    }
}

// The checker program: its exit status and everything it printed.
std::pair<int, std::string> run_checker(const std::vector<std::string>& args, const fs::path& dir) {
    std::vector<std::string> argv{KROMBLIX_CAVECHECK_TOOL};
    argv.insert(argv.end(), args.begin(), args.end());
    const test_env::Outcome run = test_env::run_program(argv, dir);
    return {run.status, run.out + run.err};
}

TEST(CaveCheckProgram, ExitStatusSaysWhetherEveryCaveIsSound) {
    test_env::ScratchDir scratch;
    const fs::path& dir = scratch.path;
    Rows broken = good_rows();
    broken[1][1] = '_';
    const std::string good = (dir / "good.txt").string(), bad = (dir / "bad.txt").string();
    std::ofstream(good) << text_of(good_rows());
    std::ofstream(bad) << text_of(broken);

    EXPECT_EQ(run_checker({good}, dir), std::make_pair(0, good + ": 3 diamonds, sound\n"));
    const auto mixed = run_checker({good, bad, good}, dir);
    EXPECT_EQ(mixed.first, 1);
    EXPECT_NE(mixed.second.find(bad + ": error: no start cell 'S'"), std::string::npos) << mixed.second;
    const auto missing = run_checker({good, (dir / "nothing.txt").string()}, dir);
    EXPECT_EQ(missing.first, 2);
    EXPECT_NE(missing.second.find("nothing.txt\": No such file or directory"), std::string::npos) << missing.second;
    EXPECT_EQ(run_checker({}, dir).first, 2);
    EXPECT_EQ(run_checker({dir.string()}, dir),
              std::make_pair(2, "kromblix-cavecheck: cannot read \"" + dir.string() + "\": it is a directory\n"));
    const test_env::Outcome full =
        test_env::run_program({"/bin/sh", "-c", "exec \"$0\" \"$1\" >/dev/full", KROMBLIX_CAVECHECK_TOOL, good}, dir);
    EXPECT_EQ(full.status, 2);
    EXPECT_EQ(full.err, "kromblix-cavecheck: cannot write the report: No space left on device\n");
}

}  // namespace

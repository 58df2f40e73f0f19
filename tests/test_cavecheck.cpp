// The cave checker: what it finds in broken caves, where it says they are, and its exit status.
#include "tools/cavecheck/cavecheck.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using cavecheck::Severity;

// Twenty rows of 25 cells: a wall ring around dirt, one start and three diamonds.
std::vector<std::string> good_rows() {
    std::vector<std::string> rows(20, std::string(25, '_'));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 25; ++x)
            if (x == 0 || y == 0 || x == 24 || y == 19) rows[y][x] = '#';
    rows[1][1] = 'S';
    rows[5][5] = rows[6][7] = rows[18][23] = '*';
    return rows;
}

std::string text_of(const std::vector<std::string>& rows, const char* eol = "\n") {
    std::string text;
    for (const std::string& row : rows) text += row + eol;
    return text;
}

std::string report_of(const std::vector<std::string>& rows) {
    return cavecheck::format_report("cave.txt", cavecheck::check_cave(text_of(rows)));
}

bool has_line(const std::string& report, const std::string& start) {
    std::size_t at = 0;
    while (at < report.size()) {
        const std::size_t end = report.find('\n', at);
        if (report.compare(at, start.size(), start) == 0) return true;
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return false;
}

TEST(CaveCheck, SoundCaveHasNoFindingsAndCountsItsDiamonds) {
    const cavecheck::Report report = cavecheck::check_cave(text_of(good_rows()));
    EXPECT_TRUE(report.sound);
    EXPECT_TRUE(report.findings.empty());
    EXPECT_EQ(report.cells, 500);
    EXPECT_EQ(report.diamonds, 3);
    EXPECT_EQ(report.starts, 1);
    EXPECT_EQ(cavecheck::format_report("cave.txt", report), "cave.txt: 3 diamonds, sound\n");
}

TEST(CaveCheck, CarriageReturnsAndSpacesAreLayoutButColumnsCountEveryByte) {
    std::vector<std::string> rows = good_rows();
    // Line 4: a wall, a space, 23 dirt cells and an empty cell where the ring needs a wall. The
    // space is no cell, so the row still holds 25 cells, but the last one stands at byte 26.
    rows[3] = "# " + std::string(23, '_') + ".";
    const cavecheck::Report report = cavecheck::check_cave(text_of(rows, "\r\n"));
    ASSERT_EQ(report.findings.size(), 1u) << cavecheck::format_report("cave.txt", report);
    EXPECT_EQ(report.findings[0].line, 4);
    EXPECT_EQ(report.findings[0].column, 26);
    EXPECT_NE(report.findings[0].message.find("cell (24, 3) is '.'"), std::string::npos);
}

TEST(CaveCheck, BrokenWallRingIsReportedCellByCell) {
    std::vector<std::string> rows = good_rows();
    rows[0][5] = '.';
    rows[7][24] = '_';
    rows[19][0] = 'o';
    const std::string report = report_of(rows);
    EXPECT_TRUE(has_line(report, "cave.txt:1:6: error: cell (5, 0) is '.': the outer ring must be wall '#'")) << report;
    EXPECT_TRUE(has_line(report, "cave.txt:8:25: error: cell (24, 7) is '_'")) << report;
    EXPECT_TRUE(has_line(report, "cave.txt:20:1: error: cell (0, 19) is 'o'")) << report;
    EXPECT_TRUE(has_line(report, "cave.txt: 3 diamonds, 3 errors")) << report;
}

TEST(CaveCheck, StartCountOtherThanOne) {
    std::vector<std::string> rows = good_rows();
    rows[1][1] = '_';
    const cavecheck::Report none = cavecheck::check_cave(text_of(rows));
    EXPECT_FALSE(none.sound);
    EXPECT_TRUE(has_line(cavecheck::format_report("c", none), "c: error: no start cell 'S'"));

    // The loader scans column by column, each top down, and keeps the last start it meets:
    // (9, 14), the lower of the two in the rightmost column.
    rows[2][9] = 'S';
    rows[14][9] = 'S';
    rows[16][3] = 'S';
    const std::string report = report_of(rows);
    EXPECT_TRUE(has_line(report, "cave.txt:3:10: error: start cell 3 of 3 at cell (9, 2): the game ignores it")) << report;
    EXPECT_TRUE(has_line(report, "cave.txt:15:10: error: start cell 3 of 3 at cell (9, 14): the game starts here"))
        << report;
    EXPECT_TRUE(has_line(report, "cave.txt:17:4: error: start cell 3 of 3 at cell (3, 16): the game ignores it"))
        << report;
}

TEST(CaveCheck, TooFewAndTooManyCells) {
    std::vector<std::string> rows = good_rows();
    rows[19].pop_back();  // 499 cells: the bottom-right corner is missing
    const cavecheck::Report shorter = cavecheck::check_cave(text_of(rows));
    EXPECT_FALSE(shorter.sound);
    EXPECT_EQ(shorter.cells, 499);
    const std::string short_report = cavecheck::format_report("cave.txt", shorter);
    EXPECT_TRUE(has_line(short_report, "cave.txt:20:24: error: only 499 cells, not 500: the cave ends before cell (24, 19)"))
        << short_report;
    EXPECT_TRUE(has_line(short_report, "cave.txt: error: cell (24, 19) is missing")) << short_report;

    rows = good_rows();
    rows.push_back("#");  // one cell too many, on line 21
    const std::string long_report = report_of(rows);
    EXPECT_TRUE(has_line(long_report, "cave.txt:21:1: error: more than 500 cells")) << long_report;

    const cavecheck::Report empty = cavecheck::check_cave("");
    EXPECT_FALSE(empty.sound);
    EXPECT_EQ(empty.cells, 0);
    EXPECT_EQ(empty.diamonds, 0);
}

TEST(CaveCheck, CodesNoRuleKnowsAndCodesOnlyTheGameWrites) {
    std::vector<std::string> rows = good_rows();
    rows[2][3] = 'x';
    rows[4][4] = 'H';
    rows[6][2] = '7';
    rows[9][9] = '0';
    rows[10][10] = static_cast<char>(0xFF);
    rows[12][12] = '@';  // growths, enemies and E blocks are fine
    rows[12][13] = '%';
    rows[13][12] = 'a';
    rows[13][13] = 'E';
    const std::string report = report_of(rows);
    EXPECT_TRUE(has_line(report, "cave.txt:3:4: error: cell (3, 2) is 'x', a code no rule knows")) << report;
    EXPECT_TRUE(has_line(report, "cave.txt:5:5: error: cell (4, 4) is the player's mark 'H'")) << report;
    EXPECT_TRUE(has_line(report, "cave.txt:7:3: error: cell (2, 6) is the blast stage '7'")) << report;
    EXPECT_TRUE(has_line(report, "cave.txt:10:10: error: cell (9, 9) is '0', a code no rule knows")) << report;
    EXPECT_TRUE(has_line(report, "cave.txt:11:11: error: cell (10, 10) is byte 0xFF, a code no rule knows")) << report;
    EXPECT_TRUE(has_line(report, "cave.txt: 3 diamonds, 5 errors")) << report;
}

TEST(CaveCheck, LinesOfTheWrongLengthAreWarnedAbout) {
    std::vector<std::string> rows = good_rows();
    rows[5].pop_back();      // 24 cells on line 6 ...
    rows[6].insert(1, "_");  // ... and 26 on line 7: still 500 cells, but the rows between are shifted
    const cavecheck::Report report = cavecheck::check_cave(text_of(rows));
    const std::string text = cavecheck::format_report("cave.txt", report);
    EXPECT_TRUE(has_line(text, "cave.txt:6: warning: line holds 24 cells, not 25")) << text;
    EXPECT_TRUE(has_line(text, "cave.txt:7: warning: line holds 26 cells, not 25")) << text;
    // The shift puts row 5's last wall at the start of row 6 and so on; the ring breaks show that.
    EXPECT_FALSE(report.sound);
}

TEST(CaveCheck, NoDiamondsIsAWarning) {
    std::vector<std::string> rows = good_rows();
    rows[5][5] = rows[6][7] = rows[18][23] = '_';
    const cavecheck::Report report = cavecheck::check_cave(text_of(rows));
    EXPECT_TRUE(report.sound);
    EXPECT_TRUE(has_line(cavecheck::format_report("c", report), "c: warning: no diamonds"));
}

// ---- the program -----------------------------------------------------------------------

struct CheckerRun {
    int status = -1;
    std::string out;
};

CheckerRun run_checker(const std::vector<std::string>& args) {
    CheckerRun run;
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) return run;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipe_fds[1], STDOUT_FILENO);
        ::dup2(pipe_fds[1], STDERR_FILENO);
        ::close(pipe_fds[0]);
        std::vector<char*> argv{const_cast<char*>(KROMBLIX_CAVECHECK_TOOL)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipe_fds[1]);
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;) run.out.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe_fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    return run;
}

class CaveCheckProgram : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kromblix-cavecheck-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    }
    fs::path dir;
};

TEST_F(CaveCheckProgram, ExitStatusSaysWhetherEveryCaveIsSound) {
    std::vector<std::string> broken = good_rows();
    broken[1][1] = '_';
    const std::string good = write("good.txt", text_of(good_rows()));
    const std::string bad = write("bad.txt", text_of(broken));

    CheckerRun ok = run_checker({good});
    EXPECT_EQ(ok.status, 0) << ok.out;
    EXPECT_EQ(ok.out, good + ": 3 diamonds, sound\n");

    CheckerRun mixed = run_checker({good, bad, good});
    EXPECT_EQ(mixed.status, 1) << mixed.out;
    EXPECT_NE(mixed.out.find(bad + ": error: no start cell 'S'"), std::string::npos) << mixed.out;

    CheckerRun missing = run_checker({good, (dir / "nothing.txt").string()});
    EXPECT_EQ(missing.status, 2) << missing.out;
    EXPECT_NE(missing.out.find("nothing.txt: cannot be read"), std::string::npos) << missing.out;

    EXPECT_EQ(run_checker({}).status, 2);
}

}  // namespace

// The caves reached and the best scores as files: reading any bytes, writing them back, and
// saving from several processes at once without losing an entry.
#include "app/progress.h"
#include "app/scores.h"
#include "tests/support/test_env.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace test_env;

namespace {

std::string progress_text(const Progress& p) {
    std::array<char, 64 * 1024> out{};
    const std::size_t n = format_progress(p, out.data(), out.size());
    return std::string(out.data(), n);
}

}  // namespace

TEST(CavesReached, ReadsWhatItWritesAndRefusesAnythingElse) {
    Progress p;
    EXPECT_TRUE(raise_reached(p, MAIN_SET_KEY, 14));
    EXPECT_FALSE(raise_reached(p, MAIN_SET_KEY, 9)) << "a lower cave changes nothing";
    EXPECT_TRUE(raise_reached(p, "caves-deeper", 3));
    EXPECT_FALSE(raise_reached(p, "bad key", 3));
    EXPECT_FALSE(raise_reached(p, "own-x", 0)) << "the first cave is reached by every game";
    const std::string text = progress_text(p);
    EXPECT_EQ(text, "# KROMBLIX caves reached: set, highest cave reached\nmain 15\ncaves-deeper 4\n");
    Progress back;
    ASSERT_TRUE(parse_progress(text, back));
    EXPECT_EQ(reached_in(back, "main"), 14);
    EXPECT_EQ(reached_in(back, "caves-deeper"), 3);
    EXPECT_EQ(reached_in(back, "own-none"), 0);
    EXPECT_TRUE(parse_progress("main 2\r\n\r\n# note\nown-a%20b 7", back)) << "CRLF, blank lines, no last newline";
    EXPECT_EQ(reached_in(back, "own-a%20b"), 6);

    const std::vector<std::string> refused = {"main\n", "main 0\n", "main -3\n", "main 2x\n", "main  2\n", "ma in 2\n",
                                              "main 2\nmain 3\n", "main 99999999999999999999\n", "main 10001\n",
                                              std::string(64, 'k') + " 2\n", "\x01\xff 2\n", " 2\n"};
    for (const std::string& bad : refused) {
        EXPECT_FALSE(parse_progress(bad, back)) << bad;
        EXPECT_EQ(back.count, 0) << bad;
    }
    EXPECT_FALSE(parse_progress(std::string_view("main 2\0\n", 8), back)) << "a NUL byte";

    Progress full;
    for (int i = 0; i < MAX_PROGRESS_SETS; ++i) EXPECT_TRUE(raise_reached(full, ("own-" + std::to_string(i)).c_str(), 5));
    EXPECT_FALSE(raise_reached(full, "own-one-more", 5)) << "no room";
    ASSERT_TRUE(parse_progress(progress_text(full), back)) << "a full table fits its buffer";
    EXPECT_EQ(back.count, MAX_PROGRESS_SETS);
}

TEST(CavesReached, AreKeptBesideTheScoresAndADamagedFileCountsAsNone) {
    ScratchDir scratch;
    EXPECT_EQ(progress_path_beside((scratch.path / "k/scores").string()), (scratch.path / "k/progress").string());
    EXPECT_EQ(progress_path_beside("scores"), "progress");

    use_scores_file((scratch.path / "k/scores").string());
    EXPECT_EQ(caves_reached(), 0);
    note_cave_reached(0);
    EXPECT_FALSE(fs::exists(scratch.path / "k/progress")) << "the first cave is no progress";
    note_cave_reached(4);
    note_cave_reached(2);
    EXPECT_EQ(slurp(scratch.path / "k/progress"), "# KROMBLIX caves reached: set, highest cave reached\nmain 5\n");
    use_scores_of_set("caves-deeper");
    EXPECT_EQ(caves_reached(), 0) << "each set apart";
    note_cave_reached(1);
    use_scores_of_set(MAIN_SET_KEY);
    EXPECT_EQ(caves_reached(), 4);

    // Read back at the next start; a damaged file is nothing reached, and the next save mends it.
    use_scores_file((scratch.path / "k/scores").string());
    EXPECT_EQ(caves_reached(), 4);
    std::ofstream(scratch.path / "k/progress") << "main 5\ngarbage\n";
    use_scores_file((scratch.path / "k/scores").string());
    EXPECT_EQ(caves_reached(), 0);
    note_cave_reached(1);
    EXPECT_EQ(slurp(scratch.path / "k/progress"), "# KROMBLIX caves reached: set, highest cave reached\nmain 2\n");
    // A directory in its place: nothing reached, no crash.
    fs::remove(scratch.path / "k/progress");
    fs::create_directory(scratch.path / "k/progress");
    use_scores_file((scratch.path / "k/scores").string());
    EXPECT_EQ(caves_reached(), 0);
    use_scores_file("");
    note_cave_reached(7);
    EXPECT_EQ(caves_reached(), 0) << "without a file nothing is kept";
}

TEST(BestScores, NoteTheCaveAGameStartedFromAndReadOldTables) {
    ScratchDir scratch;
    ScoreTable t;
    const char* why = "";
    ASSERT_TRUE(parse_scores("# old\n500 3 2026-01-02\n900 14 2026-01-03 12\n", t, why));
    ASSERT_EQ(t.count, 2);
    EXPECT_EQ(t.entries[0].from, 12);
    EXPECT_EQ(t.entries[1].from, 1) << "a table written before games could start later";
    ASSERT_TRUE(save_scores(t, "scores"));
    EXPECT_EQ(slurp("scores"), "# KROMBLIX best scores: score, cave reached, date, cave started from when not 1\n"
                               "900 14 2026-01-03 12\n500 3 2026-01-02\n");
    for (const char* bad : {"500 3 2026-01-02 0\n", "500 3 2026-01-02 x\n", "500 3 2026-01-02 2 2\n", "  \n"})
        EXPECT_FALSE(parse_scores(bad, t, why)) << bad;
    EXPECT_FALSE(parse_scores("", t, why));
    EXPECT_STREQ(why, "are empty");
}

// Games that end together: each save reads the table under the lock, adds its own entry and
// replaces it, so every entry is kept, and every cave reached.
TEST(BestScores, GamesEndingTogetherKeepEveryEntry) {
    ScratchDir scratch;
    const std::string table = (scratch.path / "k/scores").string();
    use_scores_file(table);  // every child starts from the same empty table, as games started together
    constexpr int GAMES = 8;
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < GAMES; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            char byte = 0;
            close(go[1]);
            if (read(go[0], &byte, 1) != 0) _exit(3);  // all start when the pipe closes
            note_cave_reached(i + 1);
            record_game(1000 + i, i + 2);
            _exit(0);
        }
        children.push_back(child);
    }
    close(go[0]);
    close(go[1]);
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const ScoreTable saved = load_scores(table);
    ASSERT_EQ(saved.count, GAMES);
    for (int i = 0; i < GAMES; ++i) EXPECT_EQ(saved.entries[static_cast<std::size_t>(i)].score, 1000 + GAMES - 1 - i);
    use_scores_file(table);
    EXPECT_EQ(caves_reached(), GAMES);
    for (const auto& entry : fs::directory_iterator(scratch.path / "k"))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << "left behind: " << entry.path();
    use_scores_file("");
}

TEST(BestScores, ASaveKeepsWhatAnotherGameSavedMeanwhile) {
    ScratchDir scratch;
    use_scores_file((scratch.path / "scores").string());
    ScoreTable other;
    add_score(other, 700, 5, "2026-12-06");
    ASSERT_TRUE(save_scores(other, "scores"));  // another game, after this one started
    record_game(300, 2, 2);
    ASSERT_EQ(best_scores().count, 2);
    EXPECT_EQ(load_scores("scores").entries[1].from, 2);
    EXPECT_STREQ(best_score_text(), "best: 700, cave 5") << "the title shows the merged table";
    // A damaged table on the disk: the one read at the start, with this game added.
    std::ofstream("scores") << "\xff\xfe damaged";
    record_game(200, 1);
    EXPECT_EQ(load_scores("scores").count, 3);
    use_scores_file("");
}

// Sets of caves and the caves reached, end to end: the game and kromblix-replay refuse a broken
// set before any window, a game reaches a cave and the next starts from it, and games saving
// the same table at the same moment keep every entry.
#include "tests/support/test_env.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace test_env;

namespace {

const fs::path SMALL_SET = fs::path(KROMBLIX_SOURCE_DIR) / "tests/caves/small";

// A new game; cave 1 of the small set finished by four steps up; the window closed at `quit`.
std::string finish_first_cave(int quit, const std::string& before = "") {
    return before + "1000 down SPACE\n1100 up SPACE\n1150 down UP\n1550 up UP\n" + std::to_string(quit) + " quit\n";
}

class CaveSetRuns : public ::testing::Test {
protected:
    void SetUp() override { copy_media(dir.path / "run"); }

    Outcome replay(const std::string& text, const std::vector<std::string>& options, const fs::path& where) {
        fs::create_directories(where);
        const fs::path file = where / "run.replay";
        std::ofstream(file) << text;
        std::vector<std::string> args = {KROMBLIX_REPLAY_TOOL, "-C", (dir.path / "run").string(), "-o", "record.txt"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(file.string());
        return run_program(args, where);
    }

    ScratchDir dir;
};

}  // namespace

TEST_F(CaveSetRuns, ABrokenSetIsRefusedBeforeAnyWindow) {
    fs::create_directories("broken");
    fs::copy_file(SMALL_SET / "level0.txt", "broken/level0.txt");
    std::ofstream("broken/level1.txt") << "#####\n#S.H#\n";
    const Outcome runner = replay(finish_first_cave(3000), {"--caves", (dir.path / "broken").string()}, dir.path);
    EXPECT_EQ(runner.status, 2);
    EXPECT_NE(runner.err.find("broken/level1.txt:2:4: error: cell (8, 0) is 'H': the outer ring must be wall '#'"),
              std::string::npos) << runner.err;
    EXPECT_EQ(slurp(dir.path / "record.txt"), "") << "no frame was shown";

    // The game, from elsewhere, with a relative path: refused with status 2, nothing drawn.
    fs::create_directories("elsewhere");
    const Outcome played = run_program({KROMBLIX_RUN_DIR "/kromblix", "--caves", "../broken"}, dir.path / "elsewhere");
    EXPECT_EQ(played.status, 2);
    EXPECT_NE(played.err.find("broken/level1.txt:2:5: error:"), std::string::npos) << played.err;
    const Outcome missing = run_program({KROMBLIX_RUN_DIR "/kromblix", "--caves=nowhere"}, dir.path);
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("nowhere: error: no such directory"), std::string::npos) << missing.err;
}

TEST_F(CaveSetRuns, AGameReachesACaveAndTheNextStartsFromIt) {
    const std::vector<std::string> options = {"--caves", SMALL_SET.string(), "--scores", (dir.path / "kept/scores").string()};
    // Without a cave reached the arrows on the title do nothing: the game starts at the first cave.
    Outcome first = replay(finish_first_cave(9000, "500 down RIGHT\n600 up RIGHT\n"), options, dir.path / "one");
    ASSERT_EQ(first.status, 0) << first.err;
    std::vector<Block> blocks = parse_record(slurp(dir.path / "one/record.txt"));
    auto first_game = std::find_if(blocks.begin(), blocks.end(), [](const Block& b) { return b.kind == "game"; });
    ASSERT_NE(first_game, blocks.end());
    EXPECT_EQ(first_game->fields.at("cave_index"), "0");
    const std::string progress = slurp(dir.path / "kept/progress");
    EXPECT_NE(progress.find(" 2\n"), std::string::npos) << progress;

    // RIGHT chooses the second cave: 10 lives, score 0, and the table notes where it started.
    Outcome second = replay(finish_first_cave(9000, "500 down RIGHT\n600 up RIGHT\n"), options, dir.path / "two");
    ASSERT_EQ(second.status, 0) << second.err;
    blocks = parse_record(slurp(dir.path / "two/record.txt"));
    first_game = std::find_if(blocks.begin(), blocks.end(), [](const Block& b) { return b.kind == "game"; });
    ASSERT_NE(first_game, blocks.end());
    EXPECT_EQ(first_game->fields.at("cave_index"), "1");
    EXPECT_EQ(first_game->fields.at("lives"), "10");
    EXPECT_EQ(first_game->fields.at("score"), "0");
    EXPECT_NE(slurp(dir.path / "kept/progress").find(" 3\n"), std::string::npos) << "the third cave reached";
    std::string table;
    for (const auto& entry : fs::directory_iterator(dir.path / "kept"))
        if (entry.path().filename().string().rfind("scores-dir-", 0) == 0 && entry.path().extension() != ".lock")
            table = slurp(entry.path());
    EXPECT_NE(table.find(" 3 "), std::string::npos) << table;
    EXPECT_NE(table.find(" 2\n"), std::string::npos) << "started from cave 2: " << table;
    EXPECT_FALSE(fs::exists(dir.path / "kept/scores")) << "the shipped set's table is apart";
}

TEST_F(CaveSetRuns, GamesSavingTogetherKeepEveryEntry) {
    constexpr int GAMES = 4;
    const std::string scores = (dir.path / "kept/scores").string();
    std::vector<std::thread> runs;
    std::array<Outcome, GAMES> outcomes{};
    for (int i = 0; i < GAMES; ++i)
        runs.emplace_back([&, i] {
            outcomes[static_cast<std::size_t>(i)] =
                replay(finish_first_cave(3000), {"--caves", SMALL_SET.string(), "--scores", scores},
                       dir.path / ("game" + std::to_string(i)));
        });
    for (std::thread& t : runs) t.join();
    for (const Outcome& o : outcomes) EXPECT_EQ(o.status, 0) << o.err;
    std::string table;
    for (const auto& entry : fs::directory_iterator(dir.path / "kept"))
        if (entry.path().filename().string().rfind("scores-dir-", 0) == 0 && entry.path().extension() != ".lock")
            table = slurp(entry.path());
    int entries = 0;
    for (const std::string& line : lines_of(table)) entries += !line.empty() && line[0] != '#';
    EXPECT_EQ(entries, GAMES) << table;
}

// End to end: the real game driven by the replays of tests/replays through kromblix-replay, in a
// scratch directory made of the generated media and the test caves of tests/replays/caves, checked
// through its frame record, its screenshots and its exit status.
#include "tests/support/test_env.h"
#include "tools/replay/png_io.h"

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace test_env;

const fs::path REPLAYS = fs::path(KROMBLIX_SOURCE_DIR) / "tests/replays";
const fs::path GOLDEN = fs::path(KROMBLIX_SOURCE_DIR) / "tests/golden";

struct ReplayRun {
    Outcome outcome;
    std::vector<Block> blocks;
    fs::path shots;

    std::vector<const Block*> of_kind(const std::string& kind) const {
        std::vector<const Block*> found;
        for (const Block& b : blocks)
            if (b.kind == kind) found.push_back(&b);
        return found;
    }
    // "STATUS RESULT TICK": the runner's exit status, then game_main's result and the tick it returned at.
    std::string ending() const {
        std::string text = std::to_string(outcome.status);
        if (const auto exits = of_kind("exit"); !exits.empty()) {
            const Block* last = exits[0];
            // Appended piece by piece: GCC 12 at -O3 warns falsely about " " + a temporary string.
            text += ' ';
            text += std::to_string(last->number);
            text += ' ';
            text += last->fields.at("tick");
        }
        return text;
    }
};

// The media of the generated run directory and the test caves, in a fresh directory.
class Replays : public ::testing::Test {
protected:
    void SetUp() override {
        copy_media(dir.path / "run");
        for (const auto& entry : fs::directory_iterator(REPLAYS / "caves"))
            fs::copy_file(entry.path(), dir.path / "run" / entry.path().filename());
    }

    ReplayRun replay(const std::string& name, const std::vector<std::string>& options = {}) {
        ReplayRun run;
        const fs::path out = dir.path / ("record" + std::to_string(++runs) + ".txt");
        run.shots = dir.path / ("shots" + std::to_string(runs));
        std::vector<std::string> args = {KROMBLIX_REPLAY_TOOL, "-C", "run", "-o", out, "--shot-dir", run.shots};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(fs::path(name).is_absolute() ? name : (REPLAYS / name).string());
        run.outcome = run_program(args, dir.path);
        run.blocks = parse_record(slurp(out));
        return run;
    }

    ScratchDir dir;
    int runs = 0;
};

TEST_F(Replays, ThemeKeysRestartTheirThemes) {
    const ReplayRun run = replay("music.txt");
    EXPECT_EQ(run.ending(), "0 0 4500");
    std::vector<std::string> started;  // "KIND TICK THEME"
    for (const Block& b : run.blocks)
        for (int theme : b.music) started.push_back(b.kind + " " + b.fields.at("tick") + " " + std::to_string(theme));
    // Theme 1 starts with the game, before its first picture; each key's theme starts once the old
    // one has faded, 650 ms after the key, and shows in the next frame.
    EXPECT_EQ(started, (std::vector<std::string>{"title 1 1", "game 1901 1", "game 2901 2", "game 3901 3"}));
}

TEST_F(Replays, EndTimesAndBrokenReplays) {
    // The replay's own close is overruled by an earlier end time.
    EXPECT_EQ(replay("new_game.txt", {"--until", "1500"}).ending(), "0 0 1501");
    // Without a close and without an end time, the run ends 5 s after the last event.
    std::ofstream(dir.path / "no_close.txt") << "1000 down SPACE\n";
    EXPECT_EQ(replay((dir.path / "no_close.txt").string()).ending(), "0 0 6001");

    // A replay that is not one (what it says is the replay reader's: test_replay_tools.cpp): status 2.
    std::ofstream(dir.path / "broken.txt") << "# fine\n1000 down SPACE\n1200 down JUMP\n";
    const ReplayRun run = replay((dir.path / "broken.txt").string());
    EXPECT_EQ(run.ending(), "2");
    EXPECT_NE(run.outcome.err.find("line 3: unknown key \"JUMP\""), std::string::npos) << run.outcome.err;
    // A record that cannot be written fails the run, however the game ended.
    const Outcome full =
        run_program({KROMBLIX_REPLAY_TOOL, "-C", "run", "-o", "/dev/full", REPLAYS / "new_game.txt"}, dir.path);
    EXPECT_EQ(full.status, 4);
    EXPECT_NE(full.err.find("cannot write the record to \"/dev/full\": No space left on device"), std::string::npos)
        << full.err;
}

// The golden pictures of tests/golden: goldens.txt lists each NAME with the REPLAY and the one
// FRAME of it it comes from: a title, a game, a game-over and a cave-complete frame.
// tools/renew-goldens.sh makes them anew when the art changes on purpose.
std::vector<std::string> golden_manifest() {
    std::vector<std::string> lines;
    for (const std::string& line : lines_of(slurp(GOLDEN / "goldens.txt")))
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    return lines;
}

class GoldenPictures : public Replays, public ::testing::WithParamInterface<std::string> {};

TEST_P(GoldenPictures, MatchPixelForPixel) {
    std::istringstream words(GetParam());
    std::string name, replay_name, frame;
    ASSERT_TRUE(words >> name >> replay_name >> frame) << GetParam();
    const ReplayRun run = replay(replay_name, {"--shots", frame});
    ASSERT_EQ(run.outcome.status, 0);
    const std::vector<fs::path> shots(fs::directory_iterator(run.shots), fs::directory_iterator{});
    ASSERT_EQ(shots.size(), 1u) << "the frames of a golden picture name one frame";

    replay::Image expected, actual;
    std::string error;
    ASSERT_TRUE(replay::read_png((GOLDEN / name).string(), expected, error)) << error;
    ASSERT_TRUE(replay::read_png(shots[0].string(), actual, error)) << error;
    ASSERT_EQ(std::pair(actual.width, actual.height), std::pair(expected.width, expected.height));
    const auto differ = std::mismatch(actual.pixels.begin(), actual.pixels.end(), expected.pixels.begin());
    if (differ.first == actual.pixels.end()) return;
    // Kept for a look: build/Testing/golden-actual/NAME.
    const fs::path kept = fs::path(KROMBLIX_BINARY_DIR) / "Testing/golden-actual" / name;
    fs::create_directories(kept.parent_path());
    fs::copy_file(shots[0], kept, fs::copy_options::overwrite_existing);
    const auto first = differ.first - actual.pixels.begin();
    ADD_FAILURE() << "pixels differ, the first at (" << first % actual.width << ", " << first / actual.width
                  << "); the picture made is " << kept << "; if the change is meant, renew with tools/renew-goldens.sh";
}

INSTANTIATE_TEST_SUITE_P(Replays, GoldenPictures, ::testing::ValuesIn(golden_manifest()),
                         [](const ::testing::TestParamInfo<std::string>& param_info) {
                             return param_info.param.substr(0, param_info.param.find('.'));
                         });

// A pause changes nothing of the game: the same replay with 30 s of pause in the middle of a move
// (an arrow held all through it) shows the same game frames (counters, grid, sounds), each 30 s later than without it.
TEST_F(Replays, APauseShiftsEveryGameClockByThePausedTime) {
    const std::string plain =
        "1000 down SPACE\n1100 up SPACE\n1150 down DOWN\n1350 up DOWN\n1350 down RIGHT\n"
        "1450 up RIGHT\n1450 down LEFT\n1550 up LEFT\n1550 down DOWN\n1650 up DOWN\n3500 quit\n";
    // Paused by the window losing focus; getting it back does not go on, P does.
    const std::string paused =
        "1000 down SPACE\n1100 up SPACE\n1150 down DOWN\n1250 focus lost\n20000 focus gained\n"
        "31250 down P\n31300 up P\n31350 up DOWN\n31350 down RIGHT\n31450 up RIGHT\n"
        "31450 down LEFT\n31550 up LEFT\n31550 down DOWN\n31650 up DOWN\n33500 quit\n";
    std::ofstream(dir.path / "plain.txt") << plain;
    std::ofstream(dir.path / "paused.txt") << paused;
    const ReplayRun a = replay((dir.path / "plain.txt").string());
    const ReplayRun b = replay((dir.path / "paused.txt").string(), {"--shots", "paused"});
    ASSERT_EQ(b.of_kind("paused").size(), 1u);
    EXPECT_EQ(b.of_kind("paused")[0]->get("tick"), 1250);
    EXPECT_EQ(std::distance(fs::directory_iterator(b.shots), fs::directory_iterator()), 1)
        << "the paused screen's picture";
    const auto game_blocks = [](const ReplayRun& run) {
        std::vector<const Block*> found;
        for (const Block& block : run.blocks)
            if (block.kind != "title" && block.kind != "paused") found.push_back(&block);
        return found;
    };
    const auto game_a = game_blocks(a), game_b = game_blocks(b);
    ASSERT_EQ(game_a.size(), game_b.size());
    ASSERT_GE(a.of_kind("death").size(), 9u) << "the replay plays a death";
    for (std::size_t i = 0; i < game_a.size(); ++i) {
        const Block &x = *game_a[i], &y = *game_b[i];
        const int shift = x.get("tick") > 1250 ? 30000 : 0;
        auto shifted = x.fields;
        for (const char* clock : {"tick", "frame_clock", "step_clock"})
            if (shifted.count(clock)) shifted[clock] = std::to_string(x.get(clock) + shift);
        EXPECT_EQ(std::tie(x.kind, shifted, x.grid, x.sounds), std::tie(y.kind, y.fields, y.grid, y.sounds)) << i;
    }
}

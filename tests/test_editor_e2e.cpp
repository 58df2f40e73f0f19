// The cave editor end to end: editing sessions played by kromblix-replay --edit from replays of
// mouse and key events, the files they save checked and played by the game, test-play through
// the game's own loop, proofs and watching their routes, and the files the editor refuses to open.
#include "sim/cave_check.h"
#include "sim/cave_marks.h"
#include "tests/support/test_env.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace test_env;

namespace {

std::string text_of(const Rows& rows) {
    std::string text;
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

class Editor : public ::testing::Test {
protected:
    // The media and a first cave, which the game's start-up loads whatever it goes on to do.
    void SetUp() override {
        copy_media(dir.path / "run");
        fs::copy_file(fs::path(KROMBLIX_SOURCE_DIR) / "tests/replays/caves/level0.txt", dir.path / "run/level0.txt");
    }

    struct Run {
        Outcome outcome;
        std::vector<Block> blocks;
        std::vector<const Block*> of_kind(const std::string& kind) const {
            std::vector<const Block*> found;
            for (const Block& b : blocks)
                if (b.kind == kind) found.push_back(&b);
            return found;
        }
    };

    // Runs the replay text through kromblix-replay in the run directory, with the options.
    Run replay(const std::string& text, const std::vector<std::string>& options) {
        const fs::path events = dir.path / ("events" + std::to_string(++runs) + ".txt");
        const fs::path record = dir.path / ("record" + std::to_string(runs) + ".txt");
        { std::ofstream(events) << text; }
        std::vector<std::string> args = {KROMBLIX_REPLAY_TOOL, "-C", "run", "-o", record.string()};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(events.string());
        Run run;
        run.outcome = run_program(args, dir.path);
        run.blocks = parse_record(slurp(record));
        return run;
    }

    ScratchDir dir;
    int runs = 0;
};

// Mouse and keys together: a diamond put down from the strip, a box of dirt drawn from the
// keyboard, filled with inert blocks, undone and redone, saved; then the game plays the file.
TEST_F(Editor, EditsSavesAndTheGamePlaysTheCave) {
    const Run edit = replay(
        "# the diamond's swatch, then the floor below and right of the start\n"
        "100 mouse move 112 656\n110 mouse down 112 656 LEFT\n120 mouse up 112 656 LEFT\n"
        "200 mouse move 112 592\n210 mouse down 112 592 LEFT\n220 mouse up 112 592 LEFT\n"
        "# dirt, the box tool, from (10, 5) to (12, 7) with the arrows\n"
        "300 down PAGEUP\n310 down B\n320 mouse move 336 176\n330 down SPACE\n"
        "340 down RIGHT\n350 down RIGHT\n360 down DOWN\n370 down DOWN\n380 down SPACE\n"
        "# the fill tool, inert blocks from the strip, into the box\n"
        "400 down F\n410 mouse down 208 656 LEFT\n420 mouse up 208 656 LEFT\n"
        "430 mouse move 368 208\n440 mouse down 368 208 LEFT\n450 mouse up 368 208 LEFT\n"
        "500 down Z\n600 down Y\n700 down S\n800 down ESC\n",
        {"--edit", "made.txt"});
    ASSERT_EQ(edit.outcome.status, 0) << edit.outcome.err;
    const Rows made = paste(blank(), 2, 2, {"S"});
    const Rows expected = paste(paste(Rows(made), 3, 18, {"*"}), 10, 5, {"EEE", "EEE", "EEE"});
    ASSERT_EQ(slurp(dir.path / "made.txt"), text_of(expected));
    EXPECT_TRUE(cavecheck::check_cave(slurp(dir.path / "made.txt")).sound);

    // Each picture as the session went: the box of dirt, the blocks, undone, redone, saved.
    std::vector<std::string> seen;
    for (const Block* b : edit.of_kind("editor")) {
        const std::string state = b->grid.at(6).substr(10, 3) + " " + b->fields.at("tool") + " " +
                                  b->fields.at("kind") + " " + b->fields.at("unsaved");
        if (seen.empty() || seen.back() != state) seen.push_back(state);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"... draw # 1", "... draw * 1", "... draw _ 1", "... box _ 1",
                                              "___ box _ 1", "___ fill _ 1", "___ fill E 1", "EEE fill E 1",
                                              "___ fill E 1", "EEE fill E 1", "EEE fill E 0"}));
    EXPECT_EQ(edit.of_kind("editor").back()->fields.at("message"), "saved made.txt");

    // The game plays the saved file as its first cave: sixteen cells down, one right, won.
    fs::copy_file(dir.path / "made.txt", dir.path / "run" / "level0.txt", fs::copy_options::overwrite_existing);
    const Run play = replay("1000 down SPACE\n1100 up SPACE\n1150 down DOWN\n2750 up DOWN\n"
                            "2750 down RIGHT\n2850 up RIGHT\n5000 quit\n",
                            {});
    ASSERT_EQ(play.outcome.status, 0) << play.outcome.err;
    EXPECT_EQ(play.of_kind("congrats").size(), 35u);
}

// Test-play runs the game's loop on the cave from its start with one life; a win, ESC and a death
// each bring the editor back with the cave as it was.
TEST_F(Editor, TestPlayComesBackWithTheCaveAsItWas) {
    // The start under a rock, a diamond on dirt to its left.
    const Rows cave = paste(blank(), 1, 3, {" o", "*S", "_.", "__"});
    { std::ofstream(dir.path / "cave.txt") << text_of(cave); }
    const Run run = replay(
        "# won: one step left takes the only diamond\n"
        "100 down T\n150 down LEFT\n250 up LEFT\n"
        "# given up at once with ESC\n"
        "5000 down T\n5050 down ESC\n5060 up ESC\n"
        "# lost: a step down from under the rock\n"
        "6000 down T\n6050 down DOWN\n6150 up DOWN\n"
        "12000 down ESC\n",
        {"--edit", "cave.txt"});
    ASSERT_EQ(run.outcome.status, 0) << run.outcome.err;
    std::vector<std::string> messages;
    for (const Block* b : run.of_kind("editor")) {
        EXPECT_EQ(b->grid, cave) << "frame " << b->number;
        EXPECT_EQ(b->fields.at("unsaved"), "0");
        std::string message = b->fields.count("message") ? b->fields.at("message") : "";
        if (message.starts_with("won the test")) message = "won the test";
        if (!message.empty() && (messages.empty() || messages.back() != message)) messages.push_back(message);
    }
    EXPECT_EQ(messages, (std::vector<std::string>{"won the test", "test ended", "the life was lost in the test"}));
    EXPECT_EQ(run.of_kind("congrats").size(), 35u);
    EXPECT_EQ(run.of_kind("death").size(), 9u);
    EXPECT_EQ(run.of_kind("game_over").size(), 1u);
    // The real rules, with their sounds: the diamond taken, the death's blast.
    int collected = 0, blasts = 0;
    for (const Block& b : run.blocks)
        for (const std::string& s : b.sounds) {
            collected += s.find("explode.wav") != std::string::npos;
            blasts += s.find("booom.wav") != std::string::npos;
        }
    EXPECT_GE(collected, 1);
    EXPECT_GE(blasts, 1);
    EXPECT_EQ(slurp(dir.path / "cave.txt"), text_of(cave)) << "test-play writes nothing into the file";
}

// A cave the checker refuses is saved only on a second S, and the strip says so both times.
TEST_F(Editor, ARefusedCaveIsSavedOnlyWhenAskedAgain) {
    const Run run = replay("100 down PAGEDOWN\n200 mouse down 80 80 LEFT\n210 mouse up 80 80 LEFT\n"
                           "300 down S\n400 down ESC\n500 down S\n600 down S\n700 down ESC\n",
                           {"--edit", "broken.txt"});
    ASSERT_EQ(run.outcome.status, 0) << run.outcome.err;
    std::vector<std::string> said;
    for (const Block* b : run.of_kind("editor"))
        if (b->fields.count("message") && (said.empty() || said.back() != b->fields.at("message")))
            said.push_back(b->fields.at("message"));
    EXPECT_EQ(said, (std::vector<std::string>{
                        "a new cave: S saves it",
                        "not saved, the checker refuses it: no start cell 'S'. S again saves it anyway",
                        "the changes are not saved: ESC again leaves without them",
                        "not saved, the checker refuses it: no start cell 'S'. S again saves it anyway",
                        "saved broken.txt, which the checker refuses: no start cell 'S'"}));
    EXPECT_EQ(run.of_kind("editor").back()->fields.at("findings"), "no start cell; no diamond");
    EXPECT_EQ(slurp(dir.path / "broken.txt"), text_of(blank()));
}

TEST_F(Editor, FilesThatAreNoCaveAreRefusedBeforeTheWindowOpens) {
    fs::create_directory(dir.path / "mine");
    { std::ofstream(dir.path / "huge.txt") << std::string(100000, '#'); }
    Run run = replay("100 quit\n", {"--edit", "huge.txt"});
    EXPECT_EQ(run.outcome.status, 2);
    ASSERT_EQ(run.blocks.size(), 1u) << "no picture, only the exit block";
    EXPECT_EQ(run.blocks[0].number, 2);
    EXPECT_NE(run.outcome.err.find("is larger than any cave file"), std::string::npos) << run.outcome.err;
    // The game reads a relative name from where it was started, not from its data directory.
    const Outcome game = run_program({KROMBLIX_RUN_DIR "/kromblix", "--edit", "mine"}, dir.path);
    EXPECT_EQ(game.status, 2);
    EXPECT_NE(game.err.find("\"" + (dir.path / "mine").string() + "\" is a directory"), std::string::npos) << game.err;
    EXPECT_EQ(run_program({KROMBLIX_RUN_DIR "/kromblix", "--edit"}, dir.path).status, 2);
}

}  // namespace

// P proves the cave with kromblix-solve (to its end at once under the runner), marks the saved
// file proven beside it, and W plays the route in the window from the title, through the real
// game, to the cave won; an unsaved cave is proved without a mark.
TEST_F(Editor, ProvesTheCaveMarksItAndWatchesTheRoute) {
    const Rows cave = paste(blank(true, '_'), 1, 1, {"S_*"});
    { std::ofstream(dir.path / "tiny.txt") << text_of(cave); }
    const Run run = replay(
        "100 down W\n200 down P\n300 down W\n"
        "# a wall under the start, unsaved, proved again\n"
        "60000 down DOWN\n60010 down SPACE\n60100 down P\n61000 down ESC\n61010 down ESC\n",
        {"--edit", "tiny.txt"});
    ASSERT_EQ(run.outcome.status, 0) << run.outcome.err;
    std::vector<std::string> messages;
    std::size_t won_at = 0;
    for (const Block& b : run.blocks) {
        if (b.kind == "congrats" && won_at == 0) won_at = messages.size();
        if (b.kind != "editor" || !b.fields.count("message")) continue;
        std::string message = b.fields.at("message");
        if (message.starts_with("the route won the cave")) message = "won";
        if (messages.empty() || messages.back() != message) messages.push_back(message);
    }
    ASSERT_EQ(messages.size(), 5u) << ::testing::PrintToString(messages);
    EXPECT_EQ(messages[0], "no route to watch: P proves the cave");
    EXPECT_EQ(messages[1], "winnable on 16 of 16 sequences: W watches");
    EXPECT_EQ(won_at, 2u) << "the congrats frames come between the answer and the watch's end";
    EXPECT_EQ(messages[2], "won");
    EXPECT_EQ(messages[3], "winnable on 16 of 16 sequences: W watches");
    EXPECT_GT(run.of_kind("title").size(), 15u) << "the watch starts on the title, as the route does";

    const std::string marks = slurp(dir.path / "proven.txt");
    EXPECT_NE(marks.find("\ntiny.txt "), std::string::npos) << marks;
    EXPECT_TRUE(cave_marks::is_proven(cave_marks::read_marks(marks), "tiny.txt", text_of(cave)));
    EXPECT_EQ(slurp(dir.path / "tiny.txt"), text_of(cave));
    EXPECT_EQ(cave_marks::read_marks(marks).size(), 1u) << "the unsaved cave was proved without a mark";
}

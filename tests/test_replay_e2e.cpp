// End to end: the real game driven by the replays of tests/replays through kromblix-replay, in a
// scratch directory made of the generated media and the test caves of tests/replays/caves, checked
// through its frame record, its screenshots and its exit status.
#include "tools/replay/png_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path REPLAYS = fs::path(KROMBLIX_SOURCE_DIR) / "tests/replays";
const fs::path GOLDEN = fs::path(KROMBLIX_SOURCE_DIR) / "tests/golden";

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// One block of the frame record, or the closing exit block (kind "exit", number the status).
struct Block {
    int number = 0;
    std::string kind;
    std::map<std::string, std::string> fields;
    std::vector<std::string> grid;
    std::vector<std::string> sounds;  // "1 explode.wav"
    int get(const std::string& name) const { return std::stoi(fields.at(name)); }
};

std::vector<Block> parse_record(const std::string& text) {
    std::vector<Block> blocks;
    const std::vector<std::string> lines = lines_of(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) continue;
        std::istringstream words(line);
        std::string head;
        words >> head;
        if (head == "frame") {
            blocks.emplace_back();
            words >> blocks.back().number >> blocks.back().kind;
        } else if (head == "exit") {
            blocks.emplace_back();
            blocks.back().kind = "exit";
            words >> blocks.back().number;
        } else if (head == "grid") {
            for (int y = 0; y < 20; ++y) blocks.back().grid.push_back(lines.at(++i));
        } else if (head == "sound") {
            blocks.back().sounds.push_back(line.substr(6));
        } else {
            blocks.back().fields[head] = line.substr(head.size() + 1);
        }
    }
    return blocks;
}

std::vector<std::string> cave_file_rows(const std::string& name) {
    return lines_of(slurp(REPLAYS / "caves" / name));
}

struct ReplayRun {
    int status = -1;
    std::string record;
    std::vector<Block> blocks;
    fs::path shots;

    const Block& exit_block() const { return blocks.back(); }
    std::vector<const Block*> of_kind(const std::string& kind) const {
        std::vector<const Block*> found;
        for (const Block& b : blocks)
            if (b.kind == kind) found.push_back(&b);
        return found;
    }
    // The first block of a kind after block index `after`.
    const Block* next(const std::string& kind, int after_number) const {
        for (const Block& b : blocks)
            if (b.kind == kind && b.number > after_number) return &b;
        return nullptr;
    }
};

// The media of the generated run directory and the test caves, in a fresh directory.
class Replays : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kromblix-replays-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "run");
        for (const auto& entry : fs::directory_iterator(KROMBLIX_RUN_DIR)) {
            const std::string ext = entry.path().extension().string();
            if (ext == ".bmp" || ext == ".wav" || ext == ".m") fs::copy_file(entry.path(), dir / "run" / entry.path().filename());
        }
        for (const auto& entry : fs::directory_iterator(REPLAYS / "caves"))
            fs::copy_file(entry.path(), dir / "run" / entry.path().filename());
    }
    void TearDown() override { fs::remove_all(dir); }

    ReplayRun replay(const std::string& name, const std::vector<std::string>& options = {}, const std::string& tag = "") {
        ReplayRun run;
        const fs::path out = dir / ("record" + tag + ".txt");
        run.shots = dir / ("shots" + tag);
        std::vector<std::string> args = {KROMBLIX_REPLAY_TOOL, "-C", (dir / "run").string(), "-o", out.string(),
                                         "--shot-dir", run.shots.string()};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(fs::path(name).is_absolute() ? name : (REPLAYS / name).string());
        run.status = spawn(args);
        run.record = slurp(out);
        run.blocks = parse_record(run.record);
        return run;
    }

    // Runs a program, waiting at most 60 s; the exit status, or 128 + the signal.
    int spawn(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
        const pid_t pid = fork();
        if (pid == 0) {
            std::vector<char*> argv;
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            for (const std::string& kv : env) putenv(const_cast<char*>(kv.c_str()));
            std::freopen((dir / "stderr.txt").c_str(), "a", stderr);
            execv(argv[0], argv.data());
            _exit(98);
        }
        int status = 0;
        for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; waited += 10) {
            usleep(10000);
            if (waited == 60000) kill(pid, SIGKILL);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    fs::path dir;
};

// A grid drawn after the first step in a freshly loaded cave: the file's cells, but for the start
// cell, now the player's, and the enemies, which have made their first moves.
void expect_fresh_cave(const Block& block, const std::string& cave) {
    const std::vector<std::string> file = cave_file_rows(cave);
    ASSERT_EQ(block.grid.size(), file.size());
    const std::string moving = "abcdSH";
    for (std::size_t y = 0; y < file.size(); ++y)
        for (std::size_t x = 0; x < file[y].size(); ++x) {
            const char want = file[y][x], got = block.grid[y].at(x);
            if (moving.find(want) == std::string::npos && moving.find(got) == std::string::npos) {
                EXPECT_EQ(got, want) << "cell (" << x << ", " << y << ")";
            }
        }
}

// The player's cell and the grid around the death: every death costs one life, shows the nine
// frames of the explosion around the player and restarts the cave from its file.
void expect_one_death(const ReplayRun& run, int player_x, int player_y) {
    const auto deaths = run.of_kind("death");
    ASSERT_EQ(deaths.size(), 9u) << run.record;
    EXPECT_EQ(deaths.front()->get("lives"), 9);
    EXPECT_EQ(deaths.front()->fields.at("player"), std::to_string(player_x) + " " + std::to_string(player_y));
    // Each animation frame draws the grid, then ages the blasts, then is shown: the picture holds
    // the fresh blast, the record the grid one stage on.
    EXPECT_EQ(deaths.front()->grid.at(static_cast<std::size_t>(player_y)).at(static_cast<std::size_t>(player_x)), '6');
    EXPECT_EQ(deaths.back()->grid.at(static_cast<std::size_t>(player_y)).at(static_cast<std::size_t>(player_x)), '.');
    EXPECT_NE(std::find(deaths.front()->sounds.begin(), deaths.front()->sounds.end(), "2 booom.wav"),
              deaths.front()->sounds.end());
    const Block* after = run.next("game", deaths.back()->number);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->get("lives"), 9);
    EXPECT_EQ(after->fields.at("player"), "12 10");
    expect_fresh_cave(*after, "level0.txt");
    // The clocks restart with the reload: a death in a step draws its frame at once, one by ESC
    // in the next pass.
    const int loaded = after->get("frame_clock") - 100;
    EXPECT_GE(after->get("tick"), loaded);
    EXPECT_LE(after->get("tick"), loaded + 1);
    EXPECT_EQ(loaded, deaths.back()->get("tick"));
}

TEST_F(Replays, NewGameStartsFromTheTitle) {
    const ReplayRun run = replay("new_game.txt");
    EXPECT_EQ(run.status, 0);
    const auto titles = run.of_kind("title");
    ASSERT_FALSE(titles.empty());
    // The title runs on its own 55 ms clock from the first tick after start-up.
    EXPECT_EQ(titles[0]->get("tick"), 1);
    EXPECT_EQ(titles[1]->get("tick"), 56);
    EXPECT_LT(titles.back()->get("tick"), 1000);
    const Block* first = run.next("game", 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->number, titles.back()->number + 1) << "no title frame after SPACE";
    EXPECT_EQ(first->get("tick"), 1001);
    EXPECT_EQ(first->get("frame_clock"), 1100);
    EXPECT_EQ(first->get("step_clock"), 1100);
    EXPECT_EQ(first->get("lives"), 10);
    EXPECT_EQ(first->get("score"), 0);
    EXPECT_EQ(first->get("cave_index"), 0);
    EXPECT_EQ(first->get("diamonds_left"), 3);
    EXPECT_EQ(first->fields.at("player"), "12 10");
    // The first step marks the player's cell over the start cell.
    expect_fresh_cave(*first, "level0.txt");
    EXPECT_EQ(first->grid[10][12], 'H');
    // Ten frames a second from then on, until the window is closed at 2500.
    EXPECT_EQ(run.of_kind("game").size(), 15u);
    EXPECT_EQ(run.exit_block().number, 0);
    EXPECT_EQ(run.exit_block().get("tick"), 2500);
}

TEST_F(Replays, ScriptedSolutionCompletesCaveZeroWithItsBonus) {
    const ReplayRun run = replay("solve_cave0.txt");
    EXPECT_EQ(run.status, 0);
    // Three diamonds taken, each with its sound on channel 1.
    int taken = 0;
    for (const Block& b : run.blocks)
        for (const std::string& s : b.sounds) taken += s == "1 explode.wav";
    EXPECT_EQ(taken, 3);

    const auto congrats = run.of_kind("congrats");
    ASSERT_EQ(congrats.size(), 35u);
    // Within the cave's first second: 3 diamonds and 10 seconds of bonus at 10 points each.
    EXPECT_EQ(congrats.front()->get("score"), 103);
    EXPECT_EQ(congrats.front()->get("cave_index"), 1);
    EXPECT_EQ(congrats.front()->get("diamonds_left"), 0);
    // The animation has no sleeps: all its frames are shown at one tick.
    EXPECT_EQ(congrats.front()->get("tick"), congrats.back()->get("tick"));

    const Block* next = run.next("game", congrats.back()->number);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->number, congrats.back()->number + 1);
    EXPECT_EQ(next->get("cave_index"), 1);
    EXPECT_EQ(next->get("score"), 103);
    EXPECT_EQ(next->get("lives"), 10);
    EXPECT_EQ(next->get("diamonds_left"), 4);
    EXPECT_EQ(next->fields.at("player"), "12 16");
    EXPECT_EQ(next->grid, cave_file_rows("level1.txt"));
}

TEST_F(Replays, FallingRockKills) {
    const ReplayRun run = replay("rock_death.txt");
    EXPECT_EQ(run.status, 0);
    expect_one_death(run, 10, 10);
    // The rock that fell vanished; the cell between stayed empty.
    const Block& death = *run.of_kind("death").front();
    EXPECT_NE(death.grid[8][10], 'o');
}

TEST_F(Replays, EnemyKills) {
    const ReplayRun run = replay("enemy_death.txt");
    EXPECT_EQ(run.status, 0);
    const Block* last_alive = nullptr;
    for (const Block& b : run.blocks)
        if (b.kind == "game" && b.fields.count("lives") && b.get("lives") == 10) last_alive = &b;
    ASSERT_NE(last_alive, nullptr);
    // The enemy came along the corridor towards the player waiting in the dug cell.
    EXPECT_EQ(last_alive->fields.at("player"), "13 10");
    EXPECT_NE(last_alive->grid[10].find_first_of("ab"), std::string::npos);
    expect_one_death(run, 13, 10);
}

TEST_F(Replays, BlastKills) {
    const ReplayRun run = replay("blast_death.txt");
    EXPECT_EQ(run.status, 0);
    expect_one_death(run, 12, 13);
    // Two explosions: the enemy crushed by the rock, then the player's own.
    const Block& death = *run.of_kind("death").front();
    EXPECT_EQ(death.sounds, (std::vector<std::string>{"2 booom.wav", "2 booom.wav"}));
    EXPECT_NE(death.grid[14].substr(12, 3).find_first_of("234567"), std::string::npos) << death.grid[14];
    EXPECT_EQ(death.grid[14].find('a'), std::string::npos) << "the enemy is gone";
}

TEST_F(Replays, ReleasingEscCostsALife) {
    const ReplayRun run = replay("esc_death.txt");
    EXPECT_EQ(run.status, 0);
    // Pressed at 1500 nothing happens; the death starts with the release at 1700.
    EXPECT_EQ(run.of_kind("death").front()->get("tick"), 1700 + 33);
    expect_one_death(run, 12, 10);
}

TEST_F(Replays, LastLifeEndsInGameOverAndTheTitle) {
    const ReplayRun run = replay("game_over.txt");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.of_kind("death").size(), 90u);
    const auto over = run.of_kind("game_over");
    ASSERT_EQ(over.size(), 1u);
    EXPECT_EQ(over[0]->get("lives"), 0);
    const Block* title = run.next("title", over[0]->number);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->number, over[0]->number + 1) << "straight back to the title";
    // The game-over screen stays 2299 ms, then the title catches up on its clock in one burst.
    EXPECT_EQ(title->get("tick"), over[0]->get("tick") + 2299);
    int burst = 0;
    for (const Block* b : run.of_kind("title")) burst += b->get("tick") == title->get("tick");
    EXPECT_EQ(burst, (2299 + 54) / 55);
    EXPECT_EQ(run.next("game", over[0]->number), nullptr);
    EXPECT_EQ(run.exit_block().get("tick"), 10000 + 100) << "ESC on the title fades out for 100 ms";
}

TEST_F(Replays, EscOnTheTitleReturnsZeroAfterTheFade) {
    const ReplayRun run = replay("title_quit.txt");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.exit_block().number, 0);
    EXPECT_EQ(run.exit_block().get("tick"), 1100);
    EXPECT_TRUE(run.of_kind("game").empty());
}

TEST_F(Replays, WindowCloseEndsAtOnce) {
    const ReplayRun run = replay("window_close.txt");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.exit_block().number, 0);
    EXPECT_EQ(run.exit_block().get("tick"), 2345);
    EXPECT_LT(run.blocks[run.blocks.size() - 2].get("tick"), 2345);
}

TEST_F(Replays, EndTimeClosesTheWindow) {
    // The replay's own close is overruled by an earlier end time.
    ReplayRun run = replay("new_game.txt", {"--until", "1500"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.exit_block().get("tick"), 1501);
    // Without a close and without an end time, the run ends 5 s after the last event.
    std::ofstream(dir / "no_close.txt") << "1000 down SPACE\n";
    run = replay((dir / "no_close.txt").string(), {}, "-2");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.exit_block().get("tick"), 6001);
}

TEST_F(Replays, BrokenReplayIsRefusedWithItsLine) {
    std::ofstream(dir / "broken.txt") << "# fine\n1000 down SPACE\n1200 down JUMP\n";
    const ReplayRun run = replay((dir / "broken.txt").string());
    EXPECT_EQ(run.status, 2);
    const std::string err = slurp(dir / "stderr.txt");
    EXPECT_NE(err.find("line 3"), std::string::npos) << err;
    EXPECT_NE(err.find("JUMP"), std::string::npos) << err;
}

TEST_F(Replays, SameReplayGivesTheSameRecordAndPictures) {
    // Pictures of every kind the replay shows: title, game (moves, a rock falling) and death.
    const std::vector<std::string> shots = {"--shots", "title:1-2,game:1-7,death"};
    const ReplayRun first = replay("blast_death.txt", shots, "-1");
    const ReplayRun second = replay("blast_death.txt", shots, "-2");
    ASSERT_EQ(first.status, 0);
    EXPECT_EQ(first.record, second.record);
    int pictures = 0;
    for (const auto& entry : fs::directory_iterator(first.shots)) {
        ++pictures;
        const fs::path twin = second.shots / entry.path().filename();
        ASSERT_TRUE(fs::exists(twin)) << twin;
        EXPECT_TRUE(slurp(entry.path()) == slurp(twin)) << entry.path().filename() << " differs";
    }
    EXPECT_EQ(pictures, 2 + 7 + 9);
}

// The golden pictures of tests/golden, listed in its goldens.txt with the replay and the frame
// each comes from; tools/renew-goldens.sh makes them anew when the art changes on purpose.
struct Golden {
    std::string name, replay, frames;
};

void PrintTo(const Golden& g, std::ostream* out) { *out << g.name; }

std::vector<Golden> golden_manifest() {
    std::vector<Golden> goldens;
    for (const std::string& line : lines_of(slurp(GOLDEN / "goldens.txt"))) {
        std::istringstream words(line);
        Golden g;
        if (words >> g.name >> g.replay >> g.frames && g.name[0] != '#') goldens.push_back(g);
    }
    return goldens;
}

class GoldenPictures : public Replays, public ::testing::WithParamInterface<Golden> {};

TEST_P(GoldenPictures, MatchPixelForPixel) {
    const Golden& g = GetParam();
    const ReplayRun run = replay(g.replay, {"--shots", g.frames});
    ASSERT_EQ(run.status, 0);
    std::vector<fs::path> shots;
    for (const auto& entry : fs::directory_iterator(run.shots)) shots.push_back(entry.path());
    ASSERT_EQ(shots.size(), 1u) << "the frames of a golden picture name one frame";

    replay::Image expected, actual;
    std::string error;
    ASSERT_TRUE(replay::read_png((GOLDEN / g.name).string(), expected, error)) << error;
    ASSERT_TRUE(replay::read_png(shots[0].string(), actual, error)) << error;
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    int differ = 0, first = -1;
    for (std::size_t i = 0; i < actual.pixels.size(); ++i)
        if (actual.pixels[i] != expected.pixels[i]) {
            if (first < 0) first = static_cast<int>(i);
            ++differ;
        }
    if (differ) {
        // Kept for a look: build/Testing/golden-actual/NAME.
        const fs::path kept = fs::path(KROMBLIX_BINARY_DIR) / "Testing/golden-actual";
        fs::create_directories(kept);
        fs::copy_file(shots[0], kept / g.name, fs::copy_options::overwrite_existing);
    }
    EXPECT_EQ(differ, 0) << differ << " pixels differ, the first at (" << first % actual.width << ", "
                         << first / std::max(actual.width, 1) << "); the picture made is in "
                         << KROMBLIX_BINARY_DIR << "/Testing/golden-actual/" << g.name
                         << "; if the change is meant, renew with tools/renew-goldens.sh";
}

INSTANTIATE_TEST_SUITE_P(Replays, GoldenPictures, ::testing::ValuesIn(golden_manifest()),
                         [](const ::testing::TestParamInfo<Golden>& param_info) {
                             return param_info.param.name.substr(0, param_info.param.name.find('.'));
                         });

TEST(GoldenManifest, NamesATitleAGameAGameOverAndACaveCompleteFrame) {
    std::vector<std::string> frames;
    for (const Golden& g : golden_manifest()) frames.push_back(g.frames.substr(0, g.frames.find(':')));
    EXPECT_EQ(frames, (std::vector<std::string>{"title", "game", "game_over", "congrats"}));
}

// KROMBLIX_RECORD: the real game records what it polls, and the runner plays it back to the
// same end. A window close (SDL turns SIGTERM into one) is the event a test can send without a
// display; tests/window/window_test.sh records keys pressed in a real window.
TEST_F(Replays, RecordedSessionPlaysBackToTheSameEnd) {
    const fs::path recording = dir / "session.txt";
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir((dir / "run").c_str()) != 0) _exit(99);
        std::freopen((dir / "game-out.txt").c_str(), "w", stdout);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("KROMBLIX_RECORD", recording.c_str(), 1);
        execl(KROMBLIX_RUN_DIR "/kromblix", "kromblix", static_cast<char*>(nullptr));
        _exit(98);
    }
    // The recording starts once SDL is up, and with it SDL's handler that turns SIGTERM into a
    // window close; then the title runs for a while.
    for (int waited = 0; !fs::exists(recording) && waited < 20000; waited += 10) usleep(10000);
    usleep(1500 * 1000);
    kill(pid, SIGTERM);
    int status = 0;
    for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; waited += 10) {
        usleep(10000);
        if (waited == 20000) kill(pid, SIGKILL);
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::vector<std::string> lines = lines_of(slurp(recording));
    ASSERT_FALSE(lines.empty());
    std::istringstream last(lines.back());
    int quit_tick = -1;
    std::string kind;
    last >> quit_tick >> kind;
    EXPECT_EQ(kind, "quit");
    // The game clock runs with real time from the end of start-up: about 1.5 s.
    EXPECT_GT(quit_tick, 0);
    EXPECT_LT(quit_tick, 20000);

    const ReplayRun run = replay(recording.string());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.exit_block().get("tick"), quit_tick);
    EXPECT_GT(run.of_kind("title").size(), static_cast<std::size_t>(quit_tick / 55 - 2));
}

}  // namespace

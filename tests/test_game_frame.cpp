// The game frame's pacing on a virtual clock, and the event tables of the two loops.
#include "app/loops.h"
#include "sim/cave_loader.h"
#include "tests/support/test_env.h"

#include <algorithm>

using namespace test_env;

// An unfinished cave loaded at tick 1000.
class Pacing : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        load(paste(blank(), 5, 5, {"S", "", "", "", "", "     *"}));
        game.lives = 10;
    }
    static void load(const Rows& rows) {
        write_level(0, rows);
        now_ms = 1000;
        load_cave();
    }
    static int game_frames() { return static_cast<int>(std::count(frames.begin(), frames.end(), FrameKind::cave)); }
    // The step and frame clocks and the game frames shown so far.
    static std::tuple<int, int, int> clocks() { return {game.step_clock, game.frame_clock, game_frames()}; }
};

TEST_F(Pacing, AfterALoadEachFrameRunsOneStep) {
    game_frame();  // the tick count has not moved past frame_clock: only a 1 ms sleep
    EXPECT_EQ(now_ms, 1001u);
    EXPECT_EQ(clocks(), std::tuple(1000, 1000, 0));
    EXPECT_EQ(cell_at(5, 5), START);

    game_frame();  // tick 1001: one step, one frame
    EXPECT_EQ(clocks(), std::tuple(1100, 1100, 1));
    EXPECT_EQ(cell_at(5, 5), PLAYER);
    while (now_ms <= 1100) game_frame();
    EXPECT_EQ(game_frames(), 1);
    game_frame();
    EXPECT_EQ(clocks(), std::tuple(1200, 1200, 2));
}

TEST_F(Pacing, FrameWithoutAStepWhenTheStepClockIsAhead) {
    game.step_clock = 1030;
    now_ms = 1001;
    game_frame();
    EXPECT_EQ(clocks(), std::tuple(1030, 1100, 1));
    EXPECT_EQ(cell_at(5, 5), START) << "no step has run";
    while (now_ms <= 1100) game_frame();
    EXPECT_EQ(game_frames(), 1);
    game_frame();
    EXPECT_EQ(clocks(), std::tuple(1130, 1200, 2));
}

TEST_F(Pacing, LateTicksRunTheDueStepsBackToBackAndFramesCatchUp) {
    now_ms = 1550;
    game_frame();
    EXPECT_EQ(clocks(), std::tuple(1600, 1100, 1)) << "six steps: 1000, 1100, ..., 1500";
    // frame_clock is behind: frames follow without sleeping until it passes the tick count.
    for (int i = 0; i < 5; ++i) game_frame();
    EXPECT_EQ(slept_ms, 0u);
    EXPECT_EQ(clocks(), std::tuple(1600, 1600, 6));
    game_frame();
    EXPECT_EQ(slept_ms, 1u);
}

TEST_F(Pacing, ACrushEndsTheBatchWithoutCountingTheStep) {
    // A rock hangs two cells above the start with a gap between: the first step crushes.
    load(paste(blank(), 5, 3, {"o", "", "S", "", "", "", "", "     *"}));
    game.lives = 3;
    now_ms = 1550;
    game_frame();
    EXPECT_EQ(game.lives, 2);
    // The reload moved the clocks to the tick count after the death animation.
    EXPECT_EQ(game.step_clock, static_cast<std::int32_t>(now_ms));
    EXPECT_GE(game.step_clock, 1550 + 9 * 33);
}

using Loops = Pacing;
const SDL_Event EMPTY_POLL{};

TEST_F(Loops, EscapeOnTheTitleShutsDownAfterAShortPause) {
    events = {key_event(SDL_KEYDOWN, SDLK_RIGHT), key_event(SDL_KEYUP, SDLK_ESCAPE),
              key_event(SDL_KEYDOWN, SDLK_ESCAPE)};
    const auto before = slept_ms;
    EXPECT_EQ(run_loops(), 0);
    // Keys are ignored on the title.
    EXPECT_EQ(std::tuple(game.on_title, game.key_right, game.lives), std::tuple(1, 0, 10));
    EXPECT_GE(slept_ms - before, 100u);
}

TEST_F(Loops, SpaceStartsAGameAndTheArrowsSetTheKeyFlags) {
    game.lives = 3, game.score = 9, game.cave_index = 4;
    // The title poll takes SPACE and goes on taking the rest as title events: arrows ignored.
    events = {key_event(SDL_KEYDOWN, SDLK_SPACE), key_event(SDL_KEYDOWN, SDLK_LEFT), quit_event()};
    EXPECT_EQ(run_loops(), 0);
    EXPECT_EQ(std::tuple(game.on_title, game.lives, game.score, game.cave_index, game.key_left),
              std::tuple(0, 10, 0, 0, 0));

    // Once the title poll has come back empty, the game's polls set the key flags; releasing
    // ESC costs a life, and the reload clears the keys held before it.
    events = {key_event(SDL_KEYDOWN, SDLK_SPACE),
              EMPTY_POLL,
              key_event(SDL_KEYDOWN, SDLK_ESCAPE),
              key_event(SDL_KEYDOWN, SDLK_DOWN),
              key_event(SDL_KEYUP, SDLK_ESCAPE),
              key_event(SDL_KEYDOWN, SDLK_RIGHT),
              key_event(SDL_KEYDOWN, SDLK_UP),
              key_event(SDL_KEYUP, SDLK_UP),
              quit_event()};
    EXPECT_EQ(run_loops(), 0);
    EXPECT_EQ(std::tuple(game.lives, game.key_down, game.key_right, game.key_up), std::tuple(9, 0, 1, 0));
}

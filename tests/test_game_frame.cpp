// The game frame's pacing on a virtual clock, and the event tables of the two loops.
#include "app/loops.h"
#include "sim/cave_loader.h"
#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

namespace {

using test_env::frames;
using test_env::now_ms;

class Pacing : public test_env::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        test_env::make_screen();
        test_env::make_media();
        auto rows = test_env::walled_rows();
        rows[5][5] = 'S';
        rows[10][10] = '*';  // an unfinished cave
        test_env::write_cave_file("level0.txt", rows);
        now_ms = 1000;
        load_cave();
    }
    int game_frames() const { return static_cast<int>(std::count(frames.begin(), frames.end(), FrameKind::cave)); }
    test_env::ScratchDir scratch;
};

TEST_F(Pacing, AfterALoadEachFrameRunsOneStep) {
    game_frame();  // the tick count has not moved past frame_clock: only a 1 ms sleep
    EXPECT_EQ(now_ms, 1001u);
    EXPECT_EQ(game_frames(), 0);
    EXPECT_EQ(cell_at(5, 5), START);

    game_frame();  // tick 1001: one step, one frame
    EXPECT_EQ(game.step_clock, 1100);
    EXPECT_EQ(game.frame_clock, 1100);
    EXPECT_EQ(game_frames(), 1);
    EXPECT_EQ(cell_at(5, 5), PLAYER);

    while (now_ms <= 1100) game_frame();
    EXPECT_EQ(game_frames(), 1);
    game_frame();
    EXPECT_EQ(game.step_clock, 1200);
    EXPECT_EQ(game.frame_clock, 1200);
    EXPECT_EQ(game_frames(), 2);
}

TEST_F(Pacing, FrameWithoutAStepWhenTheStepClockIsAhead) {
    game.frame_clock = 1000;
    game.step_clock = 1030;
    now_ms = 1001;
    game_frame();
    EXPECT_EQ(game.frame_clock, 1100);
    EXPECT_EQ(game.step_clock, 1030);
    EXPECT_EQ(cell_at(5, 5), START);  // no step has run
    while (now_ms <= 1100) game_frame();
    EXPECT_EQ(game_frames(), 1);
    game_frame();
    EXPECT_EQ(game.step_clock, 1130);
    EXPECT_EQ(game.frame_clock, 1200);
}

TEST_F(Pacing, LateTicksRunTheDueStepsBackToBackAndFramesCatchUp) {
    now_ms = 1550;
    game_frame();
    EXPECT_EQ(game.step_clock, 1600);  // six steps: 1000, 1100, ..., 1500
    EXPECT_EQ(game_frames(), 1);
    // frame_clock is behind: frames follow without sleeping until it passes the tick count.
    const auto slept = test_env::slept_ms;
    for (int i = 0; i < 5; ++i) game_frame();
    EXPECT_EQ(test_env::slept_ms, slept);
    EXPECT_EQ(game_frames(), 6);
    EXPECT_EQ(game.frame_clock, 1600);
    game_frame();
    EXPECT_EQ(test_env::slept_ms, slept + 1);
}

TEST_F(Pacing, ACrushEndsTheBatchWithoutCountingTheStep) {
    // A rock hangs two cells above the start with a gap between: the first step crushes.
    auto rows = test_env::walled_rows();
    rows[5][5] = 'S';
    rows[3][5] = 'o';
    rows[10][10] = '*';
    test_env::write_cave_file("level0.txt", rows);
    game.lives = 3;
    load_cave();
    now_ms = 1550;
    game_frame();
    EXPECT_EQ(game.lives, 2);
    // The reload moved the clocks to the tick count after the death animation.
    EXPECT_EQ(static_cast<std::uint32_t>(game.step_clock), now_ms);
    EXPECT_GE(game.step_clock, 1550 + 9 * 33);
}

// Scripted events for the loops.
std::deque<SDL_Event> script;
int scripted_poll(SDL_Event* event) {
    if (script.empty()) return 0;
    *event = script.front();
    script.pop_front();
    return 1;
}
SDL_Event key(Uint8 type, SDLKey sym) {
    SDL_Event e{};
    e.type = type;
    e.key.type = type;
    e.key.keysym.sym = sym;
    return e;
}
SDL_Event quit_event() {
    SDL_Event e{};
    e.type = SDL_QUIT;
    return e;
}

class Loops : public Pacing {
protected:
    void SetUp() override {
        Pacing::SetUp();
        script.clear();
        PlatformHooks hooks;
        // Keep the virtual clock and recorders, feed scripted events.
        hooks.ticks = [] { return now_ms; };
        hooks.delay = [](std::uint32_t ms) { now_ms += ms; test_env::slept_ms += ms; };
        hooks.play = [](int channel, SoundId sound) { test_env::sounds.push_back({channel, sound}); };
        hooks.poll_event = scripted_poll;
        hooks.frame_shown = [](FrameKind kind) { frames.push_back(kind); };
        set_platform_hooks(hooks);
        game.lives = 10;
    }
};

TEST_F(Loops, EscapeOnTheTitleShutsDownAfterAShortPause) {
    script = {key(SDL_KEYDOWN, SDLK_RIGHT), key(SDL_KEYUP, SDLK_ESCAPE), key(SDL_KEYDOWN, SDLK_ESCAPE)};
    const auto before = test_env::slept_ms;
    EXPECT_EQ(run_loops(), 0);
    EXPECT_EQ(game.on_title, 1);
    EXPECT_EQ(game.key_right, 0);  // keys are ignored on the title
    EXPECT_EQ(game.lives, 10);
    EXPECT_GE(test_env::slept_ms - before, 100u);
}

TEST_F(Loops, SpaceStartsAGameAndTheArrowsSetTheKeyFlags) {
    game.lives = 3;
    game.score = 9;
    game.cave_index = 4;
    script = {key(SDL_KEYDOWN, SDLK_SPACE), key(SDL_KEYDOWN, SDLK_LEFT), key(SDL_KEYDOWN, SDLK_UP),
              key(SDL_KEYUP, SDLK_UP), key(SDL_KEYDOWN, SDLK_SPACE), quit_event()};
    EXPECT_EQ(run_loops(), 0);
    EXPECT_EQ(game.on_title, 0);
    EXPECT_EQ(game.lives, 10);
    EXPECT_EQ(game.score, 0);
    EXPECT_EQ(game.cave_index, 0);
    // The title poll took SPACE and went on taking the rest as title events: arrows ignored.
    EXPECT_EQ(game.key_left, 0);
}

TEST_F(Loops, ReleasingEscapeInAGameCostsALife) {
    script = {key(SDL_KEYDOWN, SDLK_SPACE)};
    // After the title poll, feed game events one frame later.
    PlatformHooks hooks;
    hooks.ticks = [] { return now_ms; };
    hooks.delay = [](std::uint32_t ms) { now_ms += ms; };
    hooks.poll_event = [](SDL_Event* e) {
        static int calls = 0;
        if (!script.empty()) return scripted_poll(e);
        ++calls;
        if (calls == 2) *e = key(SDL_KEYDOWN, SDLK_ESCAPE);
        else if (calls == 3) *e = key(SDL_KEYDOWN, SDLK_DOWN);
        else if (calls == 4) *e = key(SDL_KEYUP, SDLK_ESCAPE);
        else if (calls == 5) *e = key(SDL_KEYDOWN, SDLK_RIGHT);
        else if (calls == 6) *e = quit_event();
        else return 0;
        return 1;
    };
    set_platform_hooks(hooks);
    EXPECT_EQ(run_loops(), 0);
    EXPECT_EQ(game.lives, 9);
    EXPECT_EQ(game.key_down, 0);   // cleared by the reload
    EXPECT_EQ(game.key_right, 1);  // pressed after it
}

}  // namespace

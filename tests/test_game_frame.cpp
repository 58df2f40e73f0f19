// The game frame's pacing when ticks come late or a step kills, and the title's event table.
// (A frame and a step every 100 ms, the keys and ESC are pinned by the replays' digests.)
#include "app/loops.h"
#include "platform/platform.h"
#include "sim/cave_loader.h"
#include "sim/game_state.h"
#include "tests/support/test_env.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

using namespace test_env;

// A cave loaded at tick 1000.
class Pacing : public SimTest {
protected:
    static void load(const Rows& rows) {
        write_level(0, rows);
        now_ms = 1000;
        load_cave();
    }
    static int game_frames() { return static_cast<int>(std::count(frames.begin(), frames.end(), FrameKind::cave)); }
};

TEST_F(Pacing, LateTicksRunTheDueStepsBackToBackAndACrushEndsTheBatch) {
    load(paste(blank(), 5, 5, {"S", "", "", "", "", "     *"}));
    game.step_clock = 1030;
    now_ms = 1550;
    game_frame();
    EXPECT_EQ(std::tuple(game.step_clock, game.frame_clock, game_frames()), std::tuple(1630, 1100, 1))
        << "six steps: 1030, 1130, ..., 1530";
    // frame_clock is behind: frames follow without sleeping until it passes the tick count.
    for (int i = 0; i < 5; ++i) game_frame();
    EXPECT_EQ(std::tuple(game.step_clock, game.frame_clock, game_frames(), slept_ms), std::tuple(1630, 1600, 6, 0ull));
    game_frame();
    EXPECT_EQ(slept_ms, 1u);

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

TEST_F(Pacing, TheTitlePollTakesSpaceAndIgnoresTheArrowsAfterIt) {
    write_level(0, blank());
    game.lives = 3, game.score = 9, game.cave_index = 4;
    events = {key_event(SDL_KEYDOWN, SDLK_SPACE), key_event(SDL_KEYDOWN, SDLK_LEFT), quit_event()};
    EXPECT_EQ(run_loops(), 0);
    EXPECT_EQ(std::tuple(game.on_title, game.lives, game.score, game.cave_index, game.key_left),
              std::tuple(0, 10, 0, 0, 0));
}

TEST_F(Pacing, WaitingForAFrameSleepsOneMillisecondAtATimeOnAHookedClock) {
    // The replays' ticks rest on this: a longer sleep towards the due frame is the real clock's only.
    load(paste(blank(), 5, 5, {"S"}));
    game.frame_clock = 1060;
    for (int i = 0; i < 60; ++i) game_frame();
    EXPECT_EQ(std::tuple(now_ms, slept_ms, game_frames()), std::tuple(1060u, 60u, 0));
    game_frame();  // 1060 is not past frame_clock yet
    game_frame();
    plat_idle(10, 500);
    plat_idle(1, 50, 55);  // the title's wait
    EXPECT_EQ(std::tuple(now_ms, game_frames()), std::tuple(1072u, 1));
}

// Losing a life without a screen, with no lives left, and twice in the step of the last life.
// (The death animation, the restart and the game-over screen of an ordinary death are pinned by
// the replays' digests: test_digests.cpp.)
#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>
#include "platform/platform.h"
#include "render/canvas.h"
#include "sim/game_state.h"
#include "sim/lose_life.h"

#include "sim/presentation.h"
#include "sim/sim_step.h"
#include "tests/support/test_env.h"

using namespace test_env;

constexpr std::uint64_t ANIMATION_MS = 9 * 33, GAME_OVER_MS = 2299;

class LoseLife : public SimTest {
protected:
    const Rows level = paste(blank(), 4, 4, {"S", " ", "  *"});
    void SetUp() override {
        SimTest::SetUp();
        write_level(0, level);
    }
};

TEST_F(LoseLife, WithoutAPresentationTheRulesRunTheSameWithoutAScreen) {
    set_presentation({});
    replace(gfx.screen, nullptr);
    start(blank(), 10, 10);
    game.lives = 1;
    lose_life();
    EXPECT_EQ(std::tuple(game.lives, game.on_title, slept_ms), std::tuple(0, 1, ANIMATION_MS + GAME_OVER_MS));
    EXPECT_EQ(cave_rows(), level);
    EXPECT_TRUE(frames.empty());
}

TEST_F(LoseLife, WithNoLivesOnlyTheGameOverScreenIsShown) {
    start(paste(blank(), 11, 10, {"7"}), 10, 10);
    const Rows before = cave_rows();
    lose_life();
    EXPECT_EQ(std::pair(game.lives, game.on_title), std::pair(0, 1));
    EXPECT_EQ(cave_rows(), before) << "no blast, no decay, no reload";
    EXPECT_TRUE(sounds.empty());
    EXPECT_EQ(slept_ms, GAME_OVER_MS);
    EXPECT_EQ(frames, std::vector<FrameKind>{FrameKind::game_over});

    // A second death in the step of the last life shows the game-over screen again.
    write_level(0, paste(Rows(level), 4, 2, {"o"}));  // a rock hangs over the start cell
    start(paste(blank(), 5, 5, {"a", "%"}), 4, 4);    // the enemy's blast reaches the player
    game.lives = 1, slept_ms = 0;
    frames.clear();
    EXPECT_FALSE(sim_step());
    EXPECT_EQ(std::pair(game.lives, game.on_title), std::pair(0, 1));
    EXPECT_EQ(slept_ms, ANIMATION_MS + 2 * GAME_OVER_MS);
    EXPECT_EQ(frames.size(), 11u);
    EXPECT_EQ(cell_at(4, 2), EMPTY) << "the crushing rock vanished";
}

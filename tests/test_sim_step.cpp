// One simulation step: key priority, the push, open cave edges, the remaining seconds and the
// cave-complete rule. (Taking diamonds, the gravity order, the push draw, the crush rule and a
// blast on the player are pinned by the replays' digests.)
#include <tuple>
#include <utility>
#include "sim/game_state.h"
#include "sim/sim_step.h"

#include "tests/support/test_env.h"

using namespace test_env;
using Step = SimTest;

// Every draw of the step is the push draw's value: below 3 of 10 a push succeeds.
constexpr int PUSH = 0, NO_PUSH = 5;

TEST_F(Step, LaterKeysWinNoKeyKeepsTheDirectionAndStartIsNotWalkable) {
    // left, right, up, down held -> step direction
    const int cases[][6] = {{1, 0, 1, 0, 0, -1}, {1, 1, 1, 1, 0, 1}, {1, 1, 0, 0, 1, 0}, {1, 0, 0, 0, -1, 0}};
    for (const auto& c : cases) {
        start(blank(), 10, 10);
        game.key_left = c[0], game.key_right = c[1], game.key_up = c[2], game.key_down = c[3];
        EXPECT_TRUE(sim_step());
        EXPECT_EQ(std::tuple(game.step_dx, game.step_dy, game.player_x, game.player_y, game.prev_x, game.prev_y),
                  std::tuple(c[4], c[5], 10 + c[4], 10 + c[5], 10, 10));
        EXPECT_EQ(std::pair(cell_at(10 + c[4], 10 + c[5]), cell_at(10, 10)), std::pair(PLAYER, EMPTY));
    }
    game.key_left = game.key_right = game.key_up = game.key_down = 0;
    EXPECT_TRUE(sim_step());
    EXPECT_EQ(game.player_x, 8) << "the previous step's direction stays";

    set_cave(paste(blank(), 6, 6, {"S"}));
    game.player_x = game.player_y = 6;
    game.prev_x = game.prev_y = 3;
    game.step_dx = 0;
    EXPECT_TRUE(sim_step());
    EXPECT_EQ(std::tuple(game.prev_x, game.prev_y, cell_at(6, 6)), std::tuple(3, 3, PLAYER)) << "START is not walkable";
}

TEST_F(Step, PushNeedsALowDrawAndEmptinessBeyondInsideTheGrid) {
    // The row from the player's cell rightwards, whether the push draw is low, the row after.
    for (auto [row, low, after] : {std::tuple{"Ho.", true, ".Ho"}, {"Ho.", false, "Ho."}, {"Ho_", true, "Ho_"}}) {
        start(paste(blank(), 10, 10, {row, "___"}), 10, 10);
        game.key_right = 1;
        roll = low ? PUSH : NO_PUSH;
        EXPECT_TRUE(sim_step());
        EXPECT_EQ(cave_rows()[10].substr(10, 3), after) << row << low;
    }
    // Upwards too: the rock then rests on the player's head without harm.
    start(paste(blank(), 10, 9, {"o"}), 10, 10);
    game.key_up = 1;
    roll = PUSH;
    EXPECT_TRUE(sim_step());
    game.key_up = game.step_dy = 0;
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(sim_step());
    EXPECT_EQ(std::pair(cell_at(10, 8), game.player_y), std::pair(ROCK, 9));

    // In an open cave nothing lies beyond the edges to push or move into.
    start(paste(blank(false), 24, 5, {"o", "_"}), 23, 5);
    game.key_right = 1;
    EXPECT_TRUE(sim_step());
    EXPECT_EQ(cell_at(24, 5), ROCK);
    start(paste(blank(false), 4, 0, {" o", "_H_"}), 5, 1);  // push up and crush test above row 0
    game.key_up = 1;
    EXPECT_TRUE(sim_step());
    EXPECT_EQ(cell_at(5, 0), ROCK);
    start(blank(false), 0, 0);
    game.key_left = 1;
    EXPECT_TRUE(sim_step());
    game.key_left = 0, game.key_up = 1;
    EXPECT_TRUE(sim_step());
    EXPECT_EQ(std::pair(game.player_x, game.player_y), std::pair(0, 0));
}

TEST_F(Step, RemainingSecondsAndAFinishedCaveGivesBonusExtraLifeAndTheNextCave) {
    game.cave_start_time = 5000;
    for (auto [elapsed, seconds] : {std::pair{999, 10}, {1000, 9}, {86000, 0}}) {
        game.frame_clock = 5000 + elapsed;
        EXPECT_EQ(compute_remaining_seconds(), seconds) << elapsed;
    }
    const Rows next = paste(blank(), 2, 2, {"**", "  S"});
    write_level(0, blank());
    write_level(10, next);
    game.cave_index = 9, game.lives = 3, game.score = 40;
    now_ms = 777;
    complete_cave_if_done(7);
    EXPECT_EQ(std::tuple(game.score, game.lives, game.cave_index, game.diamonds_left, game.cave_start_time),
              std::tuple(110, 4, 10, 2, 777));
    EXPECT_EQ(cave_rows(), next);

    // Only an exact zero finishes a cave; only caves 10, 20, 30 and 40 give a life.
    game.diamonds_left = -1;
    complete_cave_if_done(10);
    EXPECT_EQ(game.cave_index, 10);
    for (int index : {8, 49}) {
        game.cave_index = index;
        game.diamonds_left = 0;
        complete_cave_if_done(0);
        EXPECT_EQ(std::tuple(game.lives, game.score, game.cave_index), std::tuple(4, 110, 0))
            << index << ": no file after";
    }
}

// Falling and rolling of rocks and diamonds at the edges of an open cave. (Falls, rolls, the
// scan order and the rock pass before the diamond pass are pinned by the replays' digests.)
#include "sim/game_state.h"
#include "sim/gravity.h"

#include "tests/support/test_env.h"

using namespace test_env;
using Gravity = GameTest;

TEST_F(Gravity, OpenCaveKeepsEverythingInsideTheGrid) {
    Rows cave = blank(false);
    paste(cave, 5, 19, {"o"});  // nothing below row 19
    paste(cave, 0, 5, {"o"});   // columns 0 and 24 and row 0 are not scanned
    paste(cave, 24, 5, {"o"});
    paste(cave, 7, 0, {"o"});
    paste(cave, 0, 17, {".o", ".o", " _"});     // rolls left into column 0
    paste(cave, 22, 17, {"_o.", " o.", " _"});  // rolls right into column 24
    set_cave(cave);
    apply_gravity(ROCK);

    Rows want = cave;
    paste(want, 0, 17, {"..", "oo"});
    paste(want, 23, 17, {"..", "oo"});
    EXPECT_EQ(cave_rows(), want);
    EXPECT_TRUE(sounds.empty());
}

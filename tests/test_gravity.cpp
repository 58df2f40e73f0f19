// Falling and rolling of rocks and diamonds, one pass at a time.
#include "sim/gravity.h"

#include "tests/support/test_env.h"

using namespace test_env;
using Gravity = GameTest;

TEST_F(Gravity, FallsRollsAndSlidesInScanOrder) {
    Rows cave = blank();
    paste(cave, 5, 5, {"o"});                                           // falls one cell
    paste(cave, 9, 3, {"o", "o", "o"});                                 // a column falls as a whole
    paste(cave, 12, 1, {"o"});                                          // row 1 is scanned
    paste(cave, 14, 2, {" o", "  ", "  ", " o", " o", "__"});           // rolls left; the rock above waits
    paste(cave, 18, 5, {" o ", "_* ", " _ ", "  _"});                   // rolls right, then falls on
    paste(cave, 2, 15, {"o o o o o o", "_ H a @ 7 E", "# # # # # #"});  // rests on anything else
    set_cave(cave);
    apply_gravity(ROCK);

    Rows want = cave;
    paste(want, 5, 5, {".", "o"});
    paste(want, 9, 3, {".", "o", "o", "o"});
    paste(want, 12, 1, {".", "o"});
    paste(want, 14, 5, {" .", "oo"});
    paste(want, 19, 5, {".", " ", " o"});
    EXPECT_EQ(cave_rows(), want);
    // Each fall restarts channel 1; rolling is silent.
    EXPECT_EQ(sounds, std::vector<SoundStart>(6, {1, SoundId::rock}));
}

TEST_F(Gravity, RocksGoFirstAndTheLastFallIsHeard) {
    Rows cave = paste(blank(), 8, 4, {"*o"});
    set_cave(cave);
    apply_gravity(DIAMOND);
    EXPECT_EQ(cell_at(9, 4), ROCK) << "a diamond pass leaves rocks alone";

    set_cave(cave);
    sounds.clear();
    apply_gravity(ROCK);
    apply_gravity(DIAMOND);
    EXPECT_EQ(cave_rows(), paste(blank(), 8, 5, {"*o"}));
    EXPECT_EQ(sounds, (std::vector<SoundStart>{{1, SoundId::rock}, {1, SoundId::diamond}}));
}

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

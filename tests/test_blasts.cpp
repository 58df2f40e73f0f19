// Explosions: which cells a blast takes, the player flag, and the ageing of blast stages.
#include "sim/blasts.h"

#include "sim/game_state.h"
#include "tests/support/test_env.h"

using namespace test_env;
using Blasts = GameTest;

TEST_F(Blasts, OnlyWallsStandAndOnlyThePlayerCellRaisesTheFlag) {
    Rows cave = paste(blank(), 1, 1, {"._*oSEH@%abcd2x"});
    set_cave(cave);
    for (int x = 0; x <= 15; ++x)
        if (x != 7) blast_cell(x, 1, BLAST_7);
    EXPECT_EQ(game.blast_hit_player, 0) << "walls and START do not count";
    EXPECT_EQ(cave_rows()[1], "#777777H77777777........#");
    blast_cell(7, 1, DIAMOND);  // diamonds over the player cost the life too
    EXPECT_EQ(game.blast_hit_player, 1);
    EXPECT_EQ(cell_at(7, 1), DIAMOND);
}

TEST_F(Blasts, DecayAgesEachStageOnceInTheInteriorOnly) {
    Rows cave = paste(blank(false), 2, 3, {"76543210.o_"});
    paste(cave, 5, 19, {"5"});
    paste(cave, 0, 5, {"5"});
    paste(cave, 24, 5, {"5"});
    paste(cave, 23, 18, {"5"});
    set_cave(cave);
    decay_blasts();
    Rows want = paste(cave, 2, 3, {"65432.00.o_"});
    paste(want, 23, 18, {"4"});
    EXPECT_EQ(cave_rows(), want);
    EXPECT_EQ(game.column_cursor, 24) << "the shared cursor is left past column 23";
}

// The creature pass: growths under a scripted rand() sequence, the transformations, crushing,
// touching the player, and open caves. (Enemy moves, the column cursor they carry and the coin
// columns are pinned by the replays' digests: test_digests.cpp.)
#include <string>
#include <tuple>
#include <vector>
#include "platform/platform.h"
#include "sim/creatures.h"

#include "sim/game_state.h"
#include "tests/support/test_env.h"

using namespace test_env;

class Creatures : public SimTest {
protected:
    void pass(const Rows& cave) {
        set_cave(cave);
        update_creatures();
    }
};

// (An object falling onto an enemy is played by the cave solutions.)
TEST_F(Creatures, AnEnemyTurningUnderAnObjectBlowsUp) {
    Rows cave = blank();
    paste(cave, 8, 4, {"*", "d", "_"});  // blocked below with a diamond on top
    paste(cave, 14, 4, {"o", "d"});      // moves down from under it: survives
    pass(cave);
    Rows want = paste(Rows(cave), 7, 4, {"777", "777", "777"});
    paste(want, 14, 5, {".", "d"});
    EXPECT_EQ(cave_rows(), want);
    EXPECT_EQ(sounds, std::vector<SoundStart>(1, {2, SoundId::blast}));
}

TEST_F(Creatures, GrowthsTurnEnemiesIntoDiamondsOrBlasts) {
    Rows cave = blank();
    paste(cave, 1, 4, {"H", "a@"});   // magenta: diamonds, the player's cell included
    paste(cave, 5, 5, {"c", "%"});    // green: a blast
    paste(cave, 10, 5, {"d@", "%"});  // both: diamonds come first
    pass(cave);

    Rows want = blank();
    paste(want, 1, 4, {"**", "**", "**"});
    paste(want, 4, 4, {"777", "777", "777"});
    paste(want, 9, 4, {"***", "***", "***"});
    EXPECT_EQ(cave_rows(), want);
    EXPECT_EQ(game.blast_hit_player, 1);
    EXPECT_EQ(sounds, (std::vector<SoundStart>{{2, SoundId::collect}, {2, SoundId::blast}, {2, SoundId::collect}}));
}

// With every draw the same value v: columns up to 11 act on heads (v % 2 == 1), a magenta growth
// acts when v % 3 == 1, a green one when it is 2, and an acting growth spreads when v % 100 < 18.
// A growth in the bottom-right interior corner: the cells it spreads into were visited before it.
TEST_F(Creatures, GrowthActsOnItsTurnAndSpreadsOnALowDraw) {
    // growth, v, whether it acts (one more draw: the spread's), whether it spreads
    const std::tuple<char, int, bool, bool> cases[] = {{'@', 1, true, true},
                                                       {'%', 2, true, true},
                                                       {'@', 19, true, false},
                                                       {'@', 2, false, false},
                                                       {'%', 1, false, false}};
    for (auto [growth, v, acts, spreads] : cases) {
        roll = v;
        const int still = rand_draws([&] { pass(blank()); });
        const std::string g(1, growth);
        const Rows cave = paste(blank(), 22, 17, {" .", ("_" + g).c_str()});
        EXPECT_EQ(rand_draws([&] { pass(cave); }) - still, acts ? 1 : 0) << growth << v;
        EXPECT_EQ(cave_rows(), spreads ? paste(Rows(cave), 22, 17, {(" " + g).c_str(), (g + g).c_str()}) : cave);
    }
}

TEST_F(Creatures, SpreadAheadOfThePassSpreadsAgainInTheSamePass) {
    const Rows cave = paste(blank(), 21, 16, {" E.", "E@.", " E."});
    roll = 1;
    pass(cave);
    EXPECT_EQ(cave_rows(), paste(Rows(cave), 23, 16, {"@", "@", "@"}));
}

TEST_F(Creatures, TouchingGrowthsAnnihilateOnlyOnATurn) {
    const Rows cave = paste(blank(), 21, 16, {"  E", " E%", "E%@"});
    for (int v : {0, 1}) {
        roll = v;
        pass(cave);
        // The magenta's turn blasts itself and both green neighbours, silently.
        EXPECT_EQ(cave_rows(), v == 1 ? paste(Rows(cave), 22, 17, {" 7", "77"}) : cave);
    }
    EXPECT_TRUE(sounds.empty());
}

TEST_F(Creatures, OpenCaveEdgesReadAsWall) {
    Rows cave = blank(false);
    paste(cave, 0, 5, {".a", "  ", "a."});      // cursor to column 0; the one there turns back
    paste(cave, 23, 1, {"b.", "  ", " b"});     // cursor to column 24; the one there turns
    paste(cave, 5, 0, {".  ", "c_a_", "   "});  // into row 0; crush test reads above row 0
    paste(cave, 6, 18, {"d"});                  // into row 19
    pass(cave);

    Rows want = cave;
    paste(want, 0, 5, {"a.", "  ", ".b"});
    paste(want, 23, 1, {".b", "  ", " a"});
    paste(want, 5, 0, {"c", "."});
    paste(want, 6, 18, {".", "d"});
    EXPECT_EQ(cave_rows(), want);
}

TEST_F(Creatures, TouchCostsALifeAndThePassGoesOnFromColumnTwoOfTheNewCave) {
    Rows level = blank();
    paste(level, 10, 10, {"S"});
    paste(level, 1, 12, {"d"});  // column 1 is not visited again after the reload
    paste(level, 2, 3, {"d"});   // nor column 2 above the row of the touch
    paste(level, 2, 8, {"b"});   // but column 2 below it is
    paste(level, 6, 5, {"a"});   // the old cave's column waits for its own visit
    write_level(0, level);
    start(paste(blank(), 5, 5, {"Ea"}), 7, 5);
    game.lives = 3;
    update_creatures();

    EXPECT_EQ(cave_rows(), paste(paste(Rows(level), 2, 8, {".b"}), 5, 5, {"a."}));
    EXPECT_EQ(game.lives, 2);
    EXPECT_EQ(game.player_x, 10);
    EXPECT_EQ(sounds, (std::vector<SoundStart>{{2, SoundId::blast}}));

    // Diagonal contact, or moving next to the player, does not kill in that visit.
    start(paste(blank(), 6, 6, {"a"}), 5, 5);
    set_cave(paste(cave_rows(), 8, 5, {"a"}));
    update_creatures();
    EXPECT_EQ(game.lives, 2);
    EXPECT_EQ(cell_at(5, 6), ENEMY_LEFT);
    EXPECT_EQ(cell_at(7, 5), ENEMY_LEFT);
}

// Losing a life: the three entry states, the death animation on the virtual clock, the restart
// of the cave and the game-over screen.
#include "sim/lose_life.h"

#include "sim/presentation.h"
#include "sim/sim_step.h"
#include "tests/support/test_env.h"

using namespace test_env;

constexpr std::uint64_t ANIMATION_MS = 9 * 33;
constexpr std::uint64_t GAME_OVER_MS = 2299;

bool grey(std::uint32_t c) { return ((c >> 16) & 0xFF) == (c & 0xFF) && ((c >> 8) & 0xFF) == (c & 0xFF); }

std::vector<FrameKind> shown(std::size_t deaths, std::size_t game_overs) {
    std::vector<FrameKind> kinds(deaths, FrameKind::death);
    kinds.insert(kinds.end(), game_overs, FrameKind::game_over);
    return kinds;
}

class LoseLife : public SimTest {
protected:
    const Rows level = paste(blank(), 4, 4, {"S", " ", "  *"});
    void SetUp() override {
        SimTest::SetUp();
        write_level(0, level);
    }
};

TEST_F(LoseLife, WithLivesLeftTheCaveRestarts) {
    start(blank(), 10, 10);
    game.lives = 3, game.key_down = 1, game.score = 12;
    now_ms = 5000;
    lose_life();
    EXPECT_EQ(std::tuple(game.lives, game.on_title, game.blast_hit_player, game.key_down, game.score),
              std::tuple(2, 0, 0, 0, 12));
    EXPECT_EQ(cave_rows(), level);
    EXPECT_EQ(std::pair(game.player_x, game.player_y), std::pair(4, 4));
    EXPECT_EQ(game.cave_start_time, static_cast<std::int32_t>(5000 + ANIMATION_MS));
    EXPECT_EQ(sounds, (std::vector<SoundStart>{{2, SoundId::blast}}));
    EXPECT_EQ(slept_ms, ANIMATION_MS);
    EXPECT_EQ(frames, shown(9, 0));
}

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

// At every death frame: the grid, and whether cell (1, 1) was drawn as a fresh blast (only
// BLAST_7 sparks carry into the top byte of a pixel).
std::vector<Rows> shown_grids;
std::vector<bool> fresh_blast_drawn;

TEST_F(LoseLife, AnimationDrawsBeforeItAgesTheBlasts) {
    on_frame = [](FrameKind) {
        shown_grids.push_back(cave_rows());
        bool fresh = false;
        for (int y = 32; y < 64; ++y)
            for (int x = 32; x < 64; ++x) fresh = fresh || (scr(x, y) >> 24) != 0;
        fresh_blast_drawn.push_back(fresh);
    };
    start(paste(blank(), 15, 15, {"4"}), 1, 1);  // in the corner: the walls around it stay
    game.lives = 2;
    lose_life();

    ASSERT_EQ(shown_grids.size(), 9u);
    const std::string stages = "65432....";  // each frame is shown after its decay pass
    for (std::size_t f = 0; f < 9; ++f) {
        const Rows& g = shown_grids[f];
        const std::string s(2, stages[f]);
        EXPECT_EQ(g[0].substr(0, 3) + g[1].substr(0, 3) + g[2].substr(0, 3), "####" + s + "#" + s) << f;
    }
    EXPECT_EQ(fresh_blast_drawn, std::vector<bool>({true, false, false, false, false, false, false, false, false}));
    EXPECT_EQ(shown_grids[0][15][15], '3') << "blasts elsewhere age along";
}

TEST_F(LoseLife, LastLifeEndsWithTheGameOverScreen) {
    start(blank(), 10, 10);
    game.lives = 1;
    lose_life();
    EXPECT_EQ(std::pair(game.lives, game.on_title), std::pair(0, 1));
    EXPECT_EQ(cave_rows(), level);
    EXPECT_EQ(slept_ms, ANIMATION_MS + GAME_OVER_MS);
    EXPECT_EQ(frames, shown(9, 1));
    for (int y : {180, 181, 320, 321})
        for (int x = 1; x <= 798; ++x) ASSERT_EQ(scr(x, y), 0xFFFFFFu) << x << "," << y;
    for (int y : {185, 230, 300, 316})
        for (int x : {2, 100, 700, 796}) EXPECT_TRUE(grey(scr(x, y))) << x << "," << y;
    // The text glows orange from x = 315..324 on row 250; left of it the band stays grey.
    int coloured = 0;
    for (int y = 250; y < 266; ++y) {
        for (int x = 2; x < 315; ++x) ASSERT_TRUE(grey(scr(x, y))) << x << "," << y;
        for (int x = 315; x < 700; ++x) coloured += ((scr(x, y) >> 16) & 0xFF) > (scr(x, y) & 0xFF) ? 1 : 0;
    }
    EXPECT_GT(coloured, 100);
}

TEST_F(LoseLife, WithNoLivesOnlyTheGameOverScreenIsShown) {
    start(paste(blank(), 11, 10, {"7"}), 10, 10);
    const Rows before = cave_rows();
    lose_life();
    EXPECT_EQ(std::pair(game.lives, game.on_title), std::pair(0, 1));
    EXPECT_EQ(cave_rows(), before) << "no blast, no decay, no reload";
    EXPECT_TRUE(sounds.empty());
    EXPECT_EQ(slept_ms, GAME_OVER_MS);
    EXPECT_EQ(frames, shown(0, 1));
}

TEST_F(LoseLife, ASecondDeathInTheStepOfTheLastShowsGameOverAgain) {
    write_level(0, paste(Rows(level), 4, 2, {"o"}));  // a rock hangs over the start cell
    start(paste(blank(), 5, 5, {"a", "%"}), 4, 4);    // the enemy's blast reaches the player
    game.lives = 1;
    EXPECT_FALSE(sim_step());
    EXPECT_EQ(std::pair(game.lives, game.on_title), std::pair(0, 1));
    EXPECT_EQ(slept_ms, ANIMATION_MS + 2 * GAME_OVER_MS);
    EXPECT_EQ(frames, shown(9, 2));
    EXPECT_EQ(cell_at(4, 2), EMPTY) << "the crushing rock vanished";
}

// The solver's model of the game (tools/solver/frame_model.h) against the game itself: the
// loader's reading of a cave, the drawing's rand() draws frame by frame, and every shipped
// solution, which wins in the real game (test_solutions), winning in the model too.
#include "tests/support/test_env.h"

#include "platform/platform.h"
#include "render/cave_draw.h"
#include "render/scenes.h"
#include "sim/cave_loader.h"
#include "sim/game_state.h"
#include "sim/presentation.h"
#include "sim/sim_step.h"
#include "tools/solution/moves.h"
#include "tools/solver/frame_model.h"
#include "tools/solver/search.h"
#include "tools/solver/verify.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ios>
#include <string>
#include <vector>

using namespace test_env;

namespace {

constexpr int CAVES = 20;
const fs::path DATA = fs::path(KROMBLIX_SOURCE_DIR) / "data";

std::string cave_text(int n) { return slurp(DATA / ("level" + std::to_string(n) + ".txt")); }

solution::Moves solution_of(int n) {
    return solution::parse_moves(slurp(DATA / "solutions" / ("level" + std::to_string(n) + ".moves"))).moves;
}

// The record after each frame of cave n's solution in the model, on the shipped replay's sequence.
std::vector<GameState> model_frames(int n) {
    const PlatformHooks saved = platform_hooks();
    solver::use_frame_model_hooks();
    const std::string cave = cave_text(n);
    solver::Play play{solver::state_after_load(cave), solver::draws_at_start(solver::space_tick(0))};
    std::vector<GameState> states;
    for (const char move : solution_of(n)) {
        solver::play_frame(play, move);
        states.push_back(play.state);
    }
    set_platform_hooks(saved);
    set_presentation(screen_presentation());
    return states;
}

}  // namespace

class SolverModel : public GameTest {};

// Each shipped cave and some odd files, read by the game's loader and by the model.
TEST_F(SolverModel, ReadsACaveAsTheLoaderDoes) {
    ScratchDir dir;
    std::vector<std::string> texts;
    for (int n = 0; n < CAVES; ++n) texts.push_back(cave_text(n));
    texts.push_back("");                                       // no cells: the player stays at (0, 0)
    texts.push_back("#S*\r\n\t*\x01 *S");                      // short, layout bytes, two starts
    texts.push_back(std::string(600, '*') + "S");              // too long: the start is never read
    for (const std::string& text : texts) {
        std::ofstream(dir.path / "level0.txt", std::ios::binary) << text;
        game = GameState{};
        load_cave();
        const GameState model = solver::state_after_load(text);
        EXPECT_EQ(game.cave, model.cave);
        EXPECT_EQ(game.diamonds_left, model.diamonds_left);
        EXPECT_EQ(game.column_cursor, model.column_cursor);
        EXPECT_EQ(game.player_x * 100 + game.player_y, model.player_x * 100 + model.player_y);
        EXPECT_EQ(game.prev_x * 100 + game.prev_y, model.prev_x * 100 + model.prev_y);
    }
}

// draw_cave's draws counted by drawing, against the model's count from the grid, on every frame of
// the solutions with growths, blasts, enemies and the out-of-time banner (frames past 100).
TEST_F(SolverModel, CountsTheDrawingsDrawsFrameByFrame) {
    int banners = 0;
    for (const int n : {10, 13, 18, 19}) {
        const std::vector<GameState> states = model_frames(n);
        for (std::size_t k = 0; k < states.size(); ++k) {
            game = states[k];
            game.cave_start_time = 0;
            game.frame_clock = static_cast<std::int32_t>(STEP_MS * k);
            const int drawn = rand_draws([] { draw_cave(); });
            ASSERT_EQ(drawn, solver::drawing_draws(states[k], static_cast<int>(k))) << "cave " << n << ", frame " << k;
            banners += cave_seconds_left() < 1 ? 1 : 0;
        }
    }
    EXPECT_GT(banners, 0);
}

// The shipped solutions win in the real game with SPACE at tick 1000 (test_solutions): on that
// sequence they must win in the model, pushes and growths included, and lose no life on the way.
TEST_F(SolverModel, EveryShippedSolutionWinsInTheModel) {
    for (int n = 0; n < CAVES; ++n) EXPECT_TRUE(solver::wins_in_model(cave_text(n), solution_of(n), 0)) << "cave " << n;
    // A route cut short wins nothing.
    solution::Moves cut = solution_of(3);
    cut.pop_back();
    EXPECT_FALSE(solver::wins_in_model(cave_text(3), cut, 0));
}

// The runner's record: a cave is won at a cave-complete frame with no death frame before it.
TEST(SolverRecord, AWinIsACaveCompleteFrameBeforeAnyDeath) {
    EXPECT_TRUE(solver::record_shows_win("frame 1 title\ntick 1\n\nframe 2 game\n\nframe 3 congrats\n"));
    EXPECT_FALSE(solver::record_shows_win("frame 1 title\n\nframe 2 death\n\nframe 3 congrats\n"));
    EXPECT_FALSE(solver::record_shows_win("frame 1 game\ngrid\nframe 9 congrats in a row\n"));
    EXPECT_FALSE(solver::record_shows_win(""));
}

// The game loads caves by number from its cave directory, so a cave the editor plays (test-play,
// watching a route) is written as level0.txt into a directory of its own, with no level1.txt: a
// won cave goes back to itself.
#pragma once

#include "sim/cave_loader.h"
#include "sim/game_state.h"

#include <array>

namespace editor {

struct TestDirectory {
    std::array<char, CAVE_DIR_MAX + 1> path{};       // the directory made for the play
    std::array<char, CAVE_DIR_MAX + 1> old_caves{};  // where the game read caves before
};

// Makes the directory with the cave in it and has the game read its caves there; false when not.
bool enter_test_directory(TestDirectory& test, const CaveMap& cave);
// Between the play's last game frame and the editor's next picture: allocates nothing, as a
// game frame does not.
void leave_test_directory(const TestDirectory& test);

}  // namespace editor

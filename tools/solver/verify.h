// The proof's second half: a route found in the model is played through the real game, the
// replay runner's way (kromblix-replay), once per random sequence.
#pragma once

#include "tools/solution/moves.h"

#include <string>
#include <string_view>
#include <vector>

namespace solver {

// The replay of a route on sequence i: SPACE on that sequence's title frame, then the keys.
std::string route_replay(const solution::Moves& moves, int sequence, std::string_view header = {});

// Whether a frame record shows the cave finished: a cave-complete frame before any death frame.
bool record_shows_win(std::string_view record);

struct Verification {
    std::vector<bool> won;  // per sequence
    int won_count = 0;
    std::string error;      // set when the runs could not be made at all
};

// Plays the route on sequences 0 .. sequences-1 with `runner` (kromblix-replay) in a scratch
// directory holding the game's data files from data_dir and the cave as level0.txt.
Verification verify_route(std::string_view cave_bytes, const solution::Moves& moves, int sequences,
                          const std::string& data_dir, const std::string& runner);

}  // namespace solver

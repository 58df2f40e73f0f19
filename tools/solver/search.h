// The solver's search: a route of key presses that wins a cave on several random sequences at
// once. Each sequence is the game started by SPACE on a different title frame, so it draws its
// own rolls; the search plays all of them in lockstep with the same keys (tools/solver/frame_model.h)
// and keeps the routes that lose none of them.
#pragma once

#include "tools/solution/moves.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace solver {

constexpr int PROOF_SEQUENCES = 16;

// The tick of the SPACE that starts sequence i (0 is kromblix-solution's own replay).
unsigned space_tick(int sequence);

struct SolveOptions {
    double seconds = 120;               // give up after this long
    int sequences = PROOF_SEQUENCES;    // 1 .. PROOF_SEQUENCES
    int beam = 0;                       // routes kept per frame; 0 chooses from the cave
    int max_frames = 6000;              // the longest route tried (10 minutes of play)
    std::size_t memory_limit = 1u << 30;  // bytes the search may hold in routes and states
};

struct Progress {
    int frame = 0;           // route length reached
    long long routes = 0;    // routes tried so far
    double seconds = 0;
    int best_won = 0;        // sequences won by the best route so far
};

struct SolveResult {
    solution::Moves moves;     // the route found (the best one when none wins every sequence)
    std::vector<bool> won;     // per sequence: the route wins it in the model
    int won_count = 0;
    bool cancelled = false;
    bool timed_out = false;
    double seconds = 0;
    long long routes = 0;
    std::size_t peak_bytes = 0;  // the search's largest holding of states and routes
};

// Searches a route for the cave in `cave_bytes` (which should pass the cave checker). Calls
// `progress`, when given, about every tenth of a second from the searching thread; a true
// `cancel` stops the search soon, with the best route found so far.
SolveResult solve(std::string_view cave_bytes, const SolveOptions& options,
                  const std::function<void(const Progress&)>& progress = {},
                  const std::atomic<bool>* cancel = nullptr);

// Replays `moves` in the model on sequence i and tells whether it wins the cave.
bool wins_in_model(std::string_view cave_bytes, const solution::Moves& moves, int sequence);

}  // namespace solver

// Random caves for the solver's strength figure: caves it has never seen, the same for a seed on
// every machine (the game's own glibc sequence, seeded).
#pragma once

#include <string>

namespace solver {

// A cave of 20 lines of 25 cells that passes the cave checker: a wall ring, dirt with scattered
// rocks, diamonds, empty pockets, wall stubs, a few enemies in pockets of their own, one start.
std::string make_cave(unsigned seed);

}  // namespace solver

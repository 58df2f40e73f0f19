// Cave solutions as move strings, and their translation into replays for kromblix-replay.
//
// A move string holds one letter per 100 ms simulation step: U, D, L or R for the arrow key held
// in that step, '.' for no key. A letter may be followed by a count ("R12" is twelve steps right).
// Blanks and line ends are free; ';' starts a comment that runs to the end of the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace solution {

// One step: 'U', 'D', 'L', 'R' or '.'.
using Moves = std::vector<char>;

struct ParsedMoves {
    Moves moves;
    std::string error;  // "line N: ..." when the text is not a move string; empty otherwise
};

ParsedMoves parse_moves(std::string_view text);

// Checks what a cave's solution must look like to be chained with others: it starts with two
// waits (the first frame of a cave reached by finishing the previous one runs two steps, with the
// keys of the frame before cleared by the cave load), and has at least one step after them.
// Empty when it is fine.
std::string check_solution(const Moves& moves);

// The tick of the key press that starts a game from the title screen.
constexpr unsigned TITLE_SPACE_TICK = 1000;
// How long after the last step the replay closes the window.
constexpr unsigned CLOSE_AFTER_MS = 500;

// The virtual tick at which each step of each cave runs, when the caves are played one after
// another from the title screen: the first started by SPACE, each next one loaded by the step that
// takes the previous cave's last diamond, which is always that cave's last move.
// A SPACE at another tick (space_tick) shifts every step alike.
std::vector<std::vector<unsigned>> step_ticks(const std::vector<Moves>& caves, unsigned space_tick = TITLE_SPACE_TICK);

// The replay text: SPACE on the title screen, then the arrow key presses and releases that give
// each step its key, then a window close. Every key event comes 50 ms before its step. SPACE is
// pressed at space_tick (the same game started on another title frame draws other rolls).
std::string build_replay(const std::vector<Moves>& caves, std::string_view header = {},
                         unsigned space_tick = TITLE_SPACE_TICK);

}  // namespace solution

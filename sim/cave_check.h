// The cave checker: reads a cave file the way the game's loader does and reports what would make
// it unsound to play: a broken wall ring, other than one start, other than 500 cells, and codes
// that no rule knows. Each finding carries the line and column of the file where it stands.
// Pure: it reads only the bytes it is given, so the game, the editor and the tools share it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cavecheck {

enum class Severity { error, warning };

struct Finding {
    Severity severity;
    int line;    // 1-based line of the file; 0 when the finding has no place in the file
    int column;  // 1-based byte column in that line; 0 likewise
    std::string message;
};

struct Report {
    std::vector<Finding> findings;  // in file order, then whole-cave findings
    int cells = 0;                  // cells the loader would keep (bytes above 0x20), capped at 500
    int diamonds = 0;               // DIAMOND cells among the kept cells
    int starts = 0;
    bool sound = true;  // no finding of severity error
};

// Checks the raw bytes of one cave file.
Report check_cave(std::string_view bytes);

// "NAME:LINE:COL: error: message" lines, then one summary line with the diamond count.
std::string format_report(std::string_view name, const Report& report);

}  // namespace cavecheck

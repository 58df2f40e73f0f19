// kromblix-makecave: writes random caves for the solver's strength figure.
//
//   kromblix-makecave FIRST_SEED COUNT DIR
//
// writes DIR/random<SEED>.txt for COUNT seeds from FIRST_SEED (tools/solver/cave_maker.h); every
// cave passes the cave checker. HACKING.md ("The solver's strength") names the seeds of the figure.
#include "sim/cave_check.h"
#include "tools/solver/cave_maker.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>

namespace {

bool number(std::string_view text, unsigned& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc{} && end == text.data() + text.size();
}

}  // namespace

int main(int argc, char** argv) {
    unsigned first = 0, count = 0;
    if (argc != 4 || !number(argv[1], first) || !number(argv[2], count) || count > 10000) {
        std::fputs("usage: kromblix-makecave FIRST_SEED COUNT DIR\n", stderr);
        return 2;
    }
    for (unsigned seed = first; seed < first + count; ++seed) {
        const std::string cave = solver::make_cave(seed);
        if (!cavecheck::check_cave(cave).sound) {
            std::fprintf(stderr, "kromblix-makecave: seed %u made a broken cave\n", seed);
            return 1;
        }
        const std::string path = std::string(argv[3]) + "/random" + std::to_string(seed) + ".txt";
        std::FILE* out = std::fopen(path.c_str(), "w");
        if (!out || std::fputs(cave.c_str(), out) < 0 || std::fclose(out) != 0) {
            std::fprintf(stderr, "kromblix-makecave: cannot write %s\n", path.c_str());
            return 2;
        }
    }
    return 0;
}

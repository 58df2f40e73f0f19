// kromblix-solution: turns cave solutions (move strings) into a replay for kromblix-replay.
//
//   kromblix-solution [-o REPLAY] MOVES...
//
// The replay starts a game from the title screen and plays the given solutions one after another,
// each from the cave load that the previous one's last diamond brings about; it ends with a window
// close half a second after the last step. docs/caves.md describes the move strings.
#include "tools/common/tool_io.h"
#include "tools/solution/moves.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

int main(int argc, char** argv) {
    std::string out_path;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o" && i + 1 < argc) {
            out_path = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            std::fputs("usage: kromblix-solution [-o REPLAY] MOVES...\n", stderr);
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::fputs("usage: kromblix-solution [-o REPLAY] MOVES...\n", stderr);
        return 2;
    }
    std::vector<solution::Moves> caves;
    std::string header = "# Made by kromblix-solution from";
    for (const std::string& name : files) {
        std::string text, error;
        if (!tool_io::read_file(name, text, error)) {
            std::fprintf(stderr, "kromblix-solution: %s\n", error.c_str());
            return 2;
        }
        solution::ParsedMoves parsed = solution::parse_moves(text);
        if (parsed.error.empty()) parsed.error = solution::check_solution(parsed.moves);
        if (!parsed.error.empty()) {
            std::fprintf(stderr, "%s: %s\n", name.c_str(), parsed.error.c_str());
            return 1;
        }
        caves.push_back(std::move(parsed.moves));
        const auto slash = name.find_last_of('/');
        header += ' ';
        header += slash == std::string::npos ? name : name.substr(slash + 1);
    }
    header += ".\n";
    const std::string replay = solution::build_replay(caves, header);
    std::FILE* out = out_path.empty() ? stdout : std::fopen(out_path.c_str(), "wb");
    std::string error;
    if (out) std::fputs(replay.c_str(), out);
    if (!out || !tool_io::finish_output(out, error)) {
        std::fprintf(stderr, "kromblix-solution: cannot write the replay to %s: %s\n",
                     out_path.empty() ? "standard output" : out_path.c_str(), out ? error.c_str() : std::strerror(errno));
        return 2;
    }
    return 0;
}

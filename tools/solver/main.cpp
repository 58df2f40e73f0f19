// kromblix-solve: searches a route of key presses that wins a cave whatever the random rolls, and
// proves it by playing the route through the real game on 16 random sequences.
//
//   kromblix-solve CAVE [-o OUT] [--seconds N] [--data DIR] [--mark] [--progress]
//
// Writes OUT.moves (a solution as data/solutions holds them) and OUT.replay; OUT defaults to the
// cave file's name without ".txt", in the current directory. README ("Is my cave winnable?")
// tells what the answers mean; HACKING.md how the search works.
#include "sim/cave_check.h"
#include "sim/cave_marks.h"
#include "tools/common/tool_io.h"
#include "tools/solution/moves.h"
#include "tools/solver/search.h"
#include "tools/solver/verify.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#ifndef KROMBLIX_RUN_DIR
#define KROMBLIX_RUN_DIR "."
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* USAGE =
    "usage: kromblix-solve CAVE [-o OUT] [--seconds N] [--data DIR] [--mark] [--progress]\n"
    "Searches a route that wins CAVE, played as the first cave of a game, on 16 random sequences,\n"
    "and proves it by playing it through the real game (kromblix-replay) on each of them.\n"
    "  -o OUT         write the route to OUT.moves and OUT.replay (default: the cave's name)\n"
    "  --seconds N    search for at most N seconds (default 120)\n"
    "  --data DIR     the game's data files for the proof (default: $KROMBLIX_DATA, else the build's)\n"
    "  --mark         record the answer in proven.txt beside CAVE, which the title reads: a proof\n"
    "                 marks the cave (tied to its bytes), anything less takes its mark away\n"
    "  --progress     print \"progress SECONDS LENGTH ROUTES BEST_WON\" lines while searching\n"
    "Exit status: 0 winnable on 16 of 16 sequences, 1 less than that, 2 a broken cave or command line.\n";
constexpr std::size_t MAX_CAVE_BYTES = 1 << 20;

[[noreturn]] void usage_error(const std::string& message) {
    std::fprintf(stderr, "kromblix-solve: %s\n%s", message.c_str(), USAGE);
    std::exit(2);
}

struct Options {
    std::string cave;
    std::string out;
    double seconds = 120;
    std::string data;
    bool mark = false;
    bool progress = false;
};

Options parse_options(int argc, char** argv) {
    Options o;
    bool has_cave = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::string_view {
            if (i + 1 >= argc) usage_error(std::string(arg) + " needs a value");
            return argv[++i];
        };
        if (arg == "-h" || arg == "--help") {
            std::fputs(USAGE, stdout);
            std::exit(0);
        } else if (arg == "-o") {
            o.out = value();
        } else if (arg == "--seconds") {
            const std::string_view v = value();
            int n = 0;
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
            if (ec != std::errc{} || end != v.data() + v.size() || n < 1 || n > 86400)
                usage_error("--seconds takes a whole number from 1 to 86400, not \"" + tool_io::shown_word(v) + "\"");
            o.seconds = n;
        } else if (arg == "--data") {
            o.data = value();
        } else if (arg == "--mark") {
            o.mark = true;
        } else if (arg == "--progress") {
            o.progress = true;
        } else if (!arg.empty() && arg[0] == '-') {
            usage_error("unknown option " + tool_io::shown_word(arg));
        } else if (has_cave) {
            usage_error("one cave at a time");
        } else {
            o.cave = arg;
            has_cave = true;
        }
    }
    if (!has_cave) usage_error("no cave given");
    if (o.out.empty()) o.out = fs::path(o.cave).stem().string();
    if (o.out.ends_with(".moves")) o.out.resize(o.out.size() - 6);
    if (o.data.empty()) {
        const char* env = std::getenv("KROMBLIX_DATA");
        o.data = env && *env ? env : KROMBLIX_RUN_DIR;
    }
    return o;
}

bool write_file(const std::string& path, const std::string& text) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::string error;
    if (out) std::fputs(text.c_str(), out);
    if (!out || !tool_io::finish_output(out, error)) {
        std::fprintf(stderr, "kromblix-solve: cannot write \"%s\": %s\n", path.c_str(),
                     out ? error.c_str() : std::strerror(errno));
        return false;
    }
    return true;
}

// The moves as a move string: runs of one key as a letter and a count, twenty runs a line.
std::string moves_text(const solution::Moves& moves, const std::string& cave) {
    std::string text = "; found by kromblix-solve for " + fs::path(cave).filename().string() + "\n";
    int runs = 0;
    for (std::size_t i = 0; i < moves.size();) {
        std::size_t j = i;
        while (j < moves.size() && moves[j] == moves[i]) ++j;
        text += moves[i];
        if (j - i > 1) text += std::to_string(j - i);
        text += ++runs % 20 == 0 ? '\n' : ' ';
        i = j;
    }
    if (text.back() == ' ') text.back() = '\n';
    return text;
}

std::string runner_path() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return (ec ? fs::path("kromblix-replay") : exe.parent_path() / "kromblix-replay").string();
}

// Puts the cave's mark into proven.txt beside it, or takes it out; the file is replaced whole
// (written beside it and renamed over it). Failures are told, and the answer stands.
void mark_cave(const std::string& cave, const std::string& bytes, bool proven) {
    const fs::path marks = fs::path(cave).parent_path() / cave_marks::FILE_NAME;
    const std::string name = fs::path(cave).filename().string();
    std::string old, error;
    std::error_code ec;
    if (fs::exists(marks, ec)) {
        if (!tool_io::read_file(marks.string(), old, error) || old.size() > cave_marks::MAX_FILE) {
            std::fprintf(stderr, "kromblix-solve: %s is not a marks file this tool wrote (%s); it is left as it is\n",
                         tool_io::shown_word(marks.string()).c_str(),
                         error.empty() ? "too large" : error.c_str());
            return;
        }
    } else if (!proven) {
        return;
    }
    const fs::path temporary = marks.string() + ".new";
    if (!write_file(temporary.string(), cave_marks::with_mark(old, name, bytes, proven))) return;
    fs::rename(temporary, marks, ec);
    if (ec) {
        std::fprintf(stderr, "kromblix-solve: cannot replace %s: %s\n", tool_io::shown_word(marks.string()).c_str(),
                     ec.message().c_str());
        fs::remove(temporary, ec);
        return;
    }
    std::printf("%s %s in %s\n", proven ? "marked" : "no mark for", name.c_str(), marks.c_str());
}

long peak_rss_kb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse_options(argc, argv);

    std::string bytes, error;
    if (!tool_io::read_file(options.cave, bytes, error)) {
        std::fprintf(stderr, "kromblix-solve: %s\n", error.c_str());
        return 2;
    }
    if (bytes.size() > MAX_CAVE_BYTES) {
        std::fprintf(stderr, "kromblix-solve: %s: not a cave: %zu bytes (a cave is 20 lines of 25 cells)\n",
                     tool_io::shown_word(options.cave).c_str(), bytes.size());
        return 2;
    }
    const cavecheck::Report report = cavecheck::check_cave(bytes);
    if (!report.sound) {
        std::fputs(cavecheck::format_report(tool_io::shown_word(options.cave), report).c_str(), stderr);
        std::fprintf(stderr, "kromblix-solve: the cave is broken; mend it first\n");
        return 2;
    }

    const bool tty = isatty(STDERR_FILENO) != 0;
    auto progress = [&](const solver::Progress& p) {
        if (options.progress) {
            std::printf("progress %.0f %d %lld %d\n", p.seconds, p.frame, p.routes, p.best_won);
            std::fflush(stdout);
        } else if (tty) {
            std::fprintf(stderr, "\rsearching: %4.0f s, route length %d, %lld routes tried, best wins %d  ", p.seconds,
                         p.frame, p.routes, p.best_won);
        }
    };
    solver::SolveOptions solve_options;
    solve_options.seconds = options.seconds;
    const solver::SolveResult found = solver::solve(bytes, solve_options, progress);
    if (tty && !options.progress) std::fputs("\r\033[K", stderr);

    const int sequences = solver::PROOF_SEQUENCES;
    // The answer is always the last line; a mark asked for is written before it.
    auto answer = [&](int status, const std::string& line) {
        if (options.mark) mark_cave(options.cave, bytes, status == 0);
        std::printf("%s\n", line.c_str());
        return status;
    };
    char line[512];
    if (found.moves.empty() || found.won_count == 0) {
        std::printf("search: %.1f s, %lld routes, peak memory %ld MB\n", found.seconds, found.routes, peak_rss_kb() / 1024);
        std::snprintf(line, sizeof line, "no route found in %.0f s", found.seconds);
        return answer(1, line);
    }
    const std::string moves_path = options.out + ".moves", replay_path = options.out + ".replay";
    const std::string header = "# Made by kromblix-solve from " + fs::path(options.cave).filename().string() + ".\n";
    if (!write_file(moves_path, moves_text(found.moves, options.cave)) ||
        !write_file(replay_path, solver::route_replay(found.moves, 0, header)))
        return 2;

    // The real game has the last word on every sequence.
    const solver::Verification v = solver::verify_route(bytes, found.moves, sequences, options.data, runner_path());
    if (!v.error.empty()) {
        std::fprintf(stderr, "kromblix-solve: cannot play the route through the game: %s\n", v.error.c_str());
        std::snprintf(line, sizeof line,
                      "won on %d of %d sequences in the search (not played through the game), route of %zu steps",
                      found.won_count, sequences, found.moves.size());
        return answer(1, line);
    }
    std::printf("search: %.1f s, %lld routes, peak memory %ld MB\n", found.seconds, found.routes, peak_rss_kb() / 1024);
    if (v.won_count == sequences) {
        std::snprintf(line, sizeof line, "winnable on %d of %d sequences: a route of %zu steps in %s and %s", sequences,
                      sequences, found.moves.size(), moves_path.c_str(), replay_path.c_str());
        return answer(0, line);
    }
    if (v.won_count == 0) {
        std::snprintf(line, sizeof line, "no route found in %.0f s", found.seconds);
        return answer(1, line);
    }
    std::snprintf(line, sizeof line, "won on %d of %d sequences: the best route found, %zu steps, in %s and %s",
                  v.won_count, sequences, found.moves.size(), moves_path.c_str(), replay_path.c_str());
    return answer(1, line);
}

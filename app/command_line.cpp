#include "app/command_line.h"

#include "platform/window_scale.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include <unistd.h>

#ifndef KROMBLIX_DATA_FROM_BINARY
#define KROMBLIX_DATA_FROM_BINARY "../share/games/kromblix"
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* USAGE =
    "Usage: kromblix [--help | --version | --scale N] [--caves DIR | --edit FILE | --watch REPLAY]\n"
    "  --scale N       open the window N times as large (1 to 4; default: the largest that fits)\n"
    "  --caves DIR     play the caves in DIR (level0.txt, level1.txt, ..., and name.txt)\n"
    "  --edit FILE     edit the cave FILE (a new cave when it does not exist) in the cave editor\n"
    "  --watch REPLAY  play a replay in the window in real time (P pause, F four times as fast, ESC leave)\n";

constexpr const char* HELP =
    "\n"
    "KROMBLIX, a cave digging game: take every diamond of a cave to go on to the next one,\n"
    "and keep clear of falling rocks, enemies, growths and blasts.\n"
    "\n"
    "Keys on the title screen:\n"
    "  SPACE        start a new game\n"
    "  LEFT, RIGHT  choose the cave it starts from: the first or any cave reached\n"
    "  UP, DOWN     choose the set of caves\n"
    "  ESC          quit\n"
    "Keys in a cave:\n"
    "  arrows       dig, walk, push rocks, take diamonds\n"
    "  ESC          give up the cave (costs a life)\n"
    "  1, 2, 3      restart the 'Cirrane', 'Kobalt Run' or 'Ferro' theme\n"
    "  P            pause and resume (losing the window's focus pauses too)\n"
    "Anywhere:\n"
    "  M            mute and unmute music and sounds\n"
    "  -, =         music quieter, louder\n"
    "  F11, Alt+Enter  fullscreen on and off\n"
    "A gamepad's hat or first stick acts as the arrows, its first button as SPACE, its second as ESC.\n"
    "Keys in the cave editor (--edit FILE; the mouse paints, picks and chooses too):\n"
    "  arrows, SPACE   move the cursor, use the tool there\n"
    "  D, F, R, B      tool: draw, fill a region, rectangle, filled box\n"
    "  PAGE UP, DOWN   choose the kind of cell\n"
    "  Z, Y            undo, redo\n"
    "  S, T, ESC       save, test-play (ESC comes back), leave\n"
    "\n"
    "Environment:\n"
    "  KROMBLIX_DATA    the directory of the game's data files\n"
    "  KROMBLIX_RECORD  a file to record the session into, as a replay\n"
    "  XDG_DATA_HOME    the best scores are kept in $XDG_DATA_HOME/kromblix/scores\n"
    "                   (default ~/.local/share/kromblix/scores), the caves reached in\n"
    "                   .../kromblix/progress, and the player's own sets of caves are\n"
    "                   played from .../kromblix/caves/<id>/\n";

// A directory holds the game's data when it has the first music theme and the first cave.
bool holds_data(const fs::path& dir) {
    std::error_code ec;
    return fs::is_regular_file(dir / "1.m", ec) && fs::is_regular_file(dir / "level0.txt", ec);
}

std::string edit_path;
std::string caves_dir;
bool caves_dir_read = false;
std::string watched;

}  // namespace

const std::string& caves_option() { return caves_dir; }
const std::string& watched_replay() { return watched; }

int handle_command_line(int argc, char** argv, int& scale) {
    scale = 0;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(USAGE, stdout);
        std::fputs(HELP, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("kromblix " KROMBLIX_VERSION);
        return 0;
    }
    std::string caves;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        const std::string_view arg = option;
        const char* value = nullptr;
        if (arg == "--edit" || arg.starts_with("--edit=")) {
            const char* file = arg == "--edit" ? (i + 1 < argc ? argv[++i] : nullptr) : option + 7;
            if (!file || !*file) {
                std::fprintf(stderr, "kromblix: --edit needs a cave file\n%s", USAGE);
                return 2;
            }
            // Read before the game changes into its data directory, and kept from then on.
            if (edit_path.empty()) {
                std::error_code ec;
                const fs::path absolute = fs::absolute(file, ec);
                edit_path = ec ? file : absolute.string();
            }
            continue;
        }
        if ((arg == "--caves" && i + 1 < argc) || arg.starts_with("--caves=")) {
            caves = arg == "--caves" ? argv[++i] : argv[i] + 8;
            if (caves.empty()) {
                std::fprintf(stderr, "kromblix: --caves needs a directory\n%s", USAGE);
                return 2;
            }
            continue;
        }
        if (arg == "--caves") {
            std::fprintf(stderr, "kromblix: --caves needs a directory\n%s", USAGE);
            return 2;
        }
        if (arg == "--watch" || arg.starts_with("--watch=")) {
            const char* file = arg == "--watch" ? (i + 1 < argc ? argv[++i] : nullptr) : option + 8;
            if (!file || !*file) {
                std::fprintf(stderr, "kromblix: --watch needs a replay file\n%s", USAGE);
                return 2;
            }
            std::error_code ec;
            if (watched.empty()) watched = fs::absolute(file, ec).string();
            continue;
        }
        if (arg == "--scale" && i + 1 < argc)
            value = argv[++i];
        else if (arg.starts_with("--scale="))
            value = argv[i] + 8;
        else if (arg != "--scale") {
            std::fprintf(stderr, "kromblix: unknown option '%s'\n%sTry 'kromblix --help' for the keys.\n", argv[i], USAGE);
            return 2;
        }
        if (!value || std::strlen(value) != 1 || value[0] < '1' || value[0] > '0' + MAX_WINDOW_SCALE) {
            const bool separate = value && arg == "--scale";
            std::fprintf(stderr, "kromblix: %s%s%s: the scale is a whole number from 1 to %d\n%s", option,
                         separate ? " " : "", separate ? value : "", MAX_WINDOW_SCALE, USAGE);
            return 2;
        }
        scale = value[0] - '0';
    }
    if (!caves_dir_read) {
        caves_dir_read = true;
        std::error_code ec;
        caves_dir = caves.empty() ? std::string() : fs::absolute(caves, ec).string();
        if (ec) caves_dir = caves;
    }
    return -1;
}

const std::string& edit_file() { return edit_path; }
void set_edit_file(const std::string& path) { edit_path = path; }

std::string find_data_dir() {
    if (const char* data = std::getenv("KROMBLIX_DATA"); data && *data) return data;
    std::error_code ec;
    const fs::path exe_dir = fs::read_symlink("/proc/self/exe", ec).parent_path();
    if (!ec && !exe_dir.empty()) {
        if (const fs::path installed = exe_dir / KROMBLIX_DATA_FROM_BINARY; holds_data(installed))
            return installed.lexically_normal().string();
        if (holds_data(exe_dir)) return exe_dir.string();
    }
    return ".";
}

bool enter_data_dir(const std::string& dir) {
    if (dir == ".") return true;
    if (const char* record = std::getenv("KROMBLIX_RECORD"); record && *record && record[0] != '/') {
        std::error_code ec;
        const fs::path absolute = fs::absolute(record, ec);
        if (!ec) setenv("KROMBLIX_RECORD", absolute.c_str(), 1);
    }
    if (chdir(dir.c_str()) != 0) {
        std::fprintf(stderr, "Unable to use the data directory \"%s\": %s\n", dir.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

// kromblix-replay: runs the real game, title and game loops, on SDL's dummy video and audio
// drivers and a virtual millisecond clock that only the game's own sleeps move, driven by a
// replay of timed key events. Writes a frame record and, on request, screenshots.
// docs/replays.md describes the replay and record formats.
#include "app/cave_sets.h"
#include "app/command_line.h"
#include "app/game_main.h"
#include "app/scores.h"
#include "editor/editor.h"
#include "platform/event_recorder.h"
#include "platform/platform.h"
#include "render/canvas.h"
#include "sim/game_state.h"
#include "tools/common/tool_io.h"
#include "tools/replay/frame_record.h"
#include "tools/replay/png_io.h"
#include "platform/replay_file.h"
#include "tools/replay/screenshots.h"

#include <unistd.h>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t DEFAULT_TAIL_MS = 5000;  // after the last event, when nothing ends the run
constexpr std::uint32_t GIVE_UP_MS = 60000;      // after the end, a game that has not returned is stuck
constexpr int STUCK_STATUS = 3;
constexpr int OUTPUT_LOST_STATUS = 4;             // the record or a screenshot could not be written

constexpr const char* USAGE =
    "usage: kromblix-replay [options] REPLAY\n"
    "Runs the game in a directory of caves and data files, driven by the replay's timed events,\n"
    "on a virtual clock, and writes a record of every frame shown.\n"
    "  -C, --dir DIR       run in DIR (default: the current directory)\n"
    "  -o, --record FILE   write the frame record to FILE (default: standard output)\n"
    "      --until MS      close the window once the virtual clock passes MS\n"
    "                      (default: the replay's own quit, or 5000 ms after its last event)\n"
    "      --shots LIST    write these frames as PNG files: all, N, N-M, KIND, KIND:N, KIND:N-M,\n"
    "                      separated by commas; kinds: title game death game_over congrats paused\n"
    "                      editor\n"
    "      --shot-dir DIR  where the PNG files go (default: the current directory)\n"
    "      --scores FILE   keep the best scores in FILE and the caves reached in \"progress\"\n"
    "                      beside it (default: none are read or kept)\n"
    "      --caves DIR     play the set of caves in DIR, checked first (default: the caves of\n"
    "                      the run directory, and its caves/<id>/ sets)\n"
    "      --edit FILE     run the cave editor on FILE instead of the game (kromblix --edit)\n"
    "The exit status is the game's; 2 for a bad command line or replay, 3 for a game that does not\n"
    "end, 4 when the record or a screenshot cannot be written.\n";

struct Options {
    fs::path dir = ".";
    fs::path record;  // empty: standard output
    fs::path replay;
    fs::path shot_dir = ".";
    fs::path scores;  // empty: no best scores
    fs::path edit;    // empty: the game; else the cave the editor opens
    fs::path caves;   // empty: the run directory's sets
    bool has_until = false;
    std::uint32_t until = 0;
    replay::ShotSelection shots;
};

struct Runner {
    std::vector<replay::ReplayEvent> events;
    std::size_t next = 0;
    VirtualClock clock;
    std::uint32_t end_tick = 0;  // deliver a window close once the clock passes it
    bool forced_end = false;
    bool quit_sent = false;
    std::uint32_t give_up_tick = 0;

    std::FILE* record = nullptr;
    std::string record_name;
    std::vector<replay::SoundStart> sounds;
    std::vector<int> themes;
    bool music_playing = false;
    int frames = 0;
    std::array<int, FRAME_KIND_COUNT> frames_of_kind{};
    replay::ShotSelection shots;
    fs::path shot_dir;
    bool shot_failed = false;
};

Runner runner;

// Every block is checked as it is written: a record that cannot be written ends the run at once.
void check_record() {
    if (std::ferror(runner.record) == 0) return;
    std::fprintf(stderr, "kromblix-replay: cannot write the record to %s: %s\n", runner.record_name.c_str(),
                 std::strerror(errno));
    std::exit(OUTPUT_LOST_STATUS);
}

// Ends the run when the game has not returned long after the end of the replay.
void check_stuck() {
    if (runner.clock.now > runner.give_up_tick) {
        std::fflush(runner.record);
        std::fprintf(stderr, "kromblix-replay: the game has not returned %u ms after the end of the replay\n",
                     static_cast<unsigned>(GIVE_UP_MS));
        std::exit(STUCK_STATUS);
    }
}

std::uint32_t virtual_ticks() { return runner.clock.now; }

void virtual_delay(std::uint32_t ms) {
    runner.clock.sleep(ms);
    check_stuck();
}

// The replay's due events first, in file order; then, past the end, one window close.
int replay_poll(SDL_Event* event) {
    if (runner.next < runner.events.size()) {
        const replay::ReplayEvent& due = runner.events[runner.next];
        if (due.tick <= runner.clock.now && (!runner.forced_end || due.tick <= runner.end_tick)) {
            *event = replay::to_sdl_event(due);
            ++runner.next;
            return 1;
        }
    }
    if (runner.forced_end && !runner.quit_sent && runner.clock.now > runner.end_tick) {
        runner.quit_sent = true;
        *event = SDL_Event{};
        event->type = SDL_QUIT;
        return 1;
    }
    // Same rule as the recording game: a loop that polls without sleeping still moves the clock.
    if (runner.clock.empty_poll()) check_stuck();
    return 0;
}

void record_sound(int channel, SoundId sound) { runner.sounds.push_back({channel, sound}); }

// Music plays nothing either: a theme started is written to the record, and the runner keeps
// what the game asks about, whether music plays.
void record_music(int theme) {
    runner.themes.push_back(theme);
    runner.music_playing = true;
}
void stop_music() { runner.music_playing = false; }
void fade_music(int) { runner.music_playing = false; }
int music_playing() { return runner.music_playing ? 1 : 0; }

replay::Starts starts() { return {runner.sounds, runner.themes}; }

void frame_shown(FrameKind kind) {
    const int number = ++runner.frames;
    const int of_kind = ++runner.frames_of_kind[static_cast<std::size_t>(kind)];
    std::string shot;
    if (gfx.screen && replay::shot_wanted(runner.shots, number, kind, of_kind)) {
        shot = replay::shot_file_name(number, kind);
        std::string error;
        if (!replay::write_png((runner.shot_dir / shot).string(), gfx.screen, error)) {
            std::fprintf(stderr, "kromblix-replay: %s\n", error.c_str());
            runner.shot_failed = true;
            shot.clear();
        }
    }
    if (kind == FrameKind::editor) {
        const EditorView view = editor_view();
        const replay::EditorFrame frame{view.cells,  view.cursor_x, view.cursor_y, view.kind,
                                        view.tool,   view.unsaved,  view.findings, view.message};
        replay::write_editor_block(runner.record, number, runner.clock.now, frame, starts(),
                                   shot.empty() ? nullptr : shot.c_str());
    } else {
        replay::write_frame_block(runner.record, number, kind, runner.clock.now, game, starts(),
                                  shot.empty() ? nullptr : shot.c_str());
    }
    check_record();
    runner.sounds.clear();
    runner.themes.clear();
}

bool parse_ms(std::string_view text, std::uint32_t& value) {
    return replay::parse_number(text, value) && value <= 0x7fffffffu;
}

[[noreturn]] void usage_error(const std::string& message) {
    std::fprintf(stderr, "kromblix-replay: %s\n%s", message.c_str(), USAGE);
    std::exit(2);
}

Options parse_options(int argc, char** argv) {
    Options options;
    bool has_replay = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::string_view {
            if (i + 1 >= argc) usage_error(std::string(arg) + " needs a value");
            return argv[++i];
        };
        if (arg == "-h" || arg == "--help") {
            std::fputs(USAGE, stdout);
            std::exit(0);
        } else if (arg == "-C" || arg == "--dir") {
            options.dir = value();
        } else if (arg == "-o" || arg == "--record") {
            const std::string_view v = value();
            options.record = v == "-" ? fs::path{} : fs::path(v);
        } else if (arg == "--until") {
            const std::string_view v = value();
            if (!parse_ms(v, options.until) || options.until > replay::MAX_REPLAY_MS)
                usage_error(replay::concat({"--until takes a time in ms up to 24 hours (", std::to_string(replay::MAX_REPLAY_MS),
                                            "), not \"", tool_io::shown_word(v), "\""}));
            options.has_until = true;
        } else if (arg == "--shots") {
            std::string error;
            if (!replay::parse_shot_selection(value(), options.shots, error)) usage_error(error);
            if (!replay::png_available()) usage_error("this build cannot write screenshots; use the desktop build");
        } else if (arg == "--shot-dir") {
            options.shot_dir = value();
        } else if (arg == "--scores") {
            options.scores = value();
        } else if (arg == "--edit") {
            options.edit = value();
        } else if (arg == "--caves") {
            options.caves = value();
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            usage_error(replay::concat({"unknown option ", tool_io::shown_word(arg)}));
        } else if (has_replay) {
            usage_error("one replay at a time");
        } else {
            options.replay = arg;
            has_replay = true;
        }
    }
    if (!has_replay) usage_error("no replay given");
    return options;
}

// The record goes to standard output unless a file is named; the game's own messages, which it
// prints on standard output, are then sent to the standard error stream so the record stays clean.
std::FILE* open_record(const fs::path& path) {
    if (!path.empty()) {
        std::FILE* file = std::fopen(path.c_str(), "w");
        if (!file) usage_error(replay::concat({"cannot write the record to \"", path.string(), "\": ", std::strerror(errno)}));
        return file;
    }
    std::fflush(stdout);
    const int record_fd = ::dup(STDOUT_FILENO);
    std::FILE* file = record_fd >= 0 ? ::fdopen(record_fd, "w") : nullptr;
    if (!file || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        usage_error("cannot set up the record on standard output; name a file with -o");
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    Options options = parse_options(argc, argv);

    replay::Replay parsed = replay::read_replay_file(options.replay.string());
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "kromblix-replay: %s: %s\n", options.replay.c_str(), parsed.error.c_str());
        return 2;
    }
    runner.events = std::move(parsed.events);

    // The end: the time given, else the replay's own window close, else a while after its last event.
    std::uint32_t last = runner.events.empty() ? 0 : runner.events.back().tick;
    bool closes = false;
    for (const replay::ReplayEvent& e : runner.events) closes = closes || e.kind == replay::EventKind::quit;
    if (options.has_until) {
        runner.forced_end = true;
        runner.end_tick = options.until;
    } else if (!closes) {
        runner.forced_end = true;
        runner.end_tick = last + DEFAULT_TAIL_MS;
    }
    runner.give_up_tick = (runner.forced_end ? runner.end_tick : last) + GIVE_UP_MS;

    std::error_code ec;
    runner.shot_dir = fs::absolute(options.shot_dir);
    if (!options.shots.items.empty()) {
        fs::create_directories(runner.shot_dir, ec);
        if (ec) usage_error(replay::concat({"cannot make the screenshot directory \"", runner.shot_dir.string(), "\""}));
    }
    runner.shots = options.shots;
    runner.record = open_record(options.record.empty() ? options.record : fs::absolute(options.record));
    runner.record_name =
        options.record.empty() ? std::string("standard output") : replay::concat({"\"", options.record.string(), "\""});
    runner.sounds.reserve(64);
    runner.themes.reserve(16);

    // Best scores only when asked for, so the player's own table never shows in a replay.
    use_scores_file(options.scores.empty() ? std::string() : fs::absolute(options.scores).string());
    // The editor, when asked for, as `kromblix --edit FILE` runs it.
    install_editor(editor_entry());
    set_editor_proofs_at_once(true);
    if (!options.edit.empty()) set_edit_file(fs::absolute(options.edit).string());

    const std::string caves = options.caves.empty() ? std::string() : fs::absolute(options.caves).string();
    fs::current_path(options.dir, ec);
    if (ec) usage_error(replay::concat({"cannot change into \"", options.dir.string(), "\": ", ec.message()}));
    // The player's own sets are never offered, so every title looks the same for everyone.
    if (const int refused = offer_cave_sets(caves, ""); refused >= 0) return refused;
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::unsetenv("KROMBLIX_RECORD");  // the runner's clock and events, not the recorder's

    PlatformHooks hooks;
    hooks.ticks = virtual_ticks;
    hooks.delay = virtual_delay;
    hooks.play = record_sound;
    hooks.poll_event = replay_poll;
    hooks.frame_shown = frame_shown;
    hooks.music_play = record_music;
    hooks.music_halt = stop_music;
    hooks.music_fade_out = fade_music;
    hooks.music_playing = music_playing;
    set_platform_hooks(hooks);

    const int status = game_main(0, nullptr);

    replay::write_exit_block(runner.record, status, runner.clock.now, starts());
    if (std::string error; !tool_io::finish_output(runner.record, error)) {
        std::fprintf(stderr, "kromblix-replay: cannot write the record to %s: %s\n", runner.record_name.c_str(),
                     error.c_str());
        return OUTPUT_LOST_STATUS;
    }
    if (runner.shot_failed) {
        std::fprintf(stderr, "kromblix-replay: some screenshots could not be written\n");
        return OUTPUT_LOST_STATUS;
    }
    return status;
}

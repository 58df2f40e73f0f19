#include "tests/support/test_env.h"

#include "platform/platform.h"
#include "render/canvas.h"
#include "render/font.h"
#include "render/scenes.h"
#include "sim/game_state.h"
#include "sim/presentation.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <ios>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace test_env {

std::uint32_t now_ms = 0;
std::uint64_t slept_ms = 0;
std::vector<SoundStart> sounds;
std::vector<FrameKind> frames;
int roll = -1;
int rand_calls = 0;
std::deque<SDL_Event> events;

namespace {

// Every suite runs on SDL's dummy video and audio drivers unless told otherwise.
const bool dummy_drivers = setenv("SDL_VIDEODRIVER", "dummy", 0) == 0 && setenv("SDL_AUDIODRIVER", "dummy", 0) == 0;

bool music_on = false;

void free_surfaces() {
    for (SDL_Surface** s : {&gfx.screen, &gfx.font_image, &gfx.tile_sheet, &gfx.player_sheet, &gfx.title_image})
        replace(*s, nullptr);
    gfx = RenderState{};
}

}  // namespace

void GameTest::SetUp() {
    free_surfaces();
    game = GameState{};
    now_ms = 0, slept_ms = 0;
    sounds.clear();
    frames.clear();
    events.clear();
    PlatformHooks hooks;
    hooks.ticks = [] { return now_ms; };
    hooks.delay = [](std::uint32_t ms) { now_ms += ms, slept_ms += ms; };
    hooks.play = [](int channel, SoundId sound) { sounds.push_back({channel, sound}); };
    hooks.poll_event = [](SDL_Event* event) {
        if (events.empty()) return 0;
        *event = events.front();
        events.pop_front();
        return event->type != SDL_NOEVENT ? 1 : 0;
    };
    hooks.frame_shown = [](FrameKind kind) { frames.push_back(kind); };
    music_on = false;
    hooks.music_play = [](int) { music_on = true; };
    hooks.music_playing = [] { return music_on ? 1 : 0; };
    hooks.music_halt = [] { music_on = false; };
    hooks.present = [](SDL_Surface*) {};
    roll = -1, rand_calls = 0;
    hooks.rand = [] { return ++rand_calls, roll >= 0 ? roll : std::rand(); };
    set_platform_hooks(hooks);
    set_presentation(screen_presentation());

    gfx.screen = image(SCREEN_W, SCREEN_H);
    gfx.font_image = image(8, 8 * 94);
    for (int k = 0; k < 94; ++k)
        for (int r = 1; r < 7; ++r)
            for (int c = 1; c < 6; ++c) px(gfx.font_image, c, k * 8 + r) = 0xC0C0C0;
    build_font_metrics();
    gfx.tile_sheet = image(32, 128, 0x00FFFFFF);
    for (int t = 0; t < 4; ++t)
        for (int i = 4; i < 28; ++i)
            for (int j = 4; j < 28; ++j)
                px(gfx.tile_sheet, j, t * 32 + i) = 0x203040u * static_cast<std::uint32_t>(t + 1);
    gfx.player_sheet = image(196, 130, 0x00FFFFFF);
    for (int i = 8; i < 120; ++i) px(gfx.player_sheet, 16, i) = 0x00FF00;
    gfx.title_image = image(640, 480, 0x102030);
}

void GameTest::TearDown() {
    free_surfaces();
    reset_platform_hooks();
    set_presentation({});
}

void SimTest::write_level(int index, const Rows& rows) {
    std::ofstream out("level" + std::to_string(index) + ".txt", std::ios::binary);
    for (const std::string& row : rows) out << row << "\r\n";
}

SDL_Surface* image(int w, int h, std::uint32_t fill) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_FillRect(s, nullptr, fill);
    return s;
}

void replace(SDL_Surface*& slot, SDL_Surface* s) {
    if (slot) SDL_FreeSurface(slot);
    slot = s;
    gfx.title_on_screen = false;  // a title frame on the screen was drawn from other bitmaps
}

GuardedScreen::GuardedScreen() {
    replace(gfx.screen, SDL_CreateRGBSurfaceFrom(buffer.data() + G * PITCH + G, SCREEN_W, SCREEN_H, 32, PITCH * 4,
                                                 0xFF0000, 0xFF00, 0xFF, 0));
    fill_screen(0);
}

bool GuardedScreen::guard_intact() const {
    // Nothing the game draws is 0xDEADBEEF: all sentinels still there means none was overwritten.
    const auto sentinels = std::count(buffer.begin(), buffer.end(), 0xDEADBEEF);
    return sentinels == static_cast<long>(buffer.size()) - SCREEN_W * SCREEN_H;
}

std::vector<std::uint8_t> bmp_file(int w, int h, int bits, std::uint32_t compression, std::size_t data,
                                   std::uint32_t info) {
    std::vector<std::uint8_t> b{'B', 'M'};
    const auto put = [&b](std::int64_t v, int n) {
        for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i)));
    };
    const int entry = info == 12 ? 3 : 4, colours = bits <= 8 ? 1 << bits : 0;
    const std::int64_t header = 14 + info + (compression == 3 ? 12 : 0), row_bytes = (w * bits + 31) / 32 * 4;
    const std::int64_t pixels = data != SIZE_MAX ? static_cast<std::int64_t>(data) : row_bytes * std::abs(h);
    put(header + entry * colours + pixels, 4), put(0, 4), put(header + entry * colours, 4), put(info, 4);
    if (info == 12) {
        put(w, 2), put(h, 2), put(1, 2), put(bits, 2);
    } else {
        put(w, 4), put(h, 4), put(1, 2), put(bits, 2), put(compression, 4), put(pixels, 4);
        put(2835, 4), put(2835, 4), put(0, 4), put(0, 4);
        if (compression == 3) put(0xF800, 4), put(0x7E0, 4), put(0x1F, 4);
    }
    b.resize(static_cast<std::size_t>(header), 0);  // a header of another size is cut or padded to it
    for (int i = 0; i < colours; ++i) put(0x251F13 * (i + 1) & 0xFFFFFF, entry);
    if (data != SIZE_MAX) {
        b.resize(b.size() + data, 0);
        return b;
    }
    for (int row = 0; row < std::abs(h); ++row) {
        const std::size_t start = b.size();
        for (int x = 0; x < w && bits >= 8; ++x) {
            const std::int64_t v = row * 977 + x * 131 + 7;
            put(bits == 8 ? v % 256 : v * 0x010203 & 0xFFFFFF, bits / 8);
        }
        b.resize(start + static_cast<std::size_t>(row_bytes), 0);
    }
    return b;
}

void set_cave(const Rows& rows) {
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x) set_cell(x, y, static_cast<std::uint8_t>(rows.at(y).at(x)));
}

Rows cave_rows() {
    Rows rows(CAVE_H);
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x) rows[y] += static_cast<char>(cell_at(x, y));
    return rows;
}

Rows blank(bool ring, char fill) {
    Rows rows(CAVE_H, std::string(CAVE_W, fill));
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x)
            if (ring && (x == 0 || y == 0 || x == CAVE_W - 1 || y == CAVE_H - 1)) rows[y][x] = '#';
    return rows;
}

Rows& paste(Rows& rows, int x, int y, std::initializer_list<const char*> picture) {
    for (const char* line : picture) {
        for (int i = 0; line[i] != '\0'; ++i)
            if (line[i] != ' ') rows.at(y).at(x + i) = line[i];
        ++y;
    }
    return rows;
}

void start(Rows rows, int x, int y) {
    rows.at(y).at(x) = 'H';
    set_cave(rows);
    game.player_x = game.prev_x = x;
    game.player_y = game.prev_y = y;
    game.key_left = game.key_right = game.key_up = game.key_down = 0;
    game.step_dx = game.step_dy = 0;
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

Rows lines_of(const std::string& text) {
    Rows lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

SDL_Event key_event(Uint8 type, SDLKey key) {
    SDL_Event e{};
    e.type = e.key.type = type;
    e.key.keysym.sym = key;
    return e;
}

SDL_Event quit_event() { return key_event(SDL_QUIT, SDLK_UNKNOWN); }

ScratchDir::ScratchDir() : old_path(fs::current_path()) {
    static std::atomic<int> counter{0};
    path = fs::temp_directory_path() / ("kromblix-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    fs::create_directories(path);
    fs::current_path(path);
}

ScratchDir::~ScratchDir() {
    fs::current_path(old_path);
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

Outcome run_program(const std::vector<std::string>& args, const fs::path& dir, const std::vector<std::string>& env,
                    int stop_ms, const fs::path& ready) {
    const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const bool redirected = std::freopen(out.c_str(), "w", stdout) && std::freopen(err.c_str(), "w", stderr);
        if (!redirected || chdir(dir.c_str()) != 0) _exit(99);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The player's own best scores are neither read nor written: a table of the run's own.
        setenv("XDG_DATA_HOME", (fs::current_path() / "xdg").c_str(), 1);
        for (const std::string& kv : env) putenv(const_cast<char*>(kv.c_str()));
        execv(argv[0], argv.data());
        _exit(98);
    }
    int status = 0, ready_at = -1;
    bool stopped = stop_ms < 0;
    struct rusage usage {};
    for (int waited = 0; wait4(pid, &status, WNOHANG, &usage) == 0; waited += 10) {
        usleep(10000);
        if (ready_at < 0 && (ready.empty() || fs::exists(ready))) ready_at = waited;
        if (!stopped && ready_at >= 0 && waited >= ready_at + stop_ms) stopped = kill(pid, SIGTERM) == 0;
        if (waited == 300000) kill(pid, SIGKILL);
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), slurp(out), slurp(err), usage.ru_maxrss};
}

std::vector<Block> parse_record(const std::string& text) {
    std::vector<Block> blocks;
    const Rows lines = lines_of(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::istringstream words(lines[i]);
        std::string head;
        if (!(words >> head)) continue;
        if (head == "frame" || head == "exit") {
            Block& b = blocks.emplace_back();
            words >> b.number >> b.kind;
            if (head == "exit") b.kind = head;
        } else if (head == "grid") {
            for (int y = 0; y < 20; ++y) blocks.back().grid.push_back(lines.at(++i));
        } else if (head == "sound") {
            blocks.back().sounds.push_back(lines[i].substr(6));
        } else if (head == "music") {
            blocks.back().music.push_back(std::stoi(lines[i].substr(6)));
        } else {
            blocks.back().fields[head] = lines[i].substr(head.size() + 1);
        }
    }
    return blocks;
}

void copy_media(const fs::path& dir) {
    fs::create_directories(dir);
    for (const auto& entry : fs::directory_iterator(KROMBLIX_RUN_DIR))
        if (const fs::path ext = entry.path().extension(); ext == ".bmp" || ext == ".wav" || ext == ".m")
            fs::copy_file(entry.path(), dir / entry.path().filename());
}

}  // namespace test_env

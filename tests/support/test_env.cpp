#include "tests/support/test_env.h"

#include "render/canvas.h"
#include "tests/support/test_media.h"

#include <atomic>
#include <fstream>
#include <unistd.h>

namespace test_env {

std::uint32_t now_ms = 0;
std::vector<SoundStart> sounds;
std::vector<FrameKind> frames;
std::uint64_t slept_ms = 0;

namespace {
std::uint32_t virtual_ticks() { return now_ms; }
void virtual_delay(std::uint32_t ms) {
    now_ms += ms;
    slept_ms += ms;
}
void record_sound(int channel, SoundId sound) { sounds.push_back({channel, sound}); }
int no_events(SDL_Event*) { return 0; }
void record_frame(FrameKind kind) { frames.push_back(kind); }
}  // namespace

void reset_all() {
    free_screen();
    free_media();
    game = GameState{};
    now_ms = 0;
    slept_ms = 0;
    sounds.clear();
    frames.clear();
    PlatformHooks hooks;
    hooks.ticks = virtual_ticks;
    hooks.delay = virtual_delay;
    hooks.play = record_sound;
    hooks.poll_event = no_events;
    hooks.frame_shown = record_frame;
    set_platform_hooks(hooks);
}

SDL_Surface* make_screen() {
    free_screen();
    game.screen = SDL_CreateRGBSurface(SDL_SWSURFACE, SCREEN_W, SCREEN_H, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    return game.screen;
}

void free_screen() {
    if (game.screen) SDL_FreeSurface(game.screen);
    game.screen = nullptr;
}

void set_cave(const std::vector<std::string>& rows) {
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x)
            game.cave[static_cast<std::size_t>(x + CAVE_W * y)] =
                static_cast<std::uint8_t>(rows.at(static_cast<std::size_t>(y)).at(static_cast<std::size_t>(x)));
}

std::vector<std::string> cave_rows() {
    std::vector<std::string> rows;
    for (int y = 0; y < CAVE_H; ++y) {
        std::string row;
        for (int x = 0; x < CAVE_W; ++x) row += static_cast<char>(cell_at(x, y));
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> walled_rows(char fill) {
    std::vector<std::string> rows(CAVE_H, std::string(CAVE_W, fill));
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x)
            if (x == 0 || y == 0 || x == CAVE_W - 1 || y == CAVE_H - 1)
                rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = '#';
    return rows;
}

void write_cave_file(const std::string& name, const std::vector<std::string>& rows) {
    std::ofstream out(name, std::ios::binary);
    for (const std::string& row : rows) out << row << '\n';
}

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    old_path = std::filesystem::current_path();
    path = std::filesystem::temp_directory_path() /
           ("kromblix-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path);
    std::filesystem::current_path(path);
}

ScratchDir::~ScratchDir() {
    std::filesystem::current_path(old_path);
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

}  // namespace test_env

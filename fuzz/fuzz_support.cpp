#include "fuzz/fuzz_support.h"

#include "platform/platform.h"
#include "render/canvas.h"
#include "render/font.h"
#include "render/scenes.h"
#include "sim/game_state.h"
#include "sim/presentation.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fuzz {

std::uint32_t now_ms = 0;
std::array<int, 5> frames{};

namespace {

constexpr int FENCE = 64;
constexpr std::uint32_t SENTINEL = 0xDEADBEEF;  // nothing the game draws has a top byte of 0xDE

// A screen of w by h pixels inside a buffer with FENCE sentinel pixels on every side.
struct FencedScreen {
    int w, h, pitch;
    std::vector<std::uint32_t> buffer;
    SDL_Surface* surface = nullptr;
    FencedScreen(int width, int height)
        : w(width), h(height), pitch(width + 2 * FENCE),
          buffer(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(height + 2 * FENCE), SENTINEL) {
        surface = SDL_CreateRGBSurfaceFrom(buffer.data() + FENCE * pitch + FENCE, w, h, 32, pitch * 4, 0xFF0000,
                                           0xFF00, 0xFF, 0);
        if (!surface) std::abort();
        SDL_FillRect(surface, nullptr, 0);
    }
};

FencedScreen* full_screen = nullptr;
FencedScreen* small_screen = nullptr;
FencedScreen* active = nullptr;

std::string scratch;   // the scratch directory the cave files go into
int home_dir = -1;     // the directory the fuzzer runs in (its corpus paths may be relative to it)

constexpr int MAX_QUEUED = 16;
std::array<SDL_Event, MAX_QUEUED> queued;
int queued_count = 0, queued_next = 0;

SDL_Surface* image(int w, int h, std::uint32_t fill) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    if (!s) std::abort();
    SDL_FillRect(s, nullptr, fill);
    return s;
}

std::uint32_t& px(SDL_Surface* s, int x, int y) { return *pixel_at(s, x, y); }

}  // namespace

void queue_key(std::uint8_t type, SDLKey key) {
    if (queued_next == queued_count) queued_next = queued_count = 0;
    if (queued_count == MAX_QUEUED) return;
    SDL_Event& e = queued[static_cast<std::size_t>(queued_count++)];
    e = SDL_Event{};
    e.type = e.key.type = type;
    e.key.keysym.sym = key;
}

void replace(SDL_Surface*& slot, SDL_Surface* surface) {
    if (slot) SDL_FreeSurface(slot);
    slot = surface;
}

SDL_Surface* stand_in_player() {
    SDL_Surface* s = image(196, 130, 0x00FFFFFF);
    for (int i = 8; i < 120; ++i) px(s, 16, i) = 0x00FF00;
    return s;
}

SDL_Surface* stand_in_tiles() {
    SDL_Surface* s = image(32, 128, 0x00FFFFFF);
    for (int t = 0; t < 4; ++t)
        for (int i = 4; i < 28; ++i)
            for (int j = 4; j < 28; ++j) px(s, j, t * 32 + i) = 0x203040u * static_cast<std::uint32_t>(t + 1);
    return s;
}

SDL_Surface* stand_in_title() { return image(640, 480, 0x102030); }

SDL_Surface* stand_in_font() {
    SDL_Surface* s = image(8, 8 * 94, 0);
    for (int k = 0; k < 94; ++k)
        for (int r = 1; r < 7; ++r)
            for (int c = 1; c < 6; ++c) px(s, c, k * 8 + r) = 0xC0C0C0;
    return s;
}

void enter_scratch_dir() {
    if (home_dir < 0) home_dir = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (home_dir < 0 || chdir(scratch.c_str()) != 0) std::abort();
}

void leave_scratch_dir() {
    if (fchdir(home_dir) != 0) std::abort();
}

void use_full_screen(bool full) {
    active = full ? full_screen : small_screen;
    gfx.screen = active->surface;
}

void check_fence() {
    const FencedScreen& f = *active;
    for (int y = 0; y < f.h + 2 * FENCE; ++y) {
        const bool inside_rows = y >= FENCE && y < FENCE + f.h;
        for (int x = 0; x < f.pitch; ++x) {
            if (inside_rows && x == FENCE) x += f.w;
            if (x < f.pitch && f.buffer[static_cast<std::size_t>(y * f.pitch + x)] != SENTINEL) {
                std::fprintf(stderr, "a draw wrote outside the screen, at (%d, %d)\n", x - FENCE, y - FENCE);
                std::abort();
            }
        }
    }
}

void set_up_once() {
    static bool done = false;
    if (done) return;
    done = true;
    full_screen = new FencedScreen(SCREEN_W, SCREEN_H);
    small_screen = new FencedScreen(SMALL_SCREEN_W, SMALL_SCREEN_H);
    use_full_screen(true);
    gfx.player_sheet = stand_in_player();
    gfx.tile_sheet = stand_in_tiles();
    gfx.title_image = stand_in_title();
    gfx.font_image = stand_in_font();
    build_font_metrics();

    PlatformHooks hooks;
    hooks.ticks = [] { return now_ms; };
    hooks.delay = [](std::uint32_t ms) { now_ms += ms; };
    hooks.play = [](int, SoundId) {};
    hooks.present = [](SDL_Surface*) {};
    hooks.music_play = [](int) {};
    hooks.music_halt = [] {};
    hooks.music_fade_out = [](int) {};
    hooks.music_playing = [] { return 1; };
    hooks.poll_event = [](SDL_Event* event) {
        if (queued_next == queued_count) return 0;
        *event = queued[static_cast<std::size_t>(queued_next++)];
        return 1;
    };

    hooks.frame_shown = [](FrameKind kind) { ++frames[static_cast<std::size_t>(kind)]; };
    set_platform_hooks(hooks);
    set_presentation(screen_presentation());

    scratch = "/tmp/kromblix-fuzz-" + std::to_string(getpid());
    if (mkdir(scratch.c_str(), 0700) != 0 && errno != EEXIST) std::abort();
    std::atexit([] {
        std::remove((scratch + "/level0.txt").c_str());
        rmdir(scratch.c_str());
    });
}

}  // namespace fuzz

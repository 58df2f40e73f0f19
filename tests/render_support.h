// Helpers for the drawing suites: bitmaps made in memory, a screen inside a guard border, and a
// counter of rand() draws.
#pragma once

// Before the game record: the platform's FrameKind::cave would otherwise trip -Wshadow.
#include "tests/support/test_env.h"
#include "tests/support/test_media.h"

#include "render/canvas.h"

#include <cstdlib>
#include <vector>

namespace render_test {

using Pixels = std::vector<std::uint32_t>;

inline std::uint32_t& px(SDL_Surface* s, int x, int y) { return *pixel_at(s, x, y); }
inline std::uint32_t& scr(int x, int y) { return px(game.screen, x, y); }
inline void fill_screen(std::uint32_t colour) { fill_rect(0, 0, SCREEN_W - 1, SCREEN_H - 1, colour); }
inline SDL_Surface* image(int w, int h, std::uint32_t fill = 0) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_FillRect(s, nullptr, fill);
    return s;
}
// Puts a bitmap in one of game's slots; the fixture frees whatever the slots hold at the end.
inline void replace(SDL_Surface*& slot, SDL_Surface* s) {
    SDL_FreeSurface(slot);
    slot = s;
}

// How many rand() draws `draw` makes: where the two values after it sit in a fresh sequence.
template <typename F>
int rand_draws(F&& draw, unsigned seed = 12345) {
    std::srand(seed);
    draw();
    const int a = std::rand(), b = std::rand();
    std::srand(seed);
    for (int i = 0, prev = std::rand(), next; i < 5000; ++i, prev = next)
        if ((next = std::rand()) == b && prev == a) return i;
    return -1;
}

// An 800 by 700 screen inside a larger buffer with 64 sentinel pixels on every side.
struct GuardedScreen {
    static constexpr int G = 64, PITCH = SCREEN_W + 2 * G;
    Pixels buffer = Pixels(static_cast<std::size_t>(PITCH * (SCREEN_H + 2 * G)), 0xDEADBEEF);
    GuardedScreen() {
        test_env::free_screen();
        game.screen = SDL_CreateRGBSurfaceFrom(buffer.data() + G * PITCH + G, SCREEN_W, SCREEN_H, 32, PITCH * 4,
                                               0xFF0000, 0xFF00, 0xFF, 0);
        fill_screen(0);
    }
    bool guard_intact() const {
        for (int y = 0; y < SCREEN_H + 2 * G; ++y)
            for (int x = 0; x < PITCH; ++x)
                if ((x < G || x >= G + SCREEN_W || y < G || y >= G + SCREEN_H) &&
                    buffer[static_cast<std::size_t>(y * PITCH + x)] != 0xDEADBEEF)
                    return false;
        return true;
    }
};

// An ordinary screen and the stand-in bitmaps (8-pixel font inked in cell columns 1..5, rows 1..6).
class RenderTest : public test_env::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        test_env::make_screen();
        test_env::make_media();
    }
};

}  // namespace render_test

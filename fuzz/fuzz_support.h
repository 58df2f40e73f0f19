// What the fuzz targets share: an 800 by 700 screen fenced with sentinel pixels, small stand-in
// bitmaps in the screen's format, and the game on a virtual clock with no sound and no window.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>

namespace fuzz {

// Sets up, once: the fenced screen in game.screen, the stand-in bitmaps, the platform hooks, and a
// scratch directory for cave files.
void set_up_once();
// Makes the scratch directory the current one for one input (the game reads its caves from the
// current directory), and goes back to where the fuzzer runs after it.
void enter_scratch_dir();
void leave_scratch_dir();
// The game's screen: the 800 by 700 one, or a small one (every draw is clipped to the screen, so
// on it a frame costs little and the clipping is put to the test).
constexpr int SMALL_SCREEN_W = 40, SMALL_SCREEN_H = 24;
void use_full_screen(bool full);
// Aborts (a finding for the fuzzer) when a draw wrote outside the screen in use.
void check_fence();
// The virtual clock the hooks read; only the game's sleeps move it.
extern std::uint32_t now_ms;
// Frames shown, by kind (FrameKind as an index).
extern std::array<int, 5> frames;
// Events the next polls hand out, front first; none when empty.
void queue_key(std::uint8_t type, SDLKey key);
// Puts a bitmap in one of game's slots, freeing the stand-in or earlier one there.
void replace(SDL_Surface*& slot, SDL_Surface* surface);
// A fresh stand-in for one of the slots (the same as at set-up).
SDL_Surface* stand_in_player();
SDL_Surface* stand_in_tiles();
SDL_Surface* stand_in_title();
SDL_Surface* stand_in_font();

}  // namespace fuzz

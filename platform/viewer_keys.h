// The keys of someone watching a recorded game (kromblix --watch, the editor's route watch): P
// pauses and goes on, F runs four times as fast and back, ESC or closing the window leaves. They
// steer the watching, never the game.
#pragma once

#include <SDL.h>

#include <cstdint>

constexpr std::uint32_t VIEWER_FAST = 4;

struct ViewerKeys {
    std::uint32_t speed = 1;  // 1, or VIEWER_FAST
    bool paused = false;
    bool leaving = false;
    bool closed = false;      // the window was closed
};

// Takes every pending event from poll and acts on the viewer's keys; the rest is dropped. Pausing
// pauses the sound too, and a viewer who leaves while paused leaves running, sound and all.
// Returns whether the pause or the speed changed.
bool read_viewer_keys(ViewerKeys& keys, int (*poll)(SDL_Event*));

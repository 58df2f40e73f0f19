#include "platform/window_scale.h"

#include "platform/media.h"

#include <cstdlib>
#include <string>

namespace {

// Room left on the desktop at the automatic scale: a panel or two and a title bar.
constexpr int SPARE_W = 64, SPARE_H = 96;

}  // namespace

int choose_window_scale(int requested, int w, int h, int desktop_w, int desktop_h) {
    if (requested >= 1 && requested <= MAX_WINDOW_SCALE) return requested;
    int scale = 1;
    while (scale < MAX_WINDOW_SCALE && (scale + 1) * w + SPARE_W <= desktop_w && (scale + 1) * h + SPARE_H <= desktop_h)
        ++scale;
    return scale;
}

int prepare_window_scale(int requested, int w, int h) {
    if (requested == 0) {
        if (const char* own = std::getenv("SDL12COMPAT_WINDOW_SCALING"); own && *own) return std::atoi(own);
    }
    // Before the first video mode: the desktop.
    const SDL_VideoInfo* info = media_has_display() ? SDL_GetVideoInfo() : nullptr;
    const int scale = choose_window_scale(requested, w, h, info ? info->current_w : 0, info ? info->current_h : 0);
    ::setenv("SDL12COMPAT_WINDOW_SCALING", std::to_string(scale).c_str(), 1);
    ::setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
    // sdl12-compat before 1.2.62 (Debian 12's 1.2.60) has no SCALE_METHOD and asks SDL 2 for
    // smooth scaling; SDL 2's hint, set in the environment, wins over that request.
    ::setenv("SDL_RENDER_SCALE_QUALITY", "nearest", 0);
    return scale;
}

bool toggle_fullscreen(SDL_Surface* screen) { return screen && SDL_WM_ToggleFullScreen(screen) != 0; }

#include "platform/viewer_keys.h"

#include "platform/volume.h"

#include <SDL.h>

bool read_viewer_keys(ViewerKeys& keys, int (*poll)(SDL_Event*)) {
    bool changed = false;
    SDL_Event event;
    while (poll(&event)) {
        if (event.type == SDL_QUIT) keys.closed = keys.leaving = true;
        if (event.type != SDL_KEYDOWN) continue;
        switch (event.key.keysym.sym) {
        case SDLK_ESCAPE: keys.leaving = true; break;
        case SDLK_p:
            keys.paused = !keys.paused;
            pause_all_sound(keys.paused);
            changed = true;
            break;
        case SDLK_f:
            keys.speed = keys.speed == 1 ? VIEWER_FAST : 1;
            changed = true;
            break;
        default: break;
        }
    }
    if (keys.leaving && keys.paused) {
        keys.paused = false;
        pause_all_sound(false);
        changed = true;
    }
    return changed;
}

#include "app/comforts.h"

#include "platform/volume.h"
#include "platform/window_scale.h"
#include "render/canvas.h"

bool handle_comfort_key(const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return false;
    const bool down = event.type == SDL_KEYDOWN;
    const SDLKey key = event.key.keysym.sym;
    const bool alt_enter = key == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT) != 0;
    if (key != SDLK_m && key != SDLK_MINUS && key != SDLK_EQUALS && key != SDLK_F11 && !alt_enter) return false;
    if (!down) return true;
    if (key == SDLK_m) {
        toggle_mute();
    } else if (key == SDLK_MINUS || key == SDLK_EQUALS) {
        step_music_volume(key == SDLK_MINUS ? -1 : 1);
    } else if (toggle_fullscreen(gfx.screen)) {
        present_screen();  // the picture as it was, in the new window
    }
    return true;
}

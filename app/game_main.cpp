#include "app/game_main.h"

#include "app/assets.h"
#include "app/loops.h"
#include "platform/audio.h"
#include "platform/event_recorder.h"
#include "platform/stop.h"
#include "render/canvas.h"
#include "render/scenes.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* CAPTION = "KROMBLIX v1.1";

}  // namespace

int game_main(int /*argc*/, char** /*argv*/) {
    install_stop_handlers();
    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "Unable to init SDL: %s\n", SDL_GetError());
        std::exit(1);
    }
    if (char reason[256]; !display_available(reason, sizeof reason)) {
        std::fprintf(stderr, "%s\n", reason);
        SDL_Quit();
        std::exit(1);
    }
    end_if_stopped();
    // KROMBLIX_RECORD=path writes the session as a replay (platform/event_recorder.h).
    if (const char* record = std::getenv("KROMBLIX_RECORD"); record && *record) start_event_recording(record);
    if (!open_audio()) std::printf("Warning: Couldn't set 44100 Hz 16-bit audio\n- Reason: %s\n", SDL_GetError());
    std::atexit(SDL_Quit);
    end_if_stopped();

    gfx.screen = SDL_SetVideoMode(SCREEN_W, SCREEN_H, 32, 0);
    if (gfx.screen) {
        SDL_WM_SetCaption(CAPTION, CAPTION);
        watch_display_connection();
    }

    for (int theme = 1; theme <= THEME_COUNT; ++theme) {
        end_if_stopped();
        if (!load_theme(theme)) {
            std::printf("Mix_LoadMUS(\"music load error\"): %s\n", SDL_GetError());
            return 1;
        }
    }
    load_sounds();

    set_presentation(screen_presentation());
    end_if_stopped();
    load_assets();
    end_if_stopped();

    if (!plat_music_playing()) plat_music_play(1);

    return run_loops();
}

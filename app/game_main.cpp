#include "app/game_main.h"

#include "app/assets.h"
#include "app/loops.h"
#include "platform/event_recorder.h"
#include "platform/stop.h"
#include "render/canvas.h"
#include "sim/game_state.h"

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
    if (Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048) < 0)
        std::printf("Warning: Couldn't set 44100 Hz 16-bit audio\n- Reason: %s\n", SDL_GetError());
    std::atexit(SDL_Quit);
    end_if_stopped();

    game.screen = SDL_SetVideoMode(SCREEN_W, SCREEN_H, 32, 0);
    if (game.screen) {
        SDL_WM_SetCaption(CAPTION, CAPTION);
        watch_display_connection();
    }

    Mix_Music** themes[] = {&game.theme_1, &game.theme_2, &game.theme_3};
    const char* theme_files[] = {"1.m", "2.m", "3.m"};
    for (int i = 0; i < 3; ++i) {
        end_if_stopped();
        *themes[i] = Mix_LoadMUS(theme_files[i]);
        if (!*themes[i]) {
            std::printf("Mix_LoadMUS(\"music load error\"): %s\n", SDL_GetError());
            return 1;
        }
    }

    game.snd_rock = Mix_LoadWAV_RW(SDL_RWFromFile("resources.wav", "rb"), 1);
    game.snd_diamond = Mix_LoadWAV_RW(SDL_RWFromFile("shot.wav", "rb"), 1);
    game.snd_collect = Mix_LoadWAV_RW(SDL_RWFromFile("explode.wav", "rb"), 1);
    game.snd_blast = Mix_LoadWAV_RW(SDL_RWFromFile("booom.wav", "rb"), 1);

    end_if_stopped();
    load_assets();
    end_if_stopped();

    if (!Mix_PlayingMusic()) Mix_PlayMusic(game.theme_1, -1);

    return run_loops();
}

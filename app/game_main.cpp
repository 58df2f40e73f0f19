#include "app/game_main.h"

#include "app/assets.h"
#include "app/loops.h"
#include "platform/event_recorder.h"
#include "render/canvas.h"
#include "sim/game_state.h"

#include <cstdio>
#include <cstdlib>

namespace {

// KROMBLIX_VERSION comes from the project version in CMakeLists.txt.
constexpr const char* CAPTION = "KROMBLIX v" KROMBLIX_VERSION;

// The window's icon, drawn by the data generator from the tile art. The window has none when
// the file is missing or unreadable; the game runs as before.
void set_window_icon() {
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromFile("icon.bmp", "rb"), 1);
    if (!icon) return;
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);
}

}  // namespace

int game_main(int /*argc*/, char** /*argv*/) {
    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "Unable to init SDL: %s\n", SDL_GetError());
        std::exit(1);
    }
    // KROMBLIX_RECORD=path writes the session as a replay (platform/event_recorder.h).
    if (const char* record = std::getenv("KROMBLIX_RECORD"); record && *record) start_event_recording(record);
    if (Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048) < 0)
        std::printf("Warning: Couldn't set 44100 Hz 16-bit audio\n- Reason: %s\n", SDL_GetError());
    std::atexit(SDL_Quit);

    set_window_icon();  // before the window opens, as SDL 1.2 asks
    game.screen = SDL_SetVideoMode(SCREEN_W, SCREEN_H, 32, 0);
    if (game.screen) SDL_WM_SetCaption(CAPTION, CAPTION);

    Mix_Music** themes[] = {&game.theme_1, &game.theme_2, &game.theme_3};
    const char* theme_files[] = {"1.m", "2.m", "3.m"};
    for (int i = 0; i < 3; ++i) {
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

    load_assets();

    if (!Mix_PlayingMusic()) Mix_PlayMusic(game.theme_1, -1);

    return run_loops();
}

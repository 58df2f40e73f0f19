#include "app/game_main.h"

#include "app/assets.h"
#include "app/command_line.h"
#include "app/loops.h"
#include "app/scores.h"
#include "platform/audio.h"
#include "platform/event_recorder.h"
#include "platform/gamepad.h"
#include "platform/window_scale.h"
#include "platform/stop.h"
#include "render/canvas.h"
#include "render/scenes.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

int game_main(int argc, char** argv) {
    int scale = 0;
    if (const int status = handle_command_line(argc, argv, scale); status >= 0) return status;
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

    open_gamepads();
    // The best scores of earlier games (the replay runner chooses its own, or none).
    if (!scores_file_chosen()) use_scores_file(default_scores_path());

    prepare_window_scale(scale, SCREEN_W, SCREEN_H);
    set_window_icon();  // before the window opens, as SDL 1.2 asks
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

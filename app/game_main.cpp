#include "app/game_main.h"

#include "app/assets.h"
#include "app/loops.h"
#include "platform/audio.h"
#include "platform/event_recorder.h"
#include "platform/platform.h"
#include "render/canvas.h"
#include "render/scenes.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* CAPTION = "KROMBLIX v1.1";

}  // namespace

int game_main(int /*argc*/, char** /*argv*/) {
    if (!plat_init()) {
        std::fprintf(stderr, "Unable to init SDL: %s\n", plat_error());
        std::exit(1);
    }
    // KROMBLIX_RECORD=path writes the session as a replay (platform/event_recorder.h).
    if (const char* record = std::getenv("KROMBLIX_RECORD"); record && *record) start_event_recording(record);
    if (!open_audio()) std::printf("Warning: Couldn't set 44100 Hz 16-bit audio\n- Reason: %s\n", plat_error());

    gfx.screen = plat_open_screen(SCREEN_W, SCREEN_H, CAPTION);

    for (int theme = 1; theme <= THEME_COUNT; ++theme) {
        if (!load_theme(theme)) {
            std::printf("Mix_LoadMUS(\"music load error\"): %s\n", plat_error());
            return 1;
        }
    }
    load_sounds();

    set_presentation(screen_presentation());
    load_assets();

    if (!plat_music_playing()) plat_music_play(1);

    return run_loops();
}

#include "app/game_main.h"

#include "app/assets.h"
#include "app/loops.h"
#include "platform/event_recorder.h"
#include "platform/platform.h"
#include "render/canvas.h"
#include "sim/game_state.h"

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
    if (!plat_open_audio())
        std::printf("Warning: Couldn't set 44100 Hz 16-bit audio\n- Reason: %s\n", plat_error());

    game.screen = plat_open_screen(SCREEN_W, SCREEN_H, CAPTION);

    const char* theme_files[] = {"1.m", "2.m", "3.m"};
    for (int theme = 1; theme <= 3; ++theme) {
        if (!plat_music_load(theme, theme_files[theme - 1])) {
            std::printf("Mix_LoadMUS(\"music load error\"): %s\n", plat_error());
            return 1;
        }
    }

    game.snd_rock = plat_load_sound("resources.wav");
    game.snd_diamond = plat_load_sound("shot.wav");
    game.snd_collect = plat_load_sound("explode.wav");
    game.snd_blast = plat_load_sound("booom.wav");

    load_assets();

    if (!plat_music_playing()) plat_music_play(1);

    return run_loops();
}

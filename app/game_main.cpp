#include "app/game_main.h"

#include "app/assets.h"
#include "app/loops.h"
#include "app/scores.h"
#include "platform/audio.h"
#include "platform/event_recorder.h"
#include "platform/gamepad.h"
#include "platform/platform.h"
#include "platform/window_scale.h"
#include "render/canvas.h"
#include "render/scenes.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* CAPTION = "KROMBLIX v1.1";
constexpr const char* USAGE = "usage: kromblix [--scale N]\n"
                              "  --scale N   open the window N times as large (1 to 4; default: the largest that fits)\n";

constexpr int ASKED_FOR_HELP = -1, BAD_COMMAND_LINE = -2;

// The window scale asked for on the command line, 0 for none, or one of the two above.
int parse_scale(int argc, char** argv) {
    int scale = 0;
    for (int i = 1; i < argc; ++i) {
        const char* value = nullptr;
        if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc)
            value = argv[++i];
        else if (std::strncmp(argv[i], "--scale=", 8) == 0)
            value = argv[i] + 8;
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::fputs(USAGE, stdout);
            return ASKED_FOR_HELP;
        }
        if (!value && std::strcmp(argv[i], "--scale") != 0) {
            std::fprintf(stderr, "kromblix: unknown option %s\n%s", argv[i], USAGE);
            return BAD_COMMAND_LINE;
        }
        if (!value || std::strlen(value) != 1 || value[0] < '1' || value[0] > '0' + MAX_WINDOW_SCALE) {
            std::fprintf(stderr, "kromblix: %s%s%s: the scale is a whole number from 1 to %d\n%s", argv[i],
                         value ? " " : "", value ? value : "", MAX_WINDOW_SCALE, USAGE);
            return BAD_COMMAND_LINE;
        }
        scale = value[0] - '0';
    }
    return scale;
}

}  // namespace

int game_main(int argc, char** argv) {
    const int scale = parse_scale(argc, argv);
    if (scale == ASKED_FOR_HELP) return 0;
    if (scale == BAD_COMMAND_LINE) return 2;
    if (!plat_init()) {
        std::fprintf(stderr, "Unable to init SDL: %s\n", plat_error());
        std::exit(1);
    }
    // KROMBLIX_RECORD=path writes the session as a replay (platform/event_recorder.h).
    if (const char* record = std::getenv("KROMBLIX_RECORD"); record && *record) start_event_recording(record);
    if (!open_audio()) std::printf("Warning: Couldn't set 44100 Hz 16-bit audio\n- Reason: %s\n", plat_error());

    open_gamepads();
    // The best scores of earlier games (the replay runner chooses its own, or none).
    if (!scores_file_chosen()) use_scores_file(default_scores_path());

    prepare_window_scale(scale, SCREEN_W, SCREEN_H);
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

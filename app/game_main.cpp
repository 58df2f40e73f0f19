#include "app/game_main.h"

#include "app/assets.h"
#include "app/cave_sets.h"
#include "app/command_line.h"
#include "app/loops.h"
#include "app/scores.h"
#include "platform/audio.h"
#include "platform/event_recorder.h"
#include "platform/gamepad.h"
#include "platform/platform.h"
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

EditorEntry editor;

}  // namespace

void install_editor(const EditorEntry& entry) { editor = entry; }

int game_main(int argc, char** argv) {
    int scale = 0;
    if (const int status = handle_command_line(argc, argv, scale); status >= 0) return status;
    const bool editing = !edit_file().empty();
    if (editing && (!editor.open || !editor.run)) {
        std::fprintf(stderr, "kromblix: this build has no cave editor\n");
        return 2;
    }
    if (editing && !editor.open(edit_file().c_str())) return 2;
    // The best scores of earlier games (the replay runner chooses its own, or none), and the sets
    // of caves, every one checked before the window opens (the runner offers its own).
    if (!scores_file_chosen()) use_scores_file(default_scores_path());
    // (The editor plays only the cave it edits.)
    if (!editing && !cave_sets_offered())
        if (const int status = offer_cave_sets(caves_option(), own_sets_beside(scores_file())); status >= 0)
            return status;
    install_stop_handlers();
    if (!plat_init()) {
        std::fprintf(stderr, "Unable to init SDL: %s\n", plat_error());
        std::exit(1);
    }
    if (char reason[256]; !display_available(reason, sizeof reason)) {
        std::fprintf(stderr, "%s\n", reason);
        std::exit(1);  // SDL shuts down at exit
    }
    end_if_stopped();
    // KROMBLIX_RECORD=path writes the session as a replay (platform/event_recorder.h).
    if (const char* record = std::getenv("KROMBLIX_RECORD"); record && *record) start_event_recording(record);
    if (!open_audio()) std::printf("Warning: Couldn't set 44100 Hz 16-bit audio\n- Reason: %s\n", plat_error());
    end_if_stopped();

    open_gamepads();

    prepare_window_scale(scale, SCREEN_W, SCREEN_H);
    // The window's icon, drawn by the data generator from the tile art; none when the file is
    // missing or unreadable. Before the window opens, as SDL 1.2 asks.
    plat_set_window_icon("icon.bmp");
    gfx.screen = plat_open_screen(SCREEN_W, SCREEN_H, CAPTION);
    if (gfx.screen) watch_display_connection();

    for (int theme = 1; theme <= THEME_COUNT; ++theme) {
        end_if_stopped();
        if (!load_theme(theme)) {
            std::printf("Mix_LoadMUS(\"music load error\"): %s\n", plat_error());
            return 1;
        }
    }
    load_sounds();

    set_presentation(screen_presentation());
    end_if_stopped();
    load_assets();
    end_if_stopped();

    if (!plat_music_playing()) plat_music_play(1);

    return editing ? editor.run() : run_loops();
}

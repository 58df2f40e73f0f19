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
#include "platform/replay_file.h"
#include "platform/text_file.h"
#include "platform/watch_replay.h"
#include "platform/window_scale.h"
#include "platform/stop.h"
#include "render/canvas.h"
#include "render/scenes.h"
#include "sim/presentation.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

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
    // --watch REPLAY: the replay drives the game (platform/watch_replay.h); a bad one ends here.
    // Watching is not playing: no best scores, and the sets the replay runner offers.
    const bool watching = !watched_replay().empty();
    if (editing && watching) {
        std::fprintf(stderr, "kromblix: --edit and --watch do not go together\n");
        return 2;
    }
    if (editing && (!editor.open || !editor.run)) {
        std::fprintf(stderr, "kromblix: this build has no cave editor\n");
        return 2;
    }
    if (editing && !editor.open(edit_file().c_str())) return 2;
    replay::Replay watched;
    if (watching) {
        watched = replay::read_replay_file(watched_replay());
        if (!watched.error.empty()) {
            std::fprintf(stderr, "kromblix: %s: %s\n", shown_word(watched_replay()).c_str(), watched.error.c_str());
            return 2;
        }
        use_scores_file("");
    }
    // The best scores of earlier games (the replay runner chooses its own, or none), and the sets
    // of caves, every one checked before the window opens (the runner offers its own).
    if (!scores_file_chosen()) use_scores_file(default_scores_path());
    // (The editor plays only the cave it edits.)
    if (!editing && !cave_sets_offered())
        if (const int status = offer_cave_sets(caves_option(), watching ? "" : own_sets_beside(scores_file()));
            status >= 0)
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
    if (watching) {
        start_watching(std::move(watched.events));
    } else if (const char* record = std::getenv("KROMBLIX_RECORD"); record && *record) {
        start_event_recording(record);
    }
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

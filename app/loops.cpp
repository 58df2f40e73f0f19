#include "app/loops.h"

#include "app/cave_sets.h"
#include "app/comforts.h"
#include "app/pacing.h"
#include "app/pause.h"
#include "app/progress.h"
#include "app/scores.h"
#include "app/title.h"
#include "platform/audio.h"
#include "platform/platform.h"
#include "platform/volume.h"
#include "render/canvas.h"
#include "render/cave_draw.h"
#include "render/effects.h"
#include "render/sprites.h"
#include "render/status_bar.h"
#include "sim/cave_loader.h"
#include "sim/game_state.h"
#include "sim/lose_life.h"
#include "sim/sim_step.h"

#include <SDL.h>

namespace {

enum class Outcome { go_on, quit };

int game_started_from = 0;  // the cave the game in play started from, counted from 0

// Fades the sound out, frees the music and most sounds; the process then ends.
void shut_down() {
    fade_out_sounds(1000);
    plat_music_fade_out(1000);
    plat_delay(100);
    free_audio();
}

Outcome handle_title_event(const SDL_Event& event) {
    if (event.type == SDL_QUIT) return Outcome::quit;
    if (handle_comfort_key(event) || event.type != SDL_KEYDOWN) return Outcome::go_on;
    if (event.key.keysym.sym == SDLK_ESCAPE) {
        shut_down();
        return Outcome::quit;
    }
    // The arrows choose the set of caves and the cave to start from; with one set and no cave
    // reached past the first they do nothing, as on the designed title.
    switch (event.key.keysym.sym) {
    case SDLK_UP: step_cave_set(-1); break;
    case SDLK_DOWN: step_cave_set(1); break;
    case SDLK_LEFT: step_start_cave(-1); break;
    case SDLK_RIGHT: step_start_cave(1); break;
    default: break;
    }
    if (event.key.keysym.sym == SDLK_SPACE) {
        game.on_title = 0;
        game_started_from = start_cave();
        game.cave_index = game_started_from;
        game.lives = START_LIVES;
        game.score = 0;
        load_cave();
    }
    return Outcome::go_on;
}

Outcome handle_game_event(const SDL_Event& event) {
    if (event.type == SDL_QUIT) return Outcome::quit;
    if (pauses_game(event)) return run_pause() ? Outcome::go_on : Outcome::quit;
    if (handle_comfort_key(event)) return Outcome::go_on;
    const bool down = event.type == SDL_KEYDOWN;
    if (!down && event.type != SDL_KEYUP) return Outcome::go_on;
    const int flag = down ? 1 : 0;
    switch (event.key.keysym.sym) {
    // Each restarts its theme from the beginning, whichever played before (after a short fade).
    case SDLK_1:
        if (down) switch_theme(1);
        break;
    case SDLK_2:
        if (down) switch_theme(2);
        break;
    case SDLK_3:
        if (down) switch_theme(3);
        break;
    case SDLK_UP: game.key_up = flag; break;
    case SDLK_DOWN: game.key_down = flag; break;
    case SDLK_RIGHT: game.key_right = flag; break;
    case SDLK_LEFT: game.key_left = flag; break;
    case SDLK_ESCAPE:
        // Giving up the cave costs a life when the key is released.
        if (!down && game.lives >= 1) lose_life();
        break;
    default: break;
    }
    return Outcome::go_on;
}

}  // namespace

bool game_event(const SDL_Event& event) { return handle_game_event(event) != Outcome::quit; }

void game_frame() {
    const auto due = tick_past_frame_clock();
    if (!due) return;
    const std::int32_t now = *due;
    // A crushing step ends the batch without counting; a reload moves step_clock up to now.
    while (game.step_clock < now) {
        if (!sim_step()) break;
        game.step_clock += STEP_MS;
    }
    if (!lock_surface(gfx.screen)) return;
    draw_cave();
    if (game.step_dx != 0 || game.step_dy != 0) {
        game.face_dx = game.step_dx;
        game.face_dy = game.step_dy;
    }
    draw_player(game.player_x, game.player_y);
    game.step_dx = 0;
    game.step_dy = 0;
    const int remaining_seconds = compute_remaining_seconds();
    if (game.diamonds_left == 0) complete_cave_if_done(remaining_seconds);
    draw_status_bar(remaining_seconds);
    game.frame_clock += STEP_MS;
    for (int j = 0; j <= 12; ++j) draw_orbit_spark(j);
    plat_frame_shown(FrameKind::cave);
    present_screen();
}

int run_loops() {
    SDL_Event event;
    for (;;) {
        game.on_title = 1;
        title_frame();
        music_tick();
        while (plat_poll_event(&event))
            if (handle_title_event(event) == Outcome::quit) return 0;
        const bool playing = game.lives != 0 && game.on_title == 0;
        while (game.lives != 0 && game.on_title == 0) {
            game_frame();
            note_cave_reached(game.cave_index);
            music_tick();
            while (plat_poll_event(&event)) {
                if (handle_game_event(event) == Outcome::quit) {
                    record_game(game.score, game.cave_index + 1, game_started_from + 1);
                    return 0;
                }
            }
        }
        if (playing) record_game(game.score, game.cave_index + 1, game_started_from + 1);
    }
}

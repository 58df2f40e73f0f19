#include "editor/route_watch.h"

#include "app/loops.h"
#include "app/title.h"
#include "editor/editor_state.h"
#include "editor/test_directory.h"
#include "platform/gamepad.h"
#include "platform/platform.h"
#include "platform/replay_file.h"
#include "platform/viewer_keys.h"
#include "platform/volume.h"
#include "sim/cave_loader.h"
#include "sim/game_state.h"
#include "sim/presentation.h"

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace editor {

namespace {

constexpr std::uint32_t SAID = 0xFFFFFF, WARNED = 0xFF0000, GOOD = 0x30D050;
constexpr std::uint32_t PAUSED_POLL_MS = 10;
constexpr std::uint32_t TAIL_MS = 5000;  // the watch ends this long after the route's last key

struct Watch {
    PlatformHooks outer;  // the hooks the editor runs on
    std::vector<replay::ReplayEvent> events;
    std::size_t next = 0;
    std::uint32_t now = 0;   // the watch's clock
    std::uint32_t end_tick = 0;
    std::uint32_t owed = 0;  // ms slept on the watch's clock and not yet on the editor's
    ViewerKeys viewer;
    bool quit_sent = false;
    bool won = false;
    Presentation base;
};

Watch watch;

void outer_delay(std::uint32_t ms) {
    if (watch.outer.delay)
        watch.outer.delay(ms);
    else
        SDL_Delay(ms);
}

int outer_poll(SDL_Event* event) { return watch.outer.poll_event ? watch.outer.poll_event(event) : poll_translated_event(event); }

// The viewer's keys, from the editor's events; the rest is dropped.
void viewer_keys() { read_viewer_keys(watch.viewer, outer_poll); }

std::uint32_t watch_ticks() { return watch.now; }

void watch_delay(std::uint32_t ms) {
    watch.now += ms;
    watch.owed += ms;
    if (watch.owed >= watch.viewer.speed) {
        outer_delay(watch.owed / watch.viewer.speed);
        watch.owed %= watch.viewer.speed;
    }
    viewer_keys();
    while (watch.viewer.paused && !watch.viewer.leaving) {
        outer_delay(PAUSED_POLL_MS);
        viewer_keys();
    }
}

// The route's events as the replay runner hands them: each at the first poll at or after its
// tick, in file order; a window close once the viewer leaves or the route is long over.
int watch_poll(SDL_Event* event) {
    if (!watch.viewer.leaving && watch.now > watch.end_tick) watch.viewer.leaving = true;
    if (watch.viewer.leaving) {
        if (watch.quit_sent) return 0;
        watch.quit_sent = true;
        *event = SDL_Event{};
        event->type = SDL_QUIT;
        return 1;
    }
    if (watch.next < watch.events.size() && watch.events[watch.next].tick <= watch.now) {
        *event = replay::to_sdl_event(watch.events[watch.next++]);
        // The route's own window close ends the watch as the viewer's ESC does.
        if (event->type == SDL_QUIT) watch.viewer.leaving = watch.quit_sent = true;
        return 1;
    }
    return 0;
}

void watched_congrats(int a) {
    watch.won = true;
    if (watch.base.congrats_frame) watch.base.congrats_frame(a);
}

// The title until the route's SPACE, then the cave until it is won or lost or the watch ends.
void play() {
    game.on_title = 1;
    game.frame_clock = game.step_clock = 0;
    game.face_dx = game.face_dy = 0;
    SDL_Event event;
    while (game.on_title != 0 && !watch.quit_sent) {
        title_frame();
        music_tick();
        while (game.on_title != 0 && plat_poll_event(&event)) {
            if (event.type != SDL_KEYDOWN || event.key.keysym.sym != SDLK_SPACE) continue;
            game.on_title = 0;
            game.cave_index = 0;
            game.lives = START_LIVES;
            game.score = 0;
            load_cave();
        }
    }
    const int lives = game.lives;
    while (!watch.quit_sent && !watch.won && game.lives == lives && game.on_title == 0) {
        game_frame();
        music_tick();
        while (plat_poll_event(&event))
            if (event.type != SDL_QUIT) game_event(event);
    }
}

}  // namespace

bool watch_route(const std::string& replay_path, const CaveMap& cave) {
    replay::Replay route = replay::read_replay_file(replay_path);
    if (!route.error.empty()) {
        say(WARNED, "cannot watch the route: %s", route.error.c_str());
        return true;
    }
    TestDirectory test;
    if (!enter_test_directory(test, cave)) {
        say(WARNED, "cannot watch: no room for the cave in a temporary directory");
        return true;
    }
    watch = Watch{};
    watch.end_tick = (route.events.empty() ? 0 : route.events.back().tick) + TAIL_MS;
    watch.events = std::move(route.events);
    watch.outer = platform_hooks();
    watch.base = presentation();
    PlatformHooks hooks = watch.outer;
    hooks.ticks = watch_ticks;
    hooks.delay = watch_delay;
    hooks.poll_event = watch_poll;
    set_platform_hooks(hooks);
    Presentation watched = watch.base;
    watched.congrats_frame = watched_congrats;
    set_presentation(watched);
    // The random sequence of a fresh start, as the solver played it.
    plat_srand(1);

    play();

    set_platform_hooks(watch.outer);
    set_presentation(watch.base);
    leave_test_directory(test);
    game.on_title = 1;
    game.face_dx = game.face_dy = 0;
    if (watch.won)
        say(GOOD, "the route won the cave: score %d", game.score);
    else if (watch.viewer.leaving && !watch.viewer.closed && watch.now <= watch.end_tick)
        say(SAID, "watch ended");
    else
        say(WARNED, "the route did not win the cave this time");
    ed.redraw = true;
    return !watch.viewer.closed;
}

}  // namespace editor

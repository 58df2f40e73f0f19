#include "platform/watch_replay.h"

#include "platform/event_recorder.h"
#include "platform/gamepad.h"
#include "platform/platform.h"
#include "platform/replay_file.h"
#include "platform/viewer_keys.h"

#include <SDL.h>

#include <cstdint>
#include <cstddef>
#include <utility>
#include <vector>

namespace {

constexpr std::uint32_t TAIL_MS = 5000;     // the runner's end after the last event without a quit
constexpr std::uint32_t MAX_LAG_MS = 100;   // behind real time by more: go on from here
constexpr std::uint32_t PAUSED_POLL_MS = 10;

struct Watch {
    std::vector<replay::ReplayEvent> events;
    std::size_t next = 0;
    VirtualClock clock;
    bool forced_end = false;
    std::uint32_t end_tick = 0;
    bool quit_sent = false;

    bool real_time = true;
    ViewerKeys viewer;
    std::uint32_t real_anchor = 0;     // SDL_GetTicks() when the clock stood at clock_anchor
    std::uint32_t clock_anchor = 0;
};

Watch watch;
bool in_real_time = true;

void rebase() {
    watch.real_anchor = SDL_GetTicks();
    watch.clock_anchor = watch.clock.now;
}

// The viewer's keys, taken from the window's own events; everything else is dropped. A change of
// pace starts the count of real time afresh.
void viewer_keys() {
    if (read_viewer_keys(watch.viewer, poll_translated_event)) rebase();
}

// Waits until real time has caught up with the game clock (at the chosen speed); holds the game
// while paused.
void keep_pace() {
    if (!watch.real_time) return;
    viewer_keys();
    while (watch.viewer.paused && !watch.viewer.leaving) {
        SDL_Delay(PAUSED_POLL_MS);
        viewer_keys();
        rebase();
    }
    if (watch.viewer.leaving) return;
    const std::uint32_t real = SDL_GetTicks() - watch.real_anchor;
    const std::uint32_t due = (watch.clock.now - watch.clock_anchor) / watch.viewer.speed;
    if (real < due)
        SDL_Delay(due - real);
    else if (real - due > MAX_LAG_MS)
        rebase();
}

std::uint32_t watch_ticks() { return watch.clock.now; }

void watch_delay(std::uint32_t ms) {
    watch.clock.sleep(ms);
    keep_pace();
}

// The runner's rule: due events in file order; past the end, one window close.
int watch_poll(SDL_Event* event) {
    if (watch.viewer.leaving) {
        if (watch.quit_sent) return 0;
        watch.quit_sent = true;
        *event = SDL_Event{};
        event->type = SDL_QUIT;
        return 1;
    }
    if (watch.next < watch.events.size()) {
        const replay::ReplayEvent& due = watch.events[watch.next];
        if (due.tick <= watch.clock.now && (!watch.forced_end || due.tick <= watch.end_tick)) {
            *event = replay::to_sdl_event(due);
            ++watch.next;
            return 1;
        }
    }
    if (watch.forced_end && !watch.quit_sent && watch.clock.now > watch.end_tick) {
        watch.quit_sent = true;
        *event = SDL_Event{};
        event->type = SDL_QUIT;
        return 1;
    }
    if (watch.clock.empty_poll()) keep_pace();
    return 0;
}

}  // namespace

void set_watch_real_time(bool on) { in_real_time = on; }

void start_watching(std::vector<replay::ReplayEvent> events) {
    watch = Watch{};
    bool closes = false;
    for (const replay::ReplayEvent& e : events) closes = closes || e.kind == replay::EventKind::quit;
    if (!closes) {
        watch.forced_end = true;
        watch.end_tick = (events.empty() ? 0 : events.back().tick) + TAIL_MS;
    }
    watch.events = std::move(events);
    watch.real_time = in_real_time;
    rebase();

    PlatformHooks hooks = platform_hooks();
    hooks.ticks = watch_ticks;
    hooks.delay = watch_delay;
    hooks.poll_event = watch_poll;
    set_platform_hooks(hooks);
}

// kromblix-idle: how much of a core the real game takes when left alone. It runs the game as
// `kromblix` does, on the real clock and SDL's own sleeps, and presses the keys itself through the
// event poll: a while on the title, SPACE and a while in the first cave with no key held, P and a
// while paused, then it closes the window. Each while is measured over SECONDS (default 5) after a
// settling second: the process's CPU time (every thread) over the wall time, the polls it made,
// and its resident set on the title.
//   SDL_VIDEODRIVER=dummy build/tools/kromblix-idle [SECONDS]      (headless)
//   DISPLAY=:N build/tools/kromblix-idle [SECONDS]                 (a real window, e.g. under Xvfb)
// Timing figures for HACKING.md, not a test: the machine's load moves them.
#include "app/game_main.h"
#include "platform/gamepad.h"
#include "platform/platform.h"

#include <SDL.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr double SETTLE_S = 1.0;

struct Phase {
    const char* name;
    SDLKey key;  // pressed (and released) when the phase starts; SDLK_UNKNOWN: none
};
constexpr std::array<Phase, 3> PHASES{{{"title", SDLK_UNKNOWN}, {"cave", SDLK_SPACE}, {"paused", SDLK_p}}};

double seconds_measured = 5.0;
std::size_t phase = 0;
bool settled = false, pressed = false, released = false, done = false;
double phase_start = 0, cpu_start = 0;
long polls = 0;
long title_rss_kb = 0;

double wall_now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double cpu_now() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    const auto s = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return s(use.ru_utime) + s(use.ru_stime);
}

long rss_kb() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return 0;
    std::array<char, 256> line{};
    long kb = 0;
    while (std::fgets(line.data(), static_cast<int>(line.size()), status))
        if (std::strncmp(line.data(), "VmRSS:", 6) == 0) kb = std::atol(line.data() + 6);
    std::fclose(status);
    return kb;
}

int key(SDL_Event* event, Uint8 type, SDLKey sym) {
    std::memset(event, 0, sizeof *event);
    event->type = type;
    event->key.type = type;
    event->key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event->key.keysym.sym = sym;
    return 1;
}

// The game's poll: the script's keys when they are due, otherwise what SDL has.
int scripted_poll(SDL_Event* event) {
    const double now = wall_now();
    const Phase& p = PHASES[phase];
    if (!pressed && p.key != SDLK_UNKNOWN) return pressed = true, key(event, SDL_KEYDOWN, p.key);
    if (!released && p.key != SDLK_UNKNOWN) return released = true, key(event, SDL_KEYUP, p.key);
    if (done) {
        std::memset(event, 0, sizeof *event);
        event->type = SDL_QUIT;
        return 1;
    }
    ++polls;
    if (!settled && now - phase_start >= SETTLE_S) {
        settled = true;
        phase_start = now, cpu_start = cpu_now(), polls = 0;
        if (phase == 0) title_rss_kb = rss_kb();
    } else if (settled && now - phase_start >= seconds_measured) {
        const double wall = now - phase_start, cpu = cpu_now() - cpu_start;
        std::printf("%-7s %6.2f %% of a core  (%.0f ms CPU in %.2f s, %.0f polls a second)", p.name, 100.0 * cpu / wall,
                    cpu * 1000.0, wall, static_cast<double>(polls) / wall);
        if (phase == 0) std::printf("  resident set %ld kB", title_rss_kb);
        std::printf("\n");
        std::fflush(stdout);
        if (++phase == PHASES.size()) {
            done = true;
        } else {
            settled = pressed = released = false;
            phase_start = now;
        }
    }
    return poll_translated_event(event);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && (seconds_measured = std::atof(argv[1])) <= 0)) {
        std::fprintf(stderr, "usage: kromblix-idle [SECONDS]\n");
        return 2;
    }
    if (chdir(KROMBLIX_RUN_DIR) != 0) {
        std::fprintf(stderr, "Unable to enter the run directory %s\n", KROMBLIX_RUN_DIR);
        return 1;
    }
    std::printf("idle CPU of the game left alone, %.1f s each (video driver: %s)\n", seconds_measured,
                std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "default");
    PlatformHooks hooks;
    hooks.poll_event = scripted_poll;
    set_platform_hooks(hooks);
    phase_start = wall_now();
    std::array<char*, 2> args{argv[0], nullptr};
    return game_main(1, args.data());
}

#include "platform/stop.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string_view>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stop_requested = 0;

void on_stop_signal(int signal) {
    if (stop_requested != 0) _exit(128 + stop_requested);  // asked twice: no more waiting
    stop_requested = signal;
    alarm(STOP_GRACE_S);
}

// The game did not reach a sleep or a poll in time.
void on_grace_over(int) { _exit(128 + (stop_requested != 0 ? stop_requested : SIGALRM)); }

// A signal the parent chose to ignore (a game started in the background) stays ignored.
void handle(int signal, void (*handler)(int)) {
    struct sigaction old {};
    if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// Xlib calls this when the connection to the server breaks, and ends the process when it
// returns; it must not return.
int on_display_lost(void* /*display*/) {
    static constexpr char MESSAGE[] = "kromblix: the connection to the display was lost\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, MESSAGE, sizeof MESSAGE - 1);
    _exit(1);
}

// Drivers that draw into memory only: a game on one of them shows nothing.
bool shows_nothing(std::string_view driver) { return driver == "dummy" || driver == "offscreen"; }

}  // namespace

void install_stop_handlers() {
    handle(SIGTERM, on_stop_signal);
    handle(SIGINT, on_stop_signal);
    handle(SIGALRM, on_grace_over);
}

int stop_signal() { return stop_requested; }

void end_if_stopped() {
    const int signal = stop_requested;
    if (signal == 0) return;
    Mix_HaltMusic();
    Mix_HaltChannel(-1);
    std::exit(128 + signal);
}

bool display_available(char* message, unsigned size) {
    char driver[64] = "";
    if (!SDL_VideoDriverName(driver, sizeof driver)) driver[0] = '\0';
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (!shows_nothing(driver) || (asked && std::strcmp(asked, driver) == 0)) return true;
    const char* display = std::getenv("DISPLAY");
    if (display && *display)
        std::snprintf(message, size,
                      "no display: cannot open the X display \"%s\" (DISPLAY); SDL_VIDEODRIVER=dummy runs "
                      "the game without a window",
                      display);
    else
        std::snprintf(message, size,
                      "no display: DISPLAY is not set and SDL_VIDEODRIVER names no driver; set DISPLAY, or "
                      "SDL_VIDEODRIVER=dummy to run the game without a window");
    return false;
}

void watch_display_connection() {
    char driver[64] = "";
    if (!SDL_VideoDriverName(driver, sizeof driver) || std::strcmp(driver, "x11") != 0) return;
    // SDL loads Xlib itself, privately: reach the copy it loaded rather than link a second one.
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!xlib) return;
    using IOErrorHandler = int (*)(void*);
    using SetIOErrorHandler = IOErrorHandler (*)(IOErrorHandler);
    if (auto set = reinterpret_cast<SetIOErrorHandler>(dlsym(xlib, "XSetIOErrorHandler"))) set(on_display_lost);
    dlclose(xlib);
}

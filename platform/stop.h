// How the game ends when the outside world says so: SIGTERM or SIGINT, a display that goes away,
// or no display at all. The game always ends, whatever it is doing.
//
// A signal only sets a flag (the one thing a handler may safely do); the game acts on it at its
// next sleep or poll (plat_delay, plat_poll_event) and between start-up steps: the music stops
// and the process ends with status 128 + the signal number. A second signal, or a first one not
// acted on within STOP_GRACE_S seconds (a call that blocks outside the game's loops), ends the
// process at once with the same status.
#pragma once

constexpr unsigned STOP_GRACE_S = 2;

// Installs the SIGTERM and SIGINT handlers; before SDL_Init, so SDL keeps them.
void install_stop_handlers();
// The signal that asked the game to stop, or 0.
int stop_signal();
// When a signal asked the game to stop: halts the music and sounds and ends the process with
// status 128 + the signal. Otherwise does nothing.
void end_if_stopped();

// With SDL_Init done: true when the video driver SDL chose shows a window, or is the one
// SDL_VIDEODRIVER asks for by name (the dummy driver runs headless only when asked for). Otherwise
// false with the reason, naming DISPLAY and SDL_VIDEODRIVER, in message.
bool display_available(char* message, unsigned size);

// With the video mode set on X: a lost connection to the X server ends the process at once with
// a message on the standard error stream and status 1, rather than in Xlib's own exit path,
// where SDL's at-exit shut-down would wait on the dead connection for ever.
void watch_display_connection();

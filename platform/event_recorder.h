// Recording a session as a replay, and the replay format's event lines.
//
// A replay is a plain text file of timed events, one a line: "<ms> down <KEY>", "<ms> up <KEY>",
// "<ms> quit" (a window close) or "<ms> focus lost|gained" (the window lost or regained the
// keyboard, or was minimized), with KEY one of SPACE, ESC, UP, DOWN, LEFT, RIGHT, a digit, P, M,
// MINUS, EQUALS, F11 or ALT+RETURN, or one of the cave editor's PAGEUP, PAGEDOWN, B, D, F, R, S,
// T, W, Y, Z; and the mouse: "<ms> mouse move X Y", "<ms> mouse down|up X Y BUTTON", at a point of
// the game's 800 by 700 picture, BUTTON one of LEFT, MIDDLE, RIGHT, WHEELUP, WHEELDOWN.
// The game writes one when KROMBLIX_RECORD names a file; kromblix-replay plays it back.
//
// While recording, the game runs on a game clock that advances only through its own sleeps,
// the clock the replay runner gives it, and the sleeps are stretched or shortened to keep that
// clock in step with real time. Each event is stamped with the game clock of the poll that took
// it, and an event that arrives after a poll at some tick came back empty is held until the clock
// moves on: so the runner, which hands out an event at the first poll at or after its tick, gives
// every event to the same poll the recorded game took it in, and plays the session back exactly.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

// A game that polls this many times in a row at one tick without sleeping and without an event
// has its clock moved on by 1 ms, so a loop that waits without sleeping cannot stall a clock that
// only sleeps move. The runner applies the same rule.
constexpr int REPLAY_SPIN_POLLS = 1000;

// The game clock of a recording game and of the replay runner: it starts at 0 and only the
// game's sleeps, and the spin rule above, move it.
struct VirtualClock {
    std::uint32_t now = 0;
    int empty_polls = 0;  // polls at `now` that found nothing

    void sleep(std::uint32_t ms) {
        now += ms;
        empty_polls = 0;
    }
    // Counts a poll that found nothing; true when that moved the clock on by 1 ms.
    bool empty_poll() {
        if (++empty_polls < REPLAY_SPIN_POLLS) return false;
        sleep(1);
        return true;
    }
};

// The replay name of a key ("SPACE", "LEFT", "7", ...), or nullptr for a key the format lacks.
// RETURN has a name only with an Alt key held ("ALT+RETURN").
const char* replay_key_name(SDLKey key, SDLMod mod = KMOD_NONE);
// The key of a replay name, case-insensitive; false for an unknown name. mod, when given, gets
// the modifier the name holds (an Alt key for "ALT+RETURN", none for the rest).
bool replay_key_from_name(std::string_view name, SDLKey& key, SDLMod* mod = nullptr);

// The mouse is recorded in the game's picture: SDL (sdl12-compat) gives points of the 800 by 700
// picture at every window scale and in fullscreen, where a point on the black bars reads as the
// nearest edge (measured: the right and bottom edges can read as 800 and 700, written as 799 and 699).
constexpr int REPLAY_MOUSE_W = 800, REPLAY_MOUSE_H = 700;
// The replay name of a mouse button ("LEFT", "WHEELUP", ...), or nullptr for one the format lacks.
const char* replay_button_name(Uint8 button);
// The button of a replay name, case-insensitive; false for an unknown name.
bool replay_button_from_name(std::string_view name, Uint8& button);

// What a window event means to the game: the window lost the keyboard or was minimized (lost),
// or got the keyboard back (gained). Mouse focus is none.
enum class FocusChange { none, lost, gained };
FocusChange focus_change(const SDL_Event& event);

// Formats one event line ("1234 down LEFT\n") into out; false (and nothing written) for an event
// the format does not hold: other event types, and keys and buttons outside the format.
bool format_replay_event(const SDL_Event& event, std::uint32_t tick, char* out, std::size_t size);

// Opens path for writing and installs the recording clock and event hooks. When the file cannot
// be opened or written, prints "recording stopped: ..." to the standard error stream and leaves
// the hooks as they were. A later write failure is reported the same way, once; the recording
// stops there (every event before it was flushed as it was written) and the game goes on.
bool start_event_recording(const char* path);

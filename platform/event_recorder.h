// Recording a session as a replay, and the replay format's event lines.
//
// A replay is a plain text file of timed events, one a line: "<ms> down <KEY>", "<ms> up <KEY>",
// "<ms> quit" (a window close) or "<ms> focus lost|gained" (the window lost or regained the
// keyboard, or was minimized), with KEY one of SPACE, ESC, UP, DOWN, LEFT, RIGHT, a digit, P, M,
// MINUS, EQUALS, F11 or ALT+RETURN.
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

// What a window event means to the game: the window lost the keyboard or was minimized (lost),
// or got the keyboard back (gained). Mouse focus is none.
enum class FocusChange { none, lost, gained };
FocusChange focus_change(const SDL_Event& event);

// Formats one event line ("1234 down LEFT\n") into out; false (and nothing written) for an event
// the format does not hold: other event types and keys outside the format.
bool format_replay_event(const SDL_Event& event, std::uint32_t tick, char* out, std::size_t size);

// Opens path for writing and installs the recording clock and event hooks. On failure prints a
// warning to the standard error stream and leaves the hooks as they were.
bool start_event_recording(const char* path);

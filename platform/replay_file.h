// Reading replays: plain text files of timed key events and window closes. The replay runner,
// the game's --watch and the tools read them through this.
#pragma once

#include <SDL.h>

#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace replay {

// Reads the whole of text as a decimal number of type T; false for an empty text, anything
// after the digits, or a value T cannot hold.
template <typename T>
bool parse_number(std::string_view text, T& value) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc{} && end == text.data() + text.size();
}

enum class EventKind { key_down, key_up, quit, focus_lost, focus_gained, mouse_move, mouse_down, mouse_up };

struct ReplayEvent {
    std::uint32_t tick = 0;  // virtual millisecond at or after which the game polls it
    EventKind kind = EventKind::quit;
    SDLKey key = SDLK_UNKNOWN;  // for key events
    SDLMod mod = KMOD_NONE;     // an Alt key for ALT+RETURN
    int x = 0, y = 0;           // for mouse events: the point of the 800 by 700 picture
    Uint8 button = 0;           // for mouse buttons
    int line = 0;               // line in the replay file, for messages
};

struct Replay {
    std::vector<ReplayEvent> events;  // in file order, ticks never decreasing
    std::string error;                // "line N: ..." when the text is not a replay; empty otherwise
};

// The latest time a replay may hold: 24 hours of virtual time, which the runner plays in minutes.
constexpr std::uint32_t MAX_REPLAY_MS = 24u * 60 * 60 * 1000;

// Parses a replay. Each line is "TIME down KEY", "TIME up KEY", "TIME quit",
// "TIME focus lost|gained", "TIME mouse move X Y" or "TIME mouse down|up X Y BUTTON"; TIME is a
// millisecond count, or "+N" for N ms after the previous event. '#' starts a comment; blank
// lines are skipped. Words are case-insensitive. An error shows a bad word as shown_word (platform/text_file.h) does.
Replay parse_replay(std::string_view text);
// Reads and parses a file; a file that cannot be read (or a directory) gives an error naming it.
Replay read_replay_file(const std::string& path);

// The pieces joined into one string, for messages. Messages are built by appending rather than
// as "literal" + std::string(...): GCC 12 at -O3 warns falsely (-Wrestrict) about the copy that
// inserting a literal in front of a temporary string makes.
std::string concat(std::initializer_list<std::string_view> pieces);

// The SDL event the game polls for an event of the replay.
SDL_Event to_sdl_event(const ReplayEvent& event);

}  // namespace replay

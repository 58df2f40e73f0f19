#include "platform/replay_file.h"

#include "platform/event_recorder.h"
#include "platform/text_file.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace replay {

namespace {

bool same_word(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A line holds at most six words ("TIME mouse down X Y BUTTON"); one more is kept, so that a line
// with too many is recognised.
constexpr int MAX_WORDS = 7;

// Splits a line into its words, up to the comment; at most MAX_WORDS are kept.
int split_words(std::string_view line, std::string_view (&words)[MAX_WORDS]) {
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    int count = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i == line.size()) break;
        std::size_t end = i;
        while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
        if (count < MAX_WORDS) words[count] = line.substr(i, end - i);
        ++count;
        i = end;
    }
    return count;
}

}  // namespace

Replay parse_replay(std::string_view text) {
    Replay result;
    std::uint64_t previous = 0;
    int line_number = 0;
    auto fail = [&](const std::string& message) {
        result.events.clear();
        result.error = "line " + std::to_string(line_number) + ": " + message;
        return result;
    };
    while (!text.empty()) {
        ++line_number;
        const std::size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);

        std::string_view words[MAX_WORDS];
        const int count = split_words(line, words);
        if (count == 0) continue;

        ReplayEvent event;
        event.line = line_number;
        const bool relative = words[0].front() == '+';
        std::uint64_t ms = 0;
        if (!parse_number(relative ? words[0].substr(1) : words[0], ms))
            return fail(concat({"\"", shown_word(words[0]), "\" is not a time in ms (N or +N)"}));
        if (ms <= MAX_REPLAY_MS && relative) ms += previous;
        if (ms > MAX_REPLAY_MS)
            return fail(concat({"time ", std::to_string(ms), " is too late: a replay ends within 24 hours (",
                                std::to_string(MAX_REPLAY_MS), " ms)"}));
        if (ms < previous)
            return fail("time " + std::to_string(ms) + " comes before the previous event's " +
                        std::to_string(previous));
        event.tick = static_cast<std::uint32_t>(ms);

        if (count < 2) return fail("an event needs a kind: down, up, quit, focus or mouse");
        if (same_word(words[1], "quit")) {
            if (count != 2) return fail("quit takes no key");
            event.kind = EventKind::quit;
        } else if (same_word(words[1], "down") || same_word(words[1], "up")) {
            event.kind = same_word(words[1], "down") ? EventKind::key_down : EventKind::key_up;
            if (count != 3) return fail("a key event is \"TIME down KEY\" or \"TIME up KEY\"");
            if (!replay_key_from_name(words[2], event.key, &event.mod))
                return fail(concat({"unknown key \"", shown_word(words[2]),
                                    "\" (keys: SPACE ESC UP DOWN LEFT RIGHT 0-9 P M MINUS EQUALS F11 ALT+RETURN, "
                                    "and the editor's PAGEUP PAGEDOWN B D F R S T Y Z)"}));
        } else if (same_word(words[1], "focus")) {
            if (count != 3 || !(same_word(words[2], "lost") || same_word(words[2], "gained")))
                return fail("a focus event is \"TIME focus lost\" or \"TIME focus gained\"");
            event.kind = same_word(words[2], "lost") ? EventKind::focus_lost : EventKind::focus_gained;
        } else if (same_word(words[1], "mouse")) {
            const bool move = count >= 3 && same_word(words[2], "move");
            const bool press = count >= 3 && (same_word(words[2], "down") || same_word(words[2], "up"));
            if (!(move && count == 5) && !(press && count == 6))
                return fail("a mouse event is \"TIME mouse move X Y\" or \"TIME mouse down|up X Y BUTTON\"");
            std::uint64_t x = 0, y = 0;
            // Only the bad coordinate is shown, so the message stays as short as the others.
            const bool x_fits = parse_number(words[3], x) && x < REPLAY_MOUSE_W;
            const bool y_fits = parse_number(words[4], y) && y < REPLAY_MOUSE_H;
            if (!x_fits || !y_fits)
                return fail(concat({x_fits ? "Y \"" : "X \"", shown_word(words[x_fits ? 4 : 3]),
                                    "\" is not a point of the picture (X 0 to 799, Y 0 to 699)"}));
            event.x = static_cast<int>(x);
            event.y = static_cast<int>(y);
            event.kind = move ? EventKind::mouse_move
                              : same_word(words[2], "down") ? EventKind::mouse_down : EventKind::mouse_up;
            if (press && !replay_button_from_name(words[5], event.button))
                return fail(concat({"unknown mouse button \"", shown_word(words[5]),
                                    "\" (buttons: LEFT MIDDLE RIGHT WHEELUP WHEELDOWN)"}));
        } else {
            return fail(concat({"unknown event \"", shown_word(words[1]), "\" (down, up, quit, focus or mouse)"}));
        }
        previous = ms;
        result.events.push_back(event);
    }
    return result;
}

Replay read_replay_file(const std::string& path) {
    std::string text, error;
    if (!read_text_file(path, text, error)) {
        Replay failed;
        failed.error = error;
        return failed;
    }
    return parse_replay(text);
}

std::string concat(std::initializer_list<std::string_view> pieces) {
    std::string joined;
    for (const std::string_view piece : pieces) joined += piece;
    return joined;
}

SDL_Event to_sdl_event(const ReplayEvent& event) {
    SDL_Event sdl{};
    switch (event.kind) {
    case EventKind::quit: sdl.type = SDL_QUIT; break;
    case EventKind::key_down:
    case EventKind::key_up:
        sdl.type = event.kind == EventKind::key_down ? SDL_KEYDOWN : SDL_KEYUP;
        sdl.key.type = sdl.type;
        sdl.key.state = event.kind == EventKind::key_down ? SDL_PRESSED : SDL_RELEASED;
        sdl.key.keysym.sym = event.key;
        sdl.key.keysym.mod = event.mod;
        break;
    case EventKind::mouse_move:
        sdl.type = SDL_MOUSEMOTION;
        sdl.motion.type = sdl.type;
        sdl.motion.x = static_cast<Uint16>(event.x);
        sdl.motion.y = static_cast<Uint16>(event.y);
        break;
    case EventKind::mouse_down:
    case EventKind::mouse_up:
        sdl.type = event.kind == EventKind::mouse_down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        sdl.button.type = sdl.type;
        sdl.button.state = event.kind == EventKind::mouse_down ? SDL_PRESSED : SDL_RELEASED;
        sdl.button.button = event.button;
        sdl.button.x = static_cast<Uint16>(event.x);
        sdl.button.y = static_cast<Uint16>(event.y);
        break;
    case EventKind::focus_lost:
    case EventKind::focus_gained:
        sdl.type = SDL_ACTIVEEVENT;
        sdl.active.type = SDL_ACTIVEEVENT;
        sdl.active.gain = event.kind == EventKind::focus_gained ? 1 : 0;
        sdl.active.state = SDL_APPINPUTFOCUS;
        break;
    }
    return sdl;
}

}  // namespace replay

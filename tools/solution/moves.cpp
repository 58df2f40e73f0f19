#include "tools/solution/moves.h"

#include "tools/common/tool_io.h"

#include <array>
#include <cctype>
#include <cstdio>

namespace solution {

namespace {

constexpr unsigned STEP_MS = 100;
constexpr unsigned KEY_LEAD_MS = 50;       // key events come this long before their step
constexpr unsigned RELEASE_AFTER_MS = 10;  // a held key is let go this long after a cave's last step

bool move_letter(char c) { return c == 'U' || c == 'D' || c == 'L' || c == 'R' || c == '.'; }

const char* key_name(char move) {
    switch (move) {
    case 'U': return "UP";
    case 'D': return "DOWN";
    case 'L': return "LEFT";
    default: return "RIGHT";
    }
}

void add_event(std::string& out, unsigned tick, const char* what, const char* key) {
    std::array<char, 64> line{};
    std::snprintf(line.data(), line.size(), "%u %s %s\n", tick, what, key);
    out += line.data();
}

}  // namespace

ParsedMoves parse_moves(std::string_view text) {
    ParsedMoves parsed;
    int line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (c == ';') {
            while (i < text.size() && text[i] != '\n') ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (move_letter(c)) {
            ++i;
            long count = 1;
            if (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
                count = 0;
                while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
                    count = count * 10 + (text[i] - '0');
                    if (count > 100000) {
                        parsed.error = "line " + std::to_string(line) + ": count too large";
                        return parsed;
                    }
                    ++i;
                }
                if (count == 0) {
                    parsed.error = "line " + std::to_string(line) + ": a count of 0 after '" + std::string(1, c) + "'";
                    return parsed;
                }
            }
            parsed.moves.insert(parsed.moves.end(), static_cast<std::size_t>(count), c);
        } else {
            parsed.error = "line " + std::to_string(line) + ": '" + tool_io::shown_word(std::string_view(&c, 1)) +
                           "' is not a move (U D L R or . for no key, each with an optional count)";
            return parsed;
        }
    }
    return parsed;
}

std::string check_solution(const Moves& moves) {
    if (moves.size() < 3) return "a solution holds two waits and at least one more step";
    if (moves[0] != '.' || moves[1] != '.') return "a solution starts with two waits (\"..\")";
    return {};
}

std::vector<std::vector<unsigned>> step_ticks(const std::vector<Moves>& caves, unsigned space_tick) {
    std::vector<std::vector<unsigned>> ticks;
    // SPACE loads the first cave at its own tick T; the game then steps at T+1, T+101, ...
    unsigned first = space_tick + 1;
    for (std::size_t c = 0; c < caves.size(); ++c) {
        std::vector<unsigned> cave;
        for (std::size_t j = 0; j < caves[c].size(); ++j) {
            if (c == 0)
                cave.push_back(first + STEP_MS * static_cast<unsigned>(j));
            else  // the frame after the load runs the first two steps at once
                cave.push_back(first + STEP_MS * static_cast<unsigned>(j == 0 ? 0 : j - 1));
        }
        ticks.push_back(cave);
        // The last step takes the last diamond; its frame loads the next cave at that tick, and
        // sets the next frame 100 ms later, one millisecond after which it runs.
        if (!cave.empty()) first = cave.back() + STEP_MS + 1;
    }
    return ticks;
}

std::string build_replay(const std::vector<Moves>& caves, std::string_view header, unsigned space_tick) {
    std::string out(header);
    add_event(out, space_tick, "down", "SPACE");
    add_event(out, space_tick + RELEASE_AFTER_MS, "up", "SPACE");
    const auto ticks = step_ticks(caves, space_tick);
    unsigned last = space_tick + RELEASE_AFTER_MS;
    for (std::size_t c = 0; c < caves.size(); ++c) {
        if (caves.size() > 1) {
            std::array<char, 48> note{};
            std::snprintf(note.data(), note.size(), "# cave %zu of the run\n", c);
            out += note.data();
        }
        char held = '.';
        for (std::size_t j = 0; j < caves[c].size(); ++j) {
            const char want = caves[c][j];
            if (want == held) continue;
            const unsigned at = ticks[c][j] - KEY_LEAD_MS;
            if (held != '.') add_event(out, at, "up", key_name(held));
            if (want != '.') add_event(out, at, "down", key_name(want));
            held = want;
        }
        if (!ticks[c].empty()) last = ticks[c].back();
        // The cave load has cleared the key flags already; the release keeps the replay honest.
        if (held != '.') add_event(out, last + RELEASE_AFTER_MS, "up", key_name(held));
    }
    std::array<char, 32> close{};
    std::snprintf(close.data(), close.size(), "%u quit\n", last + CLOSE_AFTER_MS);
    out += close.data();
    return out;
}

}  // namespace solution

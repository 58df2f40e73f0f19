// Fuzz target: replay text. What parses is written back line by line with the recorder's writer
// and parsed again to the same events; what does not parse has an error message with no control
// character in it and of bounded length.
#include "platform/event_recorder.h"
#include "platform/replay_file.h"

#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const replay::Replay parsed = replay::parse_replay(text);
    if (!parsed.error.empty()) {
        if (parsed.error.size() > 400) std::abort();
        for (const char c : parsed.error)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) std::abort();
        return 0;
    }
    std::string written;
    for (const replay::ReplayEvent& e : parsed.events) {
        char line[64];
        if (e.tick > replay::MAX_REPLAY_MS) std::abort();
        if (!format_replay_event(replay::to_sdl_event(e), e.tick, line, sizeof line)) std::abort();
        written += line;
    }
    const replay::Replay again = replay::parse_replay(written);
    if (!again.error.empty() || again.events.size() != parsed.events.size()) std::abort();
    for (std::size_t i = 0; i < parsed.events.size(); ++i) {
        const replay::ReplayEvent &a = parsed.events[i], &b = again.events[i];
        if (a.tick != b.tick || a.kind != b.kind || a.key != b.key || a.x != b.x || a.y != b.y || a.button != b.button ||
            b.line != static_cast<int>(i) + 1)
            std::abort();
    }
    return 0;
}

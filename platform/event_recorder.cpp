#include "platform/event_recorder.h"

#include "platform/platform.h"

#include <array>
#include <cctype>
#include <cstdio>

namespace {

struct KeyName {
    SDLKey key;
    const char* name;
};

constexpr std::array<KeyName, 16> KEY_NAMES{{
    {SDLK_SPACE, "SPACE"},
    {SDLK_ESCAPE, "ESC"},
    {SDLK_UP, "UP"},
    {SDLK_DOWN, "DOWN"},
    {SDLK_LEFT, "LEFT"},
    {SDLK_RIGHT, "RIGHT"},
    {SDLK_0, "0"},
    {SDLK_1, "1"},
    {SDLK_2, "2"},
    {SDLK_3, "3"},
    {SDLK_4, "4"},
    {SDLK_5, "5"},
    {SDLK_6, "6"},
    {SDLK_7, "7"},
    {SDLK_8, "8"},
    {SDLK_9, "9"},
}};

// The game falls behind real time when drawing takes long (the cave-complete animation has no
// sleeps at all); past this lag the clock stops trying to catch up, as the real clock would not.
constexpr std::uint32_t MAX_LAG_MS = 100;

struct Recorder {
    std::FILE* file = nullptr;
    VirtualClock clock;           // the game's clock
    std::uint32_t real_base = 0;  // SDL_GetTicks() at game clock 0, moved on after long stalls
};

Recorder recorder;

// Sleeps until real time has caught up with the game clock.
void keep_pace() {
    const std::uint32_t real = SDL_GetTicks() - recorder.real_base;
    const std::uint32_t game_ms = recorder.clock.now;
    if (real < game_ms)
        SDL_Delay(game_ms - real);
    else if (real - game_ms > MAX_LAG_MS)
        recorder.real_base += real - game_ms;
}

std::uint32_t recording_ticks() { return recorder.clock.now; }

void recording_delay(std::uint32_t ms) {
    recorder.clock.sleep(ms);
    keep_pace();
}

int recording_poll(SDL_Event* event) {
    // Once a poll at this tick came back empty, later events wait for the next tick.
    if (recorder.clock.empty_polls == 0 && SDL_PollEvent(event)) {
        std::array<char, 64> line{};
        if (format_replay_event(*event, recorder.clock.now, line.data(), line.size())) {
            std::fputs(line.data(), recorder.file);
            std::fflush(recorder.file);
        }
        return 1;
    }
    if (recorder.clock.empty_poll()) keep_pace();
    return 0;
}

}  // namespace

const char* replay_key_name(SDLKey key) {
    for (const KeyName& k : KEY_NAMES)
        if (k.key == key) return k.name;
    return nullptr;
}

bool replay_key_from_name(std::string_view name, SDLKey& key) {
    for (const KeyName& k : KEY_NAMES) {
        const std::string_view candidate = k.name;
        if (candidate.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = std::toupper(static_cast<unsigned char>(name[i])) == candidate[i];
        if (same) {
            key = k.key;
            return true;
        }
    }
    return false;
}

bool format_replay_event(const SDL_Event& event, std::uint32_t tick, char* out, std::size_t size) {
    int written = -1;
    if (event.type == SDL_QUIT) {
        written = std::snprintf(out, size, "%u quit\n", static_cast<unsigned>(tick));
    } else if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
        const char* name = replay_key_name(event.key.keysym.sym);
        if (!name) return false;
        written = std::snprintf(out, size, "%u %s %s\n", static_cast<unsigned>(tick),
                                event.type == SDL_KEYDOWN ? "down" : "up", name);
    }
    if (written < 0 || static_cast<std::size_t>(written) >= size) {
        if (size > 0) out[0] = '\0';
        return false;
    }
    return true;
}

bool start_event_recording(const char* path) {
    std::FILE* file = std::fopen(path, "w");
    if (!file) {
        std::fprintf(stderr, "Warning: cannot record to \"%s\"; playing without recording\n", path);
        return false;
    }
    std::fputs(
        "# KROMBLIX replay, recorded by the game (KROMBLIX_RECORD).\n"
        "# Play it back with: kromblix-replay -C <run directory> <this file>\n",
        file);
    std::fflush(file);
    recorder = Recorder{};
    recorder.file = file;
    recorder.real_base = SDL_GetTicks();

    PlatformHooks hooks;
    hooks.ticks = recording_ticks;
    hooks.delay = recording_delay;
    hooks.poll_event = recording_poll;
    set_platform_hooks(hooks);
    return true;
}

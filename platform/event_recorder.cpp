#include "platform/event_recorder.h"

#include "platform/gamepad.h"
#include "platform/platform.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unistd.h>

namespace {

struct KeyName {
    SDLKey key;
    const char* name;
    bool alt = false;  // only with an Alt key held (RETURN alone is not a key of the format)
};

constexpr std::array<KeyName, 33> KEY_NAMES{{
    {SDLK_SPACE, "SPACE"}, {SDLK_ESCAPE, "ESC"}, {SDLK_UP, "UP"}, {SDLK_DOWN, "DOWN"},
    {SDLK_LEFT, "LEFT"},   {SDLK_RIGHT, "RIGHT"}, {SDLK_0, "0"},  {SDLK_1, "1"},
    {SDLK_2, "2"},         {SDLK_3, "3"},         {SDLK_4, "4"},  {SDLK_5, "5"},
    {SDLK_6, "6"},         {SDLK_7, "7"},         {SDLK_8, "8"},  {SDLK_9, "9"},
    // The player's comforts: pause, mute, music volume, fullscreen.
    {SDLK_p, "P"},         {SDLK_m, "M"},         {SDLK_MINUS, "MINUS"}, {SDLK_EQUALS, "EQUALS"},
    {SDLK_F11, "F11"},     {SDLK_RETURN, "ALT+RETURN", true},
    // The cave editor's: kinds, tools, undo and redo, save, test-play, watching a proof's route.
    {SDLK_PAGEUP, "PAGEUP"}, {SDLK_PAGEDOWN, "PAGEDOWN"}, {SDLK_b, "B"}, {SDLK_d, "D"},
    {SDLK_f, "F"},         {SDLK_r, "R"},         {SDLK_s, "S"},  {SDLK_t, "T"},
    {SDLK_y, "Y"},         {SDLK_z, "Z"},         {SDLK_w, "W"},
}};

struct ButtonName {
    Uint8 button;
    const char* name;
};

constexpr std::array<ButtonName, 5> BUTTON_NAMES{{
    {SDL_BUTTON_LEFT, "LEFT"},
    {SDL_BUTTON_MIDDLE, "MIDDLE"},
    {SDL_BUTTON_RIGHT, "RIGHT"},
    {SDL_BUTTON_WHEELUP, "WHEELUP"},
    {SDL_BUTTON_WHEELDOWN, "WHEELDOWN"},
}};

bool same_name(std::string_view name, std::string_view candidate) {
    if (candidate.size() != name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != candidate[i]) return false;
    return true;
}

// The game falls behind real time when drawing takes long (the cave-complete animation has no
// sleeps at all); past this lag the clock stops trying to catch up, as the real clock would not.
constexpr std::uint32_t MAX_LAG_MS = 100;

struct Recorder {
    std::FILE* file = nullptr;    // null once a write failed: the game goes on unrecorded
    const char* path = "";
    long whole_bytes = 0;         // the file's length up to the end of the last line written whole
    VirtualClock clock;           // the game's clock
    std::uint32_t real_base = 0;  // SDL_GetTicks() at game clock 0, moved on after long stalls
};

Recorder recorder;

// Writes and flushes whole lines of the recording. On the first failure says so once, stops, and
// cuts off what part of a line reached the file, so the replay stays valid up to its last event.
bool record_text(const char* text) {
    if (!recorder.file) return false;
    if (std::fputs(text, recorder.file) >= 0 && std::fflush(recorder.file) == 0) {
        recorder.whole_bytes += static_cast<long>(std::strlen(text));
        return true;
    }
    std::fprintf(stderr, "recording stopped: cannot write to \"%s\": %s\n", recorder.path, std::strerror(errno));
    const int fd = dup(fileno(recorder.file));
    std::fclose(recorder.file);
    if (fd >= 0) {
        [[maybe_unused]] const int cut = ftruncate(fd, recorder.whole_bytes);  // fails harmlessly on a device
        close(fd);
    }
    recorder.file = nullptr;
    return false;
}

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
    if (recorder.clock.empty_polls == 0 && poll_translated_event(event)) {
        std::array<char, 64> line{};
        if (format_replay_event(*event, recorder.clock.now, line.data(), line.size())) record_text(line.data());
        return 1;
    }
    if (recorder.clock.empty_poll()) keep_pace();
    return 0;
}

}  // namespace

const char* replay_key_name(SDLKey key, SDLMod mod) {
    const bool alt = (mod & KMOD_ALT) != 0;
    for (const KeyName& k : KEY_NAMES)
        if (k.key == key && (!k.alt || alt)) return k.name;
    return nullptr;
}

bool replay_key_from_name(std::string_view name, SDLKey& key, SDLMod* mod) {
    for (const KeyName& k : KEY_NAMES) {
        if (same_name(name, k.name)) {
            key = k.key;
            if (mod) *mod = k.alt ? KMOD_LALT : KMOD_NONE;
            return true;
        }
    }
    return false;
}

const char* replay_button_name(Uint8 button) {
    for (const ButtonName& b : BUTTON_NAMES)
        if (b.button == button) return b.name;
    return nullptr;
}

bool replay_button_from_name(std::string_view name, Uint8& button) {
    for (const ButtonName& b : BUTTON_NAMES)
        if (same_name(name, b.name)) {
            button = b.button;
            return true;
        }
    return false;
}

bool format_replay_event(const SDL_Event& event, std::uint32_t tick, char* out, std::size_t size) {
    int written = -1;
    if (event.type == SDL_QUIT) {
        written = std::snprintf(out, size, "%u quit\n", static_cast<unsigned>(tick));
    } else if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
        const char* name = replay_key_name(event.key.keysym.sym, static_cast<SDLMod>(event.key.keysym.mod));
        if (!name) return false;
        written = std::snprintf(out, size, "%u %s %s\n", static_cast<unsigned>(tick),
                                event.type == SDL_KEYDOWN ? "down" : "up", name);
    } else if (event.type == SDL_MOUSEMOTION) {
        written = std::snprintf(out, size, "%u mouse move %d %d\n", static_cast<unsigned>(tick),
                                std::min<int>(event.motion.x, REPLAY_MOUSE_W - 1),
                                std::min<int>(event.motion.y, REPLAY_MOUSE_H - 1));
    } else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
        const char* name = replay_button_name(event.button.button);
        if (!name) return false;
        written = std::snprintf(out, size, "%u mouse %s %d %d %s\n", static_cast<unsigned>(tick),
                                event.type == SDL_MOUSEBUTTONDOWN ? "down" : "up",
                                std::min<int>(event.button.x, REPLAY_MOUSE_W - 1),
                                std::min<int>(event.button.y, REPLAY_MOUSE_H - 1), name);
    } else if (const FocusChange focus = focus_change(event); focus != FocusChange::none) {
        written = std::snprintf(out, size, "%u focus %s\n", static_cast<unsigned>(tick),
                                focus == FocusChange::lost ? "lost" : "gained");
    }
    if (written < 0 || static_cast<std::size_t>(written) >= size) {
        if (size > 0) out[0] = '\0';
        return false;
    }
    return true;
}

FocusChange focus_change(const SDL_Event& event) {
    if (event.type != SDL_ACTIVEEVENT) return FocusChange::none;
    if (event.active.gain == 0 && (event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) != 0)
        return FocusChange::lost;
    if (event.active.gain != 0 && (event.active.state & SDL_APPINPUTFOCUS) != 0) return FocusChange::gained;
    return FocusChange::none;
}

bool start_event_recording(const char* path) {
    std::FILE* file = std::fopen(path, "w");
    if (!file) {
        std::fprintf(stderr, "recording stopped: cannot open \"%s\": %s\n", path, std::strerror(errno));
        return false;
    }
    recorder = Recorder{};
    recorder.file = file;
    recorder.path = path;
    if (!record_text("# KROMBLIX replay, recorded by the game (KROMBLIX_RECORD).\n"
                     "# Play it back with: kromblix-replay -C <run directory> <this file>\n"))
        return false;
    recorder.real_base = SDL_GetTicks();

    PlatformHooks hooks;
    hooks.ticks = recording_ticks;
    hooks.delay = recording_delay;
    hooks.poll_event = recording_poll;
    set_platform_hooks(hooks);
    return true;
}

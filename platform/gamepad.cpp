#include "platform/gamepad.h"

#include "platform/media.h"

#include <array>

namespace {

enum Direction { LEFT, RIGHT, UP, DOWN, DIRECTIONS };
constexpr std::array<SDLKey, DIRECTIONS> DIRECTION_KEYS{SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN};

struct PadState {
    std::array<bool, DIRECTIONS> hat{}, stick{}, held{};
};
PadState pad;

// Key events waiting to be handed out by poll_translated_event.
std::array<SDL_Event, 8> pending{};
int pending_count = 0, pending_next = 0;

SDL_Event key(bool down, SDLKey sym) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.type = e.type;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    return e;
}

// Presses and releases the arrows whose held state changed; returns the number of events.
int sync_directions(SDL_Event* out) {
    int n = 0;
    for (int d = 0; d < DIRECTIONS; ++d) {
        const auto i = static_cast<std::size_t>(d);
        const bool now = pad.hat[i] || pad.stick[i];
        if (now != pad.held[i]) {
            pad.held[i] = now;
            out[n++] = key(now, DIRECTION_KEYS[i]);
        }
    }
    return n;
}

}  // namespace

void open_gamepads() {
    if (!media_has_display() || SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) return;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) SDL_JoystickOpen(i);
    SDL_JoystickEventState(SDL_ENABLE);
}

void reset_gamepad_state() {
    pad = PadState{};
    pending_count = pending_next = 0;
}

int translate_gamepad_event(const SDL_Event& event, SDL_Event* out) {
    switch (event.type) {
    case SDL_JOYHATMOTION: {
        const Uint8 v = event.jhat.value;
        pad.hat = {(v & SDL_HAT_LEFT) != 0, (v & SDL_HAT_RIGHT) != 0, (v & SDL_HAT_UP) != 0, (v & SDL_HAT_DOWN) != 0};
        return sync_directions(out);
    }
    case SDL_JOYAXISMOTION: {
        if (event.jaxis.axis > 1) return 0;  // only the first stick
        const int v = event.jaxis.value;
        const std::size_t low = event.jaxis.axis == 0 ? LEFT : UP, high = event.jaxis.axis == 0 ? RIGHT : DOWN;
        pad.stick[low] = v < -STICK_DEAD_ZONE;
        pad.stick[high] = v > STICK_DEAD_ZONE;
        return sync_directions(out);
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        if (event.jbutton.button > 1) return 0;
        out[0] = key(event.type == SDL_JOYBUTTONDOWN, event.jbutton.button == 0 ? SDLK_SPACE : SDLK_ESCAPE);
        return 1;
    case SDL_JOYBALLMOTION: return 0;
    default: out[0] = event; return 1;
    }
}

int poll_translated_event(SDL_Event* event) {
    while (pending_next >= pending_count) {
        SDL_Event raw;
        if (!media_poll_event(&raw)) return 0;
        pending_next = 0;
        pending_count = translate_gamepad_event(raw, pending.data());
    }
    *event = pending[static_cast<std::size_t>(pending_next++)];
    return 1;
}

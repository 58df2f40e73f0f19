// Joysticks and gamepads as the keyboard: the hat and the first stick act as the arrow keys, the
// first button as SPACE and the second as ESC. Each joystick event is turned into the key events
// the keyboard would give (a direction is pressed once however many controls hold it, and released
// when the last lets go), so the game, the recorder and the replays see only keys.
#pragma once

#include <SDL.h>

// A stick must leave the centre by this much (of 32767) to count as a direction.
constexpr int STICK_DEAD_ZONE = 12000;

// Opens every joystick SDL knows and turns on joystick events; quietly does nothing without any.
void open_gamepads();
// Forgets which directions and buttons are held.
void reset_gamepad_state();
// Turns one event into key events: a joystick event gives 0 to 4 of them in out, any other event
// is copied as it is. Returns how many were written (out holds at least 4).
int translate_gamepad_event(const SDL_Event& event, SDL_Event* out);
// SDL_PollEvent with joystick events already turned into key events.
int poll_translated_event(SDL_Event* event);

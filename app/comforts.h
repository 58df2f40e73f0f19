// Keys beside the designed game, on the title, in a cave and while paused: M mutes, - and = step
// the music volume, F11 and Alt+Enter toggle fullscreen.
#pragma once

#include <SDL.h>

// Acts on a comfort key's press; true when the event was one (the game then ignores it).
bool handle_comfort_key(const SDL_Event& event);

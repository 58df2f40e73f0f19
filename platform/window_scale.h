// The window's size and fullscreen. The game always draws into the 800 by 700 surface that
// SDL_SetVideoMode gives; sdl12-compat shows that surface scaled, so pictures, records and tests
// see the same pixels at every scale:
// - SDL12COMPAT_WINDOW_SCALING=N (read by SDL_SetVideoMode) opens an N-times window and scales
//   the surface into it; SDL12COMPAT_SCALE_METHOD=nearest keeps the pixels sharp and square, and
//   so does SDL_RENDER_SCALE_QUALITY=nearest on the sdl12-compat releases that predate it.
// - SDL_WM_ToggleFullScreen on the screen surface switches to and from a desktop-sized window,
//   where the surface is scaled as large as fits with its 8:7 shape kept, centred on black bars.
#pragma once

#include <SDL.h>

constexpr int MAX_WINDOW_SCALE = 4;

// The scale to open the window at: requested (1 to MAX_WINDOW_SCALE) when given, otherwise
// (requested 0) the largest whole scale at which the w by h picture fits the desktop with room
// left for panels and the window's title bar; never less than 1.
int choose_window_scale(int requested, int w, int h, int desktop_w, int desktop_h);

// Sets up sdl12-compat to open the next video mode at the scale requested (0: the automatic
// choice above from the desktop's size); call after SDL_Init and before SDL_SetVideoMode.
// A scale set by the player in SDL12COMPAT_WINDOW_SCALING is kept when none is requested.
// Returns the scale chosen.
int prepare_window_scale(int requested, int w, int h);

// Switches the window showing screen into or out of fullscreen; false when SDL cannot.
bool toggle_fullscreen(SDL_Surface* screen);

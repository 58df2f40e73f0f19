// Pausing a game: P, or the window losing the keyboard or being minimized. Nothing of the game
// advances while it is paused; on resuming, every game clock moves on by the paused time, so the
// next step, the next frame and the cave's time bonus come as if there had been no pause.
#pragma once

#include <SDL.h>

// True for the events that pause a game: P pressed, the window's focus lost.
bool pauses_game(const SDL_Event& event);
// Shows the paused screen and waits for P; false when the window is closed meanwhile.
bool run_pause();
// Dims the screen and writes "PAUSED" and the keys over it.
void draw_pause_screen();

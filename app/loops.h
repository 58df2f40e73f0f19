#pragma once

#include <SDL.h>

// One pass of the game: the due simulation steps, then one drawn frame when one is due.
void game_frame();
// One event of a game in play, as the game loop takes it (arrows, ESC, themes, pause and the
// comfort keys); false when it closes the window.
bool game_event(const SDL_Event& event);
// The title and game loops; returns game_main's result when the player quits.
int run_loops();

#pragma once

// One pass of the game: the due simulation steps, then one drawn frame when one is due.
void game_frame();
// The title and game loops; returns game_main's result when the player quits.
int run_loops();

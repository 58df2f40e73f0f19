#pragma once

// One 100 ms step; false when the player was crushed and the step ended early.
bool sim_step();
// A cave finished within BONUS_SECONDS earns a bonus for each whole second left.
constexpr int BONUS_SECONDS = 10;

// Whole seconds left of the cave's bonus time, from frame_clock and cave_start_time; negative
// once it has run out.
int cave_seconds_left();
// The same, but never below 0: what the status bar shows and the bonus pays.
int compute_remaining_seconds();
// Applies the cave-complete rule when diamonds_left is exactly 0.
void complete_cave_if_done(int remaining_seconds);

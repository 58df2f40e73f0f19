#pragma once

// One 100 ms step; false when the player was crushed and the step ended early.
bool sim_step();
// Seconds left of the cave's time bonus, from frame_clock and cave_start_time.
int compute_remaining_seconds();
// Applies the cave-complete rule when diamonds_left is exactly 0.
void complete_cave_if_done(int remaining_seconds);

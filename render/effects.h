// Ribbons, orbiting sparks and the cave-complete frame.
#pragma once

void draw_ribbons(int count);
void draw_orbit_spark(int j);
void draw_congrats_frame(int a);

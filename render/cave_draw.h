// Draws the whole cave cell by cell, then the timed messages.
#pragma once

void draw_cave();
// The darkened backdrop of the timed messages.
void hurry_box();

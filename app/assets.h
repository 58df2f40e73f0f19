#pragma once

// Loads the four bitmaps, builds the font metrics, resets the counters and loads cave 0.
void load_assets();

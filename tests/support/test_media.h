// Small stand-in bitmaps for tests that draw whole frames: a font, a tile sheet, a player sheet
// and a title picture, all in the screen's 0x00RRGGBB layout.
#pragma once

namespace test_env {

// Makes the four bitmaps, sets them in game and builds the font metrics.
void make_media();
void free_media();

}  // namespace test_env

// The generators behind each data file the game reads.
#pragma once

#include "tools/makedata/audio.h"
#include "tools/makedata/font.h"
#include "tools/makedata/image.h"

namespace makedata {

// 640x480 title picture with the game's name over a crystal cave.
Image make_title(Face& face);

// Sound effects, each a short stereo clip.
Stereo make_rock_sound();     // a rock lands or is pushed: dull thud
Stereo make_diamond_sound();  // a diamond lands: bright ping
Stereo make_collect_sound();  // a diamond taken, or enemies turned to diamonds: rising chime
Stereo make_blast_sound();    // an explosion: noise burst

// Music loops: 1 'Cirrane', 2 'Kobalt Run', 3 'Ferro'. Each is a whole number of bars whose
// tails wrap around the loop point, and which starts and ends in silence.
Stereo make_theme(int number);

}  // namespace makedata

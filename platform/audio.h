// The sound device and the sound and music files: opened and loaded at start-up, played through
// platform/platform.h.
#pragma once

#include "platform/platform.h"

// The file each sound is loaded from: "resources.wav", "shot.wav", "explode.wav", "booom.wav".
const char* sound_file_name(SoundId sound);
// The file of theme 1..3: "1.m", "2.m", "3.m"; nullptr for any other number.
const char* theme_file_name(int theme);

// Opens the device at 44100 Hz, 16-bit stereo; false when there is none (SDL's error says why).
bool open_audio();
// Loads theme 1..3 for plat_music_play; false when its file does not load.
bool load_theme(int theme);
// Loads the four sounds; a sound that does not load is left silent.
void load_sounds();
// Fades every sound channel out over ms milliseconds.
void fade_out_sounds(int ms);
// Frees the themes and the sounds.
void free_audio();

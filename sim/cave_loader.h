#pragma once

#include <cstddef>

// Reads level<cave_index>.txt into the grid and resets everything of one attempt at a cave.
void load_cave();

// The longest directory the caves may be read from.
constexpr std::size_t CAVE_DIR_MAX = 4096;
// Where load_cave reads the caves: a directory ending in '/', or "" for the current directory
// (the data directory's own caves, the default). Kept in a fixed buffer, as loading happens in
// play; false (nothing changed) for a directory too long or not ending in '/'.
bool set_cave_dir(const char* dir);
const char* cave_dir();

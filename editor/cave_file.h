// Reading the cave file the editor opens, and saving it atomically.
#pragma once

#include "editor/cave_edit.h"
#include "sim/game_state.h"

#include <cstddef>
#include <string>

namespace editor {

// No cave file is larger: 20 lines of 25 cells with generous layout. A larger file is refused.
constexpr std::size_t MAX_CAVE_FILE = 64 * 1024;

enum class OpenResult { opened, missing, failed };
// Reads path into loaded. missing: no such file (the editor starts a new cave); failed: the file
// cannot be read, is a directory or is larger than MAX_CAVE_FILE, with the reason in error.
OpenResult open_cave_file(const std::string& path, Loaded& loaded, std::string& error);

// Writes the cave as a cave file: a temporary file of its own beside path, flushed to the disk,
// then renamed over path, so a crash or a full disk never leaves half a cave. False with the
// reason in error (the old file untouched, no temporary file left) when it cannot.
bool save_cave_file(const std::string& path, const CaveMap& cave, std::string& error);

}  // namespace editor

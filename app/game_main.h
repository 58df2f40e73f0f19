#pragma once

// The program: start-up, the title and game loops, shut-down. Returns the process status.
int game_main(int argc, char** argv);

// The cave editor (editor/) sits above the game, whose loop it plays caves with; the process
// entry and the replay runner install it here, and game_main runs it instead of the title when
// --edit names a file. Without one installed, --edit is refused with status 2.
struct EditorEntry {
    // Reads the file before the window opens; false (with a message printed) ends with status 2.
    bool (*open)(const char* path) = nullptr;
    // The editor in the game's window, after the game's start-up; returns the process status.
    int (*run)() = nullptr;
};
void install_editor(const EditorEntry& entry);

// The cave editor: `kromblix --edit FILE` (and `kromblix-replay --edit FILE`) edits one cave file
// in the game's window and plays it with the game's own loop. It sits above the game: the process
// entry and the replay runner install it into game_main, which runs it instead of the title.
#pragma once

#include "app/game_main.h"

#include <cstdint>

// The entry game_main runs for --edit.
EditorEntry editor_entry();

// The replay runner's choice: a proof (key P, editor/prove.h) runs to its end at the poll that
// takes the key, so a replayed session does not depend on the machine's speed.
void set_editor_proofs_at_once(bool at_once);

// What an editor frame shows, for the replay runner's frame record.
struct EditorView {
    const std::uint8_t* cells = nullptr;  // the cave as shown, 20 rows of 25 cells
    int cursor_x = 0, cursor_y = 0;
    std::uint8_t kind = 0;  // the code of the chosen kind
    const char* tool = "";  // "draw", "fill", "rect" or "box"
    bool unsaved = false;   // the cave differs from the file
    const char* findings = "";
    const char* message = "";
};
EditorView editor_view();

// The editor's one record: the cave being edited, its history, the chosen kind and tool, the
// cursor, the strip's texts. Private to editor/.
#pragma once

#include "editor/cave_edit.h"
#include "sim/game_state.h"

#include <array>
#include <cstdint>
#include <string>

namespace editor {

enum class Tool { draw, fill, rect, box };
constexpr std::array<const char*, 4> TOOL_NAMES{"draw", "fill", "rect", "box"};

// A key pressed twice in a row to do what the first press warned about.
enum class Pending { none, save_refused, leave_unsaved };

struct Editor {
    std::string path;         // absolute, from the command line
    CaveMap cave{};           // as shown and edited
    CaveMap on_disk{};        // as the file holds it (a new cave's file does not exist yet)
    bool exists = false;      // the file exists
    History history;
    int kind = 0;             // index into KINDS
    Tool tool = Tool::draw;
    int cursor_x = 1, cursor_y = 1;
    bool anchored = false;    // a rectangle's first corner is set
    int anchor_x = 0, anchor_y = 0;
    bool stroke = false;      // the left button is down in the cave
    bool stroke_changed = false;
    Pending pending = Pending::none;
    std::array<char, 160> findings{};
    std::array<char, 160> message{};
    std::uint32_t message_colour = 0;
    bool redraw = true;
};

extern Editor ed;

// Whether the file lacks what the editor shows.
inline bool unsaved() { return !ed.exists || ed.cave != ed.on_disk; }

// Sets the strip's message line.
void say(std::uint32_t colour, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Recounts the findings after the cave changed.
void update_findings();

}  // namespace editor

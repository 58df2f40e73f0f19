// The frame record: one text block per picture the game shows, written by the replay runner.
// docs/replays.md describes the format.
#pragma once

#include "platform/audio.h"
#include "platform/platform.h"
#include "sim/game_state.h"

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace replay {

struct SoundStart {
    int channel = 0;
    SoundId sound = SoundId::rock;
};

// "title", "game", "death", "game_over", "congrats", "paused" or "editor".
const char* frame_kind_name(FrameKind kind);
bool frame_kind_from_name(std::string_view name, FrameKind& kind);

// Row y of the grid as text: printable cell codes as they are, '\' as "\\", any other byte as
// "\xHH"; so a row of ordinary codes is exactly 25 characters.
std::string grid_row_text(const GameState& state, int y);
// The same for row y of a cave of CAVE_W by CAVE_H cells.
std::string grid_row_text(const std::uint8_t* cells, int y);

// What was started since the previous block: sounds, and music themes (1..3).
struct Starts {
    std::span<const SoundStart> sounds;
    std::span<const int> themes;
};

// One block. A title block holds its tick, sounds, music and screenshot only; every other kind
// holds the counters, the player, the facing and the grid too. shot may be null.
void write_frame_block(std::FILE* out, int number, FrameKind kind, std::uint32_t tick, const GameState& state,
                       const Starts& starts, const char* shot);
// What an editor frame shows (the editor's EditorView, editor/editor.h).
struct EditorFrame {
    const std::uint8_t* cells = nullptr;
    int cursor_x = 0, cursor_y = 0;
    std::uint8_t kind = 0;
    const char* tool = "";
    bool unsaved = false;
    const char* findings = "";
    const char* message = "";
};
// An editor frame's block: the tool, kind, cursor, whether the file lacks the changes, the cave
// as edited, and the strip's findings and message lines when it shows them.
void write_editor_block(std::FILE* out, int number, std::uint32_t tick, const EditorFrame& frame,
                        const Starts& starts, const char* shot);
// The closing block: game_main's result and the tick it returned at.
void write_exit_block(std::FILE* out, int status, std::uint32_t tick, const Starts& starts);

}  // namespace replay

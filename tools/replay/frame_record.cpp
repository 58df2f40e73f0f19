#include "tools/replay/frame_record.h"

#include <array>

namespace replay {

namespace {

struct KindName {
    FrameKind kind;
    const char* name;
};

constexpr std::array<KindName, FRAME_KIND_COUNT> KIND_NAMES{{
    {FrameKind::title, "title"},
    {FrameKind::cave, "game"},
    {FrameKind::death, "death"},
    {FrameKind::game_over, "game_over"},
    {FrameKind::congrats, "congrats"},
    {FrameKind::paused, "paused"},
    {FrameKind::editor, "editor"},
}};

void write_starts(std::FILE* out, const Starts& starts) {
    for (const SoundStart& s : starts.sounds) std::fprintf(out, "sound %d %s\n", s.channel, sound_file_name(s.sound));
    for (int theme : starts.themes) std::fprintf(out, "music %d\n", theme);
}

}  // namespace

const char* frame_kind_name(FrameKind kind) {
    for (const KindName& k : KIND_NAMES)
        if (k.kind == kind) return k.name;
    return "unknown";
}

bool frame_kind_from_name(std::string_view name, FrameKind& kind) {
    for (const KindName& k : KIND_NAMES)
        if (name == k.name) {
            kind = k.kind;
            return true;
        }
    return false;
}

std::string grid_row_text(const GameState& state, int y) { return grid_row_text(state.cave.data(), y); }

std::string grid_row_text(const std::uint8_t* cells, int y) {
    static constexpr char HEX[] = "0123456789abcdef";
    std::string row;
    for (int x = 0; x < CAVE_W; ++x) {
        const std::uint8_t code = cells[static_cast<std::size_t>(x + CAVE_W * y)];
        if (code == '\\') {
            row += "\\\\";
        } else if (code > 0x20 && code < 0x7f) {
            row += static_cast<char>(code);
        } else {
            row += "\\x";
            row += HEX[code >> 4];
            row += HEX[code & 15];
        }
    }
    return row;
}

void write_frame_block(std::FILE* out, int number, FrameKind kind, std::uint32_t tick, const GameState& state,
                       const Starts& starts, const char* shot) {
    std::fprintf(out, "frame %d %s\ntick %u\n", number, frame_kind_name(kind), static_cast<unsigned>(tick));
    if (kind != FrameKind::title) {
        std::fprintf(out, "frame_clock %d\nstep_clock %d\n", static_cast<int>(state.frame_clock),
                     static_cast<int>(state.step_clock));
        std::fprintf(out, "lives %d\nscore %d\ncave_index %d\ndiamonds_left %d\n", state.lives, state.score,
                     state.cave_index, state.diamonds_left);
        std::fprintf(out, "player %d %d\nprev %d %d\nfacing %d %d\n", state.player_x, state.player_y, state.prev_x,
                     state.prev_y, state.face_dx, state.face_dy);
        std::fputs("grid\n", out);
        for (int y = 0; y < CAVE_H; ++y) std::fprintf(out, "%s\n", grid_row_text(state, y).c_str());
    }
    write_starts(out, starts);
    if (shot) std::fprintf(out, "shot %s\n", shot);
    std::fputc('\n', out);
}

void write_editor_block(std::FILE* out, int number, std::uint32_t tick, const EditorFrame& frame,
                        const Starts& starts, const char* shot) {
    std::fprintf(out, "frame %d editor\ntick %u\n", number, static_cast<unsigned>(tick));
    std::fprintf(out, "tool %s\nkind %c\ncursor %d %d\nunsaved %d\n", frame.tool, static_cast<char>(frame.kind),
                 frame.cursor_x, frame.cursor_y, frame.unsaved ? 1 : 0);
    std::fputs("grid\n", out);
    for (int y = 0; y < CAVE_H; ++y) std::fprintf(out, "%s\n", grid_row_text(frame.cells, y).c_str());
    if (*frame.findings) std::fprintf(out, "findings %s\n", frame.findings);
    if (*frame.message) std::fprintf(out, "message %s\n", frame.message);
    write_starts(out, starts);
    if (shot) std::fprintf(out, "shot %s\n", shot);
    std::fputc('\n', out);
}

void write_exit_block(std::FILE* out, int status, std::uint32_t tick, const Starts& starts) {
    std::fprintf(out, "exit %d\ntick %u\n", status, static_cast<unsigned>(tick));
    write_starts(out, starts);
}

}  // namespace replay

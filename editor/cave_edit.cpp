#include "editor/cave_edit.h"

#include <algorithm>
#include <cstdint>
#include <array>
#include <cstdio>
#include "sim/game_state.h"
#include <span>

namespace editor {

namespace {

constexpr bool on_ring(int x, int y) { return x == 0 || y == 0 || x == CAVE_W - 1 || y == CAVE_H - 1; }

}  // namespace

int kind_of(std::uint8_t code) {
    for (int k = 0; k < KIND_COUNT; ++k)
        if (KINDS[static_cast<std::size_t>(k)].code == code) return k;
    return -1;
}

const char* code_name(std::uint8_t code) {
    const int k = kind_of(code);
    return k < 0 ? "unknown" : KINDS[static_cast<std::size_t>(k)].name;
}

CaveMap new_cave() {
    CaveMap cave{};
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x) cell(cave, x, y) = on_ring(x, y) ? WALL : EMPTY;
    cell(cave, 2, 2) = START;
    return cave;
}

bool paint(CaveMap& cave, int x, int y, std::uint8_t code) {
    if (!in_cave(x, y) || cell(cave, x, y) == code) return false;
    cell(cave, x, y) = code;
    return true;
}

bool flood_fill(CaveMap& cave, int x, int y, std::uint8_t code) {
    if (!in_cave(x, y)) return false;
    const std::uint8_t old = cell(cave, x, y);
    if (old == code) return false;
    // Each cell is painted as it is pushed, so none is pushed twice and the stack never overflows.
    std::array<int, CAVE_CELLS> stack{};
    int top = 0;
    cell(cave, x, y) = code;
    stack[static_cast<std::size_t>(top++)] = x + CAVE_W * y;
    constexpr std::array<int, 4> DX{1, -1, 0, 0}, DY{0, 0, 1, -1};
    while (top > 0) {
        const int n = stack[static_cast<std::size_t>(--top)];
        for (std::size_t d = 0; d < 4; ++d) {
            const int nx = n % CAVE_W + DX[d], ny = n / CAVE_W + DY[d];
            if (!in_cave(nx, ny) || cell(cave, nx, ny) != old) continue;
            cell(cave, nx, ny) = code;
            stack[static_cast<std::size_t>(top++)] = nx + CAVE_W * ny;
        }
    }
    return true;
}

bool draw_rectangle(CaveMap& cave, int x0, int y0, int x1, int y1, std::uint8_t code, bool filled) {
    const int left = std::max(std::min(x0, x1), 0), right = std::min(std::max(x0, x1), CAVE_W - 1);
    const int top = std::max(std::min(y0, y1), 0), bottom = std::min(std::max(y0, y1), CAVE_H - 1);
    const int border_left = std::min(x0, x1), border_right = std::max(x0, x1);
    const int border_top = std::min(y0, y1), border_bottom = std::max(y0, y1);
    bool changed = false;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (filled || x == border_left || x == border_right || y == border_top || y == border_bottom)
                changed = paint(cave, x, y, code) || changed;
    return changed;
}

void reset_history(History& history, const CaveMap& cave) {
    history.head = 0;
    history.undos = history.redos = 0;
    history.saved[0] = cave;
}

void commit(History& history, const CaveMap& cave) {
    constexpr int SLOTS = UNDO_STEPS + 1;
    history.head = (history.head + 1) % SLOTS;
    history.saved[static_cast<std::size_t>(history.head)] = cave;
    history.undos = std::min(history.undos + 1, UNDO_STEPS);
    history.redos = 0;
}

bool undo(History& history, CaveMap& cave) {
    if (history.undos == 0) return false;
    constexpr int SLOTS = UNDO_STEPS + 1;
    history.head = (history.head + SLOTS - 1) % SLOTS;
    --history.undos;
    ++history.redos;
    cave = history.saved[static_cast<std::size_t>(history.head)];
    return true;
}

bool redo(History& history, CaveMap& cave) {
    if (history.redos == 0) return false;
    constexpr int SLOTS = UNDO_STEPS + 1;
    history.head = (history.head + 1) % SLOTS;
    ++history.undos;
    --history.redos;
    cave = history.saved[static_cast<std::size_t>(history.head)];
    return true;
}

Findings find(const CaveMap& cave) {
    Findings f;
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x) {
            const std::uint8_t c = cell(cave, x, y);
            if (c == START) ++f.starts;
            if (c == DIAMOND) ++f.diamonds;
            if (on_ring(x, y) && c != WALL && f.ring_breaks++ == 0) {
                f.ring_x = x;
                f.ring_y = y;
            }
            if (kind_of(c) < 0 && f.unknown++ == 0) {
                f.unknown_x = x;
                f.unknown_y = y;
            }
        }
    return f;
}

void describe(const Findings& f, std::span<char> out) {
    if (out.empty()) return;
    out[0] = '\0';
    std::size_t used = 0;
    auto add = [&](const char* format, int a, int b, int c) {
        if (used >= out.size()) return;
        const char* sep = used > 0 ? "; " : "";
        std::array<char, 64> part{};
        std::snprintf(part.data(), part.size(), format, a, b, c);
        const int n = std::snprintf(out.data() + used, out.size() - used, "%s%s", sep, part.data());
        if (n > 0) used = std::min(out.size(), used + static_cast<std::size_t>(n));
    };
    if (f.starts == 0) add("no start cell", 0, 0, 0);
    if (f.starts > 1) add("%d start cells", f.starts, 0, 0);
    if (f.ring_breaks == 1) add("ring broken at (%d, %d)", f.ring_x, f.ring_y, 0);
    if (f.ring_breaks > 1) add("ring broken at (%d, %d) and %d more", f.ring_x, f.ring_y, f.ring_breaks - 1);
    if (f.unknown > 0) add("unknown code at (%d, %d)", f.unknown_x, f.unknown_y, 0);
    if (f.diamonds == 0) add("no diamond", 0, 0, 0);
}

CaveText cave_text(const CaveMap& cave) {
    CaveText text{};
    std::size_t i = 0;
    for (int y = 0; y < CAVE_H; ++y) {
        for (int x = 0; x < CAVE_W; ++x) text[i++] = static_cast<char>(cell(cave, x, y));
        text[i++] = '\n';
    }
    return text;
}

Loaded read_cave(std::span<const char> bytes) {
    Loaded loaded;
    loaded.cave.fill(EMPTY);
    for (const char ch : bytes) {
        const auto c = static_cast<std::uint8_t>(ch);
        if (c <= 0x20) continue;
        if (loaded.cells < CAVE_CELLS) loaded.cave[static_cast<std::size_t>(loaded.cells)] = c;
        if (loaded.cells < CAVE_CELLS * 1000) ++loaded.cells;
    }
    return loaded;
}

}  // namespace editor

#include "editor/editor_draw.h"

#include "app/text_width.h"
#include "editor/cave_edit.h"
#include "editor/editor_state.h"
#include "platform/platform.h"
#include "render/canvas.h"
#include "render/font.h"
#include "render/sprites.h"
#include "sim/game_state.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

namespace editor {

namespace {

// The game's colours: the cave's bricks, blocks and creatures, the status bar's texts.
constexpr std::uint32_t BRICK = 0xCCCCCC, MORTAR = 0x222222, BLACK = 0, E_BLUE = 0x3399BB;
constexpr std::uint32_t RED = 0xFF0000, LIT = 0xFFCF00, DIM = 0x9A1099, KEYS = 0x30A0D0;
constexpr std::uint32_t BAND = 0x621600;
constexpr int STRIP_Y = CAVE_H * CELL_PX;  // 640
constexpr int STRIP_ROW = CAVE_H;          // the swatches stand on the cell row below the cave
constexpr int TOOLS_X = 424;
constexpr int TOOL_GAP = 14;

void cell_block(int X, int Y, std::uint32_t colour) { fill_rect(X, Y, X + CELL_PX - 1, Y + CELL_PX - 1, colour); }

void draw_wall(int X, int Y) {
    cell_block(X, Y, BRICK);
    fill_rect(X, Y, X + 31, Y + 1, MORTAR);
    fill_rect(X, Y + 12, X + 31, Y + 13, MORTAR);
    fill_rect(X, Y + 22, X + 31, Y + 23, MORTAR);
    fill_rect(X + 12, Y, X + 13, Y + 13, MORTAR);
    fill_rect(X + 25, Y + 13, X + 26, Y + 23, MORTAR);
    fill_rect(X + 5, Y + 23, X + 6, Y + 31, MORTAR);
}

// Specks at fixed places in place of the game's random ones.
void draw_growth(int X, int Y, std::uint32_t base, std::uint32_t speck, bool tall) {
    cell_block(X, Y, base);
    constexpr std::array<int, 16> AT{3, 5, 17, 2, 9, 14, 22, 11, 5, 24, 14, 25, 25, 19, 19, 6};
    for (std::size_t n = 0; n < AT.size(); n += 2) {
        const int a = X + AT[n], b = Y + AT[n + 1];
        if (tall)
            fill_rect(a, b, a + 1, b + 5, speck);
        else
            fill_rect(a, b, a + 5, b + 1, speck);
    }
}

void centred_text(int X, int Y, const char* text, std::uint32_t colour) {
    draw_text(X + (CELL_PX - text_width(text)) / 2, Y + 8, text, colour);
}

void draw_enemy(int X, int Y, std::uint32_t outer, std::uint32_t middle, std::uint32_t inner, const char* arrow) {
    cell_block(X, Y, outer);
    fill_rect(X + 6, Y + 6, X + 26, Y + 26, middle);
    fill_rect(X + 10, Y + 10, X + 22, Y + 22, inner);
    centred_text(X, Y, arrow, WHITE);
}

// One cell's look at cell position (col, row); row CAVE_H is the strip's swatch row.
void draw_cell_look(int col, int row, std::uint8_t code, const CaveMap& cave) {
    const int X = CELL_PX * col, Y = CELL_PX * row;
    switch (code) {
    case WALL: draw_wall(X, Y); break;
    case EMPTY: cell_block(X, Y, BLACK); break;
    case DIRT: draw_tile(col, row, TILE_DIRT); break;
    case ROCK:
        cell_block(X, Y, BLACK);
        draw_tile(col, row, TILE_ROCK);
        break;
    case DIAMOND: {
        // Dirt shows behind a diamond only when dirt lies beside it, as in the game.
        const bool dirt_beside = row < CAVE_H && ((col > 0 && cell(cave, col - 1, row) == DIRT) ||
                                                  (col + 1 < CAVE_W && cell(cave, col + 1, row) == DIRT));
        if (dirt_beside)
            draw_tile(col, row, TILE_DIRT);
        else
            cell_block(X, Y, BLACK);
        draw_tile(col, row, TILE_DIAMOND_1);
        break;
    }
    case START:
        cell_block(X, Y, BLACK);
        draw_player(col, row);
        break;
    case E_BLOCK:
        cell_block(X, Y, E_BLUE);
        centred_text(X, Y, "E", WHITE);
        break;
    case MAGENTA_GROWTH: draw_growth(X, Y, 0xC83E81, 0x9F70BD, true); break;
    case GREEN_GROWTH: draw_growth(X, Y, 0x317A27, 0x27AC77, false); break;
    case ENEMY_LEFT: draw_enemy(X, Y, 0x00FF00, 0x0000FF, 0xFF00FF, "<"); break;
    case ENEMY_RIGHT: draw_enemy(X, Y, 0x00FF00, 0x0000FF, 0xFF00FF, ">"); break;
    case ENEMY_UP: draw_enemy(X, Y, 0xFFFF00, 0xCAA0AF, 0xF000FF, "^"); break;
    case ENEMY_DOWN: draw_enemy(X, Y, 0xFFFF00, 0xCAA0AF, 0xF000FF, "v"); break;
    default: {
        // A code no cave file holds: shown as itself (or its hex value), in red.
        cell_block(X, Y, BLACK);
        std::array<char, 8> shown{};
        if (code > 0x20 && code < 0x7F)
            std::snprintf(shown.data(), shown.size(), "%c", static_cast<char>(code));
        else
            std::snprintf(shown.data(), shown.size(), "%02X", static_cast<unsigned>(code));
        centred_text(X, Y, shown.data(), RED);
        break;
    }
    }
}

// A frame two pixels wide inside the cells from (x0, y0) to (x1, y1).
void cell_frame(int x0, int y0, int x1, int y1, std::uint32_t colour) {
    const int left = CELL_PX * x0, top = CELL_PX * y0;
    const int right = CELL_PX * (x1 + 1) - 1, bottom = CELL_PX * (y1 + 1) - 1;
    fill_rect(left, top, right, top + 1, colour);
    fill_rect(left, bottom - 1, right, bottom, colour);
    fill_rect(left, top, left + 1, bottom, colour);
    fill_rect(right - 1, top, right, bottom, colour);
}

int tool_x(int tool) {
    int x = TOOLS_X;
    std::array<char, 16> label{};
    for (int t = 0; t < tool; ++t) {
        std::snprintf(label.data(), label.size(), "%c %s", "DFRB"[t], TOOL_NAMES[static_cast<std::size_t>(t)]);
        x += text_width(label.data()) + TOOL_GAP;
    }
    return x;
}

void draw_strip() {
    fill_rect(0, STRIP_Y, SCREEN_W - 1, SCREEN_H - 1, BLACK);
    // The status bar's bands.
    for (int k = 0; k < 27; ++k) {
        const int y = 643 + 2 * k;
        fill_rect(1, y + 1, 799, y + 1, BAND);
        fill_rect(1, y, 799, y, static_cast<std::uint32_t>(44 + 8 * k));
    }
    for (int k = 0; k < KIND_COUNT; ++k) draw_cell_look(k, STRIP_ROW, KINDS[static_cast<std::size_t>(k)].code, ed.cave);
    // A dark seam keeps the wall swatch apart from the cave's bottom wall.
    fill_rect(0, STRIP_Y, KIND_COUNT * CELL_PX - 1, STRIP_Y + 1, BLACK);
    cell_frame(ed.kind, STRIP_ROW, ed.kind, STRIP_ROW, LIT);

    std::array<char, 96> line{};
    const CellKind& chosen = KINDS[static_cast<std::size_t>(ed.kind)];
    std::snprintf(line.data(), line.size(), "%s %c", chosen.name, static_cast<char>(chosen.code));
    draw_text(6, 678, line.data(), LIT);
    const std::uint8_t under = cell(ed.cave, ed.cursor_x, ed.cursor_y);
    std::snprintf(line.data(), line.size(), "(%d, %d) %s", ed.cursor_x, ed.cursor_y, code_name(under));
    draw_text(180, 678, line.data(), WHITE);

    for (int t = 0; t < static_cast<int>(TOOL_NAMES.size()); ++t) {
        std::snprintf(line.data(), line.size(), "%c %s", "DFRB"[t], TOOL_NAMES[static_cast<std::size_t>(t)]);
        draw_text(tool_x(t), 644, line.data(), static_cast<int>(ed.tool) == t ? LIT : DIM);
    }
    if (unsaved()) draw_text(tool_x(4) + 4, 644, "unsaved", RED);
    if (ed.findings[0] != '\0') {
        draw_text(TOOLS_X, 662, ed.findings.data(), RED);
    } else {
        const Findings f = find(ed.cave);
        std::snprintf(line.data(), line.size(), "sound: %d %s", f.diamonds, f.diamonds == 1 ? "diamond" : "diamonds");
        draw_text(TOOLS_X, 662, line.data(), WHITE);
    }
    if (ed.message[0] != '\0')
        draw_text(TOOLS_X, 680, ed.message.data(), ed.message_colour);
    else
        draw_text(TOOLS_X, 680, "S save  T test  Z undo  Y redo  ESC leave", KEYS);
}

}  // namespace

int swatch_at(int x, int y) {
    if (y < STRIP_Y || y >= STRIP_Y + CELL_PX || x < 0) return -1;
    const int k = x / CELL_PX;
    return k < KIND_COUNT ? k : -1;
}

int tool_label_at(int x, int y) {
    if (y < 640 || y >= 662) return -1;
    for (int t = static_cast<int>(TOOL_NAMES.size()) - 1; t >= 0; --t)
        if (x >= tool_x(t) && x < tool_x(t + 1) - TOOL_GAP / 2) return t;
    return -1;
}

void draw_editor() {
    if (!lock_surface(gfx.screen)) return;
    // A rectangle being drawn shows as it would be made.
    CaveMap shown = ed.cave;
    if (ed.anchored) {
        const std::uint8_t code = KINDS[static_cast<std::size_t>(ed.kind)].code;
        draw_rectangle(shown, ed.anchor_x, ed.anchor_y, ed.cursor_x, ed.cursor_y, code, ed.tool == Tool::box);
    }
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x) draw_cell_look(x, y, cell(shown, x, y), shown);
    if (ed.anchored) {
        cell_frame(std::min(ed.anchor_x, ed.cursor_x), std::min(ed.anchor_y, ed.cursor_y),
                   std::max(ed.anchor_x, ed.cursor_x), std::max(ed.anchor_y, ed.cursor_y), WHITE);
    }
    cell_frame(ed.cursor_x, ed.cursor_y, ed.cursor_x, ed.cursor_y, LIT);
    draw_strip();
    plat_frame_shown(FrameKind::editor);
    present_screen();
}

}  // namespace editor

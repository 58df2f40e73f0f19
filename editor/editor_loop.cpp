// The editor's loop: events from the keyboard and the mouse, saving, and test-play through the
// game's own loop.
#include "app/game_main.h"
#include "editor/cave_edit.h"
#include "editor/editor.h"

#include "app/comforts.h"
#include "app/loops.h"
#include "editor/cave_file.h"
#include "editor/editor_draw.h"
#include "editor/editor_state.h"
#include "editor/prove.h"
#include "editor/route_watch.h"
#include "editor/test_directory.h"
#include "platform/platform.h"
#include "platform/volume.h"
#include "render/canvas.h"
#include "sim/cave_check.h"
#include "sim/cave_loader.h"
#include "sim/game_state.h"
#include "sim/presentation.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace editor {

Editor ed;

namespace {

constexpr std::uint32_t POLL_MS = 10;  // the editor waits this long between looks at the events
constexpr std::uint32_t SAID = 0xFFFFFF, WARNED = 0xFF0000, GOOD = 0x30D050;

enum class Action { go_on, test, watch, quit };

std::uint8_t chosen_code() { return KINDS[static_cast<std::size_t>(ed.kind)].code; }

void edited() {
    commit(ed.history, ed.cave);
    update_findings();
    ed.message[0] = '\0';
}

void choose_kind(int kind) { ed.kind = (kind % KIND_COUNT + KIND_COUNT) % KIND_COUNT; }

void choose_tool(Tool tool) {
    ed.tool = tool;
    ed.anchored = false;
}

// SPACE at the cursor, or the left button pressed on a cell.
void use_tool(bool by_mouse) {
    const int x = ed.cursor_x, y = ed.cursor_y;
    switch (ed.tool) {
    case Tool::draw:
        if (by_mouse) {
            ed.stroke = true;
            ed.stroke_changed = paint(ed.cave, x, y, chosen_code());
        } else if (paint(ed.cave, x, y, chosen_code())) {
            edited();
        }
        break;
    case Tool::fill:
        if (flood_fill(ed.cave, x, y, chosen_code())) edited();
        break;
    case Tool::rect:
    case Tool::box:
        // The mouse draws from where the button went down to where it comes up; the keyboard
        // from one SPACE to the next.
        if (!ed.anchored || by_mouse) {
            ed.anchored = true;
            ed.anchor_x = x;
            ed.anchor_y = y;
        } else {
            ed.anchored = false;
            if (draw_rectangle(ed.cave, ed.anchor_x, ed.anchor_y, x, y, chosen_code(), ed.tool == Tool::box)) edited();
        }
        break;
    }
}

void save() {
    const CaveText text = cave_text(ed.cave);
    const cavecheck::Report report = cavecheck::check_cave(std::string_view(text.data(), text.size()));
    const char* reason = report.findings.empty() ? "" : report.findings.front().message.c_str();
    if (!report.sound && ed.pending != Pending::save_refused) {
        say(WARNED, "not saved, the checker refuses it: %s. S again saves it anyway", reason);
        ed.pending = Pending::save_refused;
        return;
    }
    ed.pending = Pending::none;
    std::string error;
    if (!save_cave_file(ed.path, ed.cave, error)) {
        say(WARNED, "%s", error.c_str());
        return;
    }
    ed.on_disk = ed.cave;
    ed.exists = true;
    const std::size_t slash = ed.path.rfind('/');
    const char* name = ed.path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
    if (report.sound)
        say(GOOD, "saved %s", name);
    else
        say(WARNED, "saved %s, which the checker refuses: %s", name, reason);
}

// ESC: ends a rectangle; else leaves, asking again first when the file lacks the changes.
Action leave() {
    if (ed.anchored) {
        ed.anchored = false;
        return Action::go_on;
    }
    if (unsaved() && ed.pending != Pending::leave_unsaved) {
        say(WARNED, "the changes are not saved: ESC again leaves without them");
        ed.pending = Pending::leave_unsaved;
        return Action::go_on;
    }
    return Action::quit;
}

Action handle_key(SDLKey key) {
    const Pending pending = ed.pending;
    ed.pending = Pending::none;
    switch (key) {
    case SDLK_LEFT: ed.cursor_x = std::max(ed.cursor_x - 1, 0); break;
    case SDLK_RIGHT: ed.cursor_x = std::min(ed.cursor_x + 1, CAVE_W - 1); break;
    case SDLK_UP: ed.cursor_y = std::max(ed.cursor_y - 1, 0); break;
    case SDLK_DOWN: ed.cursor_y = std::min(ed.cursor_y + 1, CAVE_H - 1); break;
    case SDLK_SPACE: use_tool(false); break;
    case SDLK_PAGEUP: choose_kind(ed.kind - 1); break;
    case SDLK_PAGEDOWN: choose_kind(ed.kind + 1); break;
    case SDLK_d: choose_tool(Tool::draw); break;
    case SDLK_f: choose_tool(Tool::fill); break;
    case SDLK_r: choose_tool(Tool::rect); break;
    case SDLK_b: choose_tool(Tool::box); break;
    case SDLK_z:
        ed.anchored = false;
        if (undo(ed.history, ed.cave)) update_findings();
        break;
    case SDLK_y:
        ed.anchored = false;
        if (redo(ed.history, ed.cave)) update_findings();
        break;
    case SDLK_s:
        ed.pending = pending;
        save();
        break;
    case SDLK_t:
        ed.anchored = false;
        return Action::test;
    case SDLK_ESCAPE:
        ed.pending = pending;
        return leave();
    case SDLK_p:
        // Proves the cave as shown; P again stops the proof.
        ed.anchored = false;
        if (proof_running()) {
            stop_proof(true);
        } else if (ed.findings[0] != '\0') {
            say(WARNED, "the checker refuses the cave: mend it before proving it");
        } else {
            start_proof(ed.cave, unsaved() ? std::string() : ed.path);
        }
        break;
    case SDLK_w:
        ed.anchored = false;
        if (!route_replay().empty()) return Action::watch;
        say(WARNED, proof_running() ? "no route yet: the proof goes on" : "no route to watch: P proves the cave");
        break;
    default: break;
    }
    return Action::go_on;
}

// The cell under a point of the picture; false outside the cave. SDL gives points of the 800 by
// 700 picture at every window scale and in fullscreen (the black bars read as its edges).
bool cell_under(int x, int y, int& cx, int& cy) {
    x = std::clamp(x, 0, SCREEN_W - 1);
    y = std::clamp(y, 0, SCREEN_H - 1);
    if (y >= CAVE_H * CELL_PX) return false;
    cx = x / CELL_PX;
    cy = y / CELL_PX;
    return true;
}

// Paints the cells on the line from the cursor to (x, y), so a fast stroke leaves no gaps.
void stroke_to(int x, int y) {
    int cx = ed.cursor_x, cy = ed.cursor_y;
    for (;;) {
        ed.stroke_changed = paint(ed.cave, cx, cy, chosen_code()) || ed.stroke_changed;
        if (cx == x && cy == y) break;
        const int dx = x - cx, dy = y - cy;
        if (std::abs(dx) >= std::abs(dy)) cx += dx > 0 ? 1 : -1;
        if (std::abs(dy) >= std::abs(dx)) cy += dy > 0 ? 1 : -1;
    }
}

void mouse_move(int x, int y) {
    int cx = 0, cy = 0;
    if (!cell_under(x, y, cx, cy)) return;
    if (ed.stroke) stroke_to(cx, cy);
    ed.cursor_x = cx;
    ed.cursor_y = cy;
}

void mouse_down(int x, int y, int button) {
    ed.pending = Pending::none;
    if (button == SDL_BUTTON_WHEELUP || button == SDL_BUTTON_WHEELDOWN) {
        choose_kind(ed.kind + (button == SDL_BUTTON_WHEELUP ? -1 : 1));
        return;
    }
    int cx = 0, cy = 0;
    if (!cell_under(x, y, cx, cy)) {
        if (button != SDL_BUTTON_LEFT) return;
        if (const int k = swatch_at(x, y); k >= 0) choose_kind(k);
        if (const int t = tool_label_at(x, y); t >= 0) choose_tool(static_cast<Tool>(t));
        return;
    }
    ed.cursor_x = cx;
    ed.cursor_y = cy;
    if (button == SDL_BUTTON_RIGHT) {
        // Picks the kind under the pointer.
        if (const int k = kind_of(cell(ed.cave, cx, cy)); k >= 0) ed.kind = k;
    } else if (button == SDL_BUTTON_LEFT) {
        use_tool(true);
    }
}

void mouse_up(int x, int y, int button) {
    if (button != SDL_BUTTON_LEFT) return;
    mouse_move(x, y);
    if (ed.stroke) {
        ed.stroke = false;
        if (ed.stroke_changed) edited();
    }
    if (ed.anchored) {
        ed.anchored = false;
        if (draw_rectangle(ed.cave, ed.anchor_x, ed.anchor_y, ed.cursor_x, ed.cursor_y, chosen_code(),
                           ed.tool == Tool::box))
            edited();
    }
}

Action handle_event(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT: return Action::quit;
    case SDL_KEYDOWN:
        if (handle_comfort_key(event)) return Action::go_on;
        ed.redraw = true;
        return handle_key(event.key.keysym.sym);
    case SDL_MOUSEMOTION:
        mouse_move(event.motion.x, event.motion.y);
        ed.redraw = true;
        break;
    case SDL_MOUSEBUTTONDOWN:
        mouse_down(event.button.x, event.button.y, event.button.button);
        ed.redraw = true;
        break;
    case SDL_MOUSEBUTTONUP:
        mouse_up(event.button.x, event.button.y, event.button.button);
        ed.redraw = true;
        break;
    default: break;
    }
    return Action::go_on;
}

// ---- test-play ----

bool test_won = false;
Presentation editor_base_presentation;

// The cave-complete animation is how the game says the cave was won.
void congrats_frame(int a) {
    test_won = true;
    if (editor_base_presentation.congrats_frame) editor_base_presentation.congrats_frame(a);
}

// Plays the cave from its start with one life; false when the window was closed meanwhile.
bool test_play() {
    if (find(ed.cave).starts == 0) {
        say(WARNED, "no start cell: there is nothing to test");
        return true;
    }
    TestDirectory test;
    if (!enter_test_directory(test, ed.cave)) {
        say(WARNED, "cannot test: no room for the cave in a temporary directory: %s", std::strerror(errno));
        return true;
    }
    editor_base_presentation = presentation();
    Presentation watched = editor_base_presentation;
    watched.congrats_frame = congrats_frame;
    set_presentation(watched);
    test_won = false;

    game.on_title = 0;
    game.cave_index = 0;
    game.lives = 1;
    game.score = 0;
    game.face_dx = game.face_dy = 0;
    load_cave();
    bool open = true, given_up = false;
    SDL_Event event;
    while (open && !given_up && !test_won && game.lives != 0 && game.on_title == 0) {
        game_frame();
        music_tick();
        while (open && !given_up && plat_poll_event(&event)) {
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
                given_up = true;
            else
                open = game_event(event);
        }
    }

    set_presentation(editor_base_presentation);
    leave_test_directory(test);
    game.on_title = 1;
    game.face_dx = game.face_dy = 0;
    if (test_won)
        say(GOOD, "won the test: score %d", game.score);
    else if (given_up)
        say(SAID, "test ended");
    else
        say(WARNED, "the life was lost in the test");
    ed.redraw = true;
    return open;
}

bool open_editor(const char* path) {
    ed.path = path;
    Loaded loaded;
    std::string error;
    switch (open_cave_file(ed.path, loaded, error)) {
    case OpenResult::failed: std::fprintf(stderr, "kromblix: %s\n", error.c_str()); return false;
    case OpenResult::missing:
        ed.cave = new_cave();
        ed.exists = false;
        say(SAID, "a new cave: S saves it");
        break;
    case OpenResult::opened:
        ed.cave = loaded.cave;
        ed.on_disk = loaded.cave;
        ed.exists = true;
        if (loaded.cells != CAVE_CELLS) {
            // What the file holds is not this cave: saving it is a change.
            ed.on_disk.fill(0);
            say(WARNED, "the file holds %d%s cells, not %d: %s", std::min(loaded.cells, CAVE_CELLS * 1000),
                loaded.cells >= CAVE_CELLS * 1000 ? " or more" : "", CAVE_CELLS,
                loaded.cells < CAVE_CELLS ? "the rest are empty" : "the rest are left out");
        }
        break;
    }
    reset_history(ed.history, ed.cave);
    update_findings();
    // The cursor starts on the start cell, when there is one.
    for (int y = 0; y < CAVE_H; ++y)
        for (int x = 0; x < CAVE_W; ++x)
            if (cell(ed.cave, x, y) == START) {
                ed.cursor_x = x;
                ed.cursor_y = y;
            }
    return true;
}

int run_editor() {
    game.on_title = 1;
    game.face_dx = game.face_dy = 0;
    ed.redraw = true;
    SDL_Event event;
    for (;;) {
        if (ed.redraw) {
            ed.redraw = false;
            draw_editor();
        }
        music_tick();
        while (plat_poll_event(&event)) {
            const Action action = handle_event(event);
            if (action == Action::test && test_play()) continue;
            if (action == Action::watch && watch_route(route_replay(), route_cave())) continue;
            if (action == Action::go_on) continue;
            // Left with ESC (asked twice when unsaved), or the window closed.
            end_proofs();
            if (unsaved()) std::fprintf(stderr, "kromblix: the changes to \"%s\" were not saved\n", ed.path.c_str());
            return 0;
        }
        // The proof beside the editor: its progress and answer in the strip.
        if (proof_running() && look_at_proof()) ed.redraw = true;
        plat_delay(POLL_MS);
    }
}

}  // namespace

void say(std::uint32_t colour, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(ed.message.data(), ed.message.size(), format, args);
    va_end(args);
    ed.message_colour = colour;
}

void update_findings() { describe(find(ed.cave), ed.findings); }

}  // namespace editor

EditorEntry editor_entry() {
    EditorEntry entry;
    entry.open = editor::open_editor;
    entry.run = editor::run_editor;
    return entry;
}

void set_editor_proofs_at_once(bool at_once) { editor::set_proofs_at_once(at_once); }

EditorView editor_view() {
    using editor::ed;
    EditorView view;
    view.cells = ed.cave.data();
    view.cursor_x = ed.cursor_x;
    view.cursor_y = ed.cursor_y;
    view.kind = editor::KINDS[static_cast<std::size_t>(ed.kind)].code;
    view.tool = editor::TOOL_NAMES[static_cast<std::size_t>(ed.tool)];
    view.unsaved = editor::unsaved();
    view.findings = ed.findings.data();
    view.message = ed.message.data();
    return view;
}

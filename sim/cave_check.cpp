#include "sim/cave_check.h"

#include "sim/game_state.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

namespace cavecheck {

namespace {

struct Place {
    int line = 0;
    int column = 0;
};

// Codes a cave file may hold: everything a rule acts on, less the codes that only the running
// game writes (the player's mark and the blast stages).
constexpr bool cave_file_code(std::uint8_t c) {
    return c == WALL || c == EMPTY || c == DIRT || c == DIAMOND || c == ROCK || c == START || c == E_BLOCK ||
           c == MAGENTA_GROWTH || c == GREEN_GROWTH || c == ENEMY_LEFT || c == ENEMY_RIGHT || c == ENEMY_UP ||
           c == ENEMY_DOWN;
}

constexpr bool blast_code(std::uint8_t c) { return c >= BLAST_1 && c <= BLAST_7; }

constexpr bool on_ring(int x, int y) { return x == 0 || y == 0 || x == CAVE_W - 1 || y == CAVE_H - 1; }

std::string shown(std::uint8_t c) {
    std::array<char, 16> text{};
    if (c >= 0x21 && c < 0x7F)
        std::snprintf(text.data(), text.size(), "'%c'", static_cast<char>(c));
    else
        std::snprintf(text.data(), text.size(), "byte 0x%02X", static_cast<unsigned>(c));
    return text.data();
}

std::string cell_name(int x, int y) { return "cell (" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

void add(Report& report, Severity severity, Place at, std::string message) {
    if (severity == Severity::error) report.sound = false;
    report.findings.push_back({severity, at.line, at.column, std::move(message)});
}

}  // namespace

Report check_cave(std::string_view bytes) {
    Report report;
    std::array<std::uint8_t, CAVE_CELLS> cells{};
    std::array<Place, CAVE_CELLS> places{};

    // The loader's reading: every byte above 0x20 is the next cell, the first 500 count.
    int line = 1, column = 0, line_cells = 0;
    int kept = 0;
    Place end_of_cells{};
    bool reported_extra = false;
    auto end_line = [&](int number) {
        if (line_cells != 0 && line_cells != CAVE_W && kept <= CAVE_CELLS)
            add(report, Severity::warning, {number, 0},
                "line holds " + std::to_string(line_cells) + " cells, not " + std::to_string(CAVE_W) +
                    ": the cave is read cell by cell, so the rows below it are shifted");
    };
    for (char ch : bytes) {
        const auto c = static_cast<std::uint8_t>(ch);
        ++column;
        if (c == '\n') {
            end_line(line);
            ++line;
            column = 0;
            line_cells = 0;
            continue;
        }
        if (c <= 0x20) continue;
        ++line_cells;
        if (kept < CAVE_CELLS) {
            cells[static_cast<std::size_t>(kept)] = c;
            places[static_cast<std::size_t>(kept)] = {line, column};
            end_of_cells = {line, column};
        } else if (!reported_extra) {
            reported_extra = true;
            add(report, Severity::error, {line, column},
                "more than " + std::to_string(CAVE_CELLS) + " cells: this one and all after it are ignored");
        }
        ++kept;
    }
    end_line(line);

    report.cells = kept < CAVE_CELLS ? kept : CAVE_CELLS;
    if (kept < CAVE_CELLS)
        add(report, Severity::error, {end_of_cells.line, end_of_cells.column},
            "only " + std::to_string(kept) + " cells, not " + std::to_string(CAVE_CELLS) + ": the cave ends before " +
                cell_name(kept % CAVE_W, kept / CAVE_W) +
                ", and the game would keep the previous cave's cells from there on");

    // Cell by cell, in file order.
    for (int n = 0; n < report.cells; ++n) {
        const std::uint8_t c = cells[static_cast<std::size_t>(n)];
        const Place at = places[static_cast<std::size_t>(n)];
        const int x = n % CAVE_W, y = n / CAVE_W;
        if (on_ring(x, y) && c != WALL)
            add(report, Severity::error, at, cell_name(x, y) + " is " + shown(c) + ": the outer ring must be wall '#'");
        if (c == DIAMOND) ++report.diamonds;
        if (c == START) ++report.starts;
        if (cave_file_code(c)) continue;
        if (c == PLAYER)
            add(report, Severity::error, at,
                cell_name(x, y) + " is the player's mark 'H', which only the running game writes (use 'S')");
        else if (blast_code(c))
            add(report, Severity::error, at,
                cell_name(x, y) + " is the blast stage " + shown(c) + ", which only an explosion writes");
        else
            add(report, Severity::error, at, cell_name(x, y) + " is " + shown(c) + ", a code no rule knows");
    }
    for (int n = report.cells; n < CAVE_CELLS; ++n)
        if (on_ring(n % CAVE_W, n / CAVE_W))
            add(report, Severity::error, {},
                cell_name(n % CAVE_W, n / CAVE_W) + " is missing: the outer ring must be wall '#'");

    // The start: the loader takes the last 'S' of a column-by-column scan.
    if (report.starts == 0) add(report, Severity::error, {}, "no start cell 'S'");
    if (report.starts > 1) {
        int used = -1;
        for (int x = 0; x < CAVE_W; ++x)
            for (int y = 0; y < CAVE_H; ++y) {
                const int n = x + CAVE_W * y;
                if (n < report.cells && cells[static_cast<std::size_t>(n)] == START) used = n;
            }
        for (int n = 0; n < report.cells; ++n)
            if (cells[static_cast<std::size_t>(n)] == START)
                add(report, Severity::error, places[static_cast<std::size_t>(n)],
                    "start cell " + std::to_string(report.starts) + " of " + std::to_string(report.starts) + " at " +
                        cell_name(n % CAVE_W, n / CAVE_W) +
                        (n == used ? ": the game starts here" : ": the game ignores it"));
    }
    if (report.diamonds == 0)
        add(report, Severity::warning, {}, "no diamonds: the cave is finished in its first frame");
    return report;
}

std::string format_report(std::string_view name, const Report& report) {
    std::string out;
    for (const Finding& f : report.findings) {
        out += name;
        if (f.line > 0) {
            out += ':' + std::to_string(f.line);
            if (f.column > 0) out += ':' + std::to_string(f.column);
        }
        out += f.severity == Severity::error ? ": error: " : ": warning: ";
        out += f.message;
        out += '\n';
    }
    int errors = 0;
    for (const Finding& f : report.findings)
        if (f.severity == Severity::error) ++errors;
    out += name;
    out += ": " + std::to_string(report.diamonds) + (report.diamonds == 1 ? " diamond" : " diamonds");
    out += report.sound ? ", sound\n" : ", " + std::to_string(errors) + (errors == 1 ? " error\n" : " errors\n");
    return out;
}

}  // namespace cavecheck

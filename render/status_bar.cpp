#include "render/status_bar.h"

#include "render/canvas.h"
#include "render/font.h"
#include "sim/game_state.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr int BAND_PAIRS = 27;
constexpr std::uint32_t RED = 0xff0000;
constexpr std::uint32_t LABEL_LIT = 0xffcf00;
constexpr std::uint32_t LABEL_DIM = 0x9a1099;
constexpr int LABEL_MS = 220;   // each theme label is lit this long, then the next
constexpr int LABEL_CYCLE = 9;  // three lit slots and six dark ones

// Formats one counter line into the shared scratch buffer and draws it.
void draw_counter(int x, int y, const char* format, int value, std::uint32_t colour) {
    std::snprintf(gfx.text_buffer.data(), gfx.text_buffer.size(), format, value);
    draw_text(x, y, gfx.text_buffer.data(), colour);
}

std::uint32_t label_colour(int label) {
    const int phase = (game.frame_clock / LABEL_MS) % LABEL_CYCLE;
    return phase == label ? LABEL_LIT : LABEL_DIM;
}

}  // namespace

void draw_status_bar(int remaining_seconds) {
    // The band colour wraps as a plain 32-bit value: later caves carry into the next channel.
    const std::uint32_t band = 0x621600u + static_cast<std::uint32_t>(game.cave_index) * 0x312800u;
    for (int k = 0; k < BAND_PAIRS; ++k) {
        const int y = 643 + 2 * k;
        fill_rect(1, y + 1, 799, y + 1, band);
        fill_rect(1, y, 799, y, static_cast<std::uint32_t>(44 + 8 * k));
    }

    draw_counter(15, 655, "Score: %d", game.score, WHITE);
    draw_counter(15, 675, "Time: %d", remaining_seconds, remaining_seconds <= 5 ? RED : WHITE);
    draw_counter(120, 655, "Cave: %d", game.cave_index + 1, WHITE);
    draw_counter(120, 675, "Lives: %d", game.lives, WHITE);
    draw_text(255, 655, "KROMBLIX v" KROMBLIX_VERSION, RED);  // the project version, from CMake
    draw_text(735, 683, "...enjoy", 0x1f3020);
    draw_text(487, 645, "[ 1 ] - 'Cirrane' theme", label_colour(1));
    draw_text(485, 662, "[ 2 ] - 'Kobalt Run' theme", label_colour(2));
    draw_text(485, 680, "[ 3 ] - 'Ferro' theme", label_colour(3));
}

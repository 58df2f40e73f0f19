#include "sim/cave_loader.h"

#include "platform/platform.h"
#include "sim/game_state.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::array<char, CAVE_DIR_MAX + 1> cave_dir_prefix{};

// The file is read with plain system calls: a cave load happens in play (each death, each finished
// cave), where the game allocates nothing, and a stdio stream would.
int open_cave_file() {
    std::array<char, CAVE_DIR_MAX + 32> name{};
    std::snprintf(name.data(), name.size(), "%slevel%d.txt", cave_dir_prefix.data(), game.cave_index);
    const int file = open(name.data(), O_RDONLY | O_CLOEXEC);
    if (file >= 0 || game.cave_index == 0) {
        if (file < 0) {
            // Without a first cave there is nothing to fall back to.
            std::fprintf(stderr, "Unable to open cave file \"%s\"\n", name.data());
            std::exit(1);
        }
        return file;
    }
    // A missing cave number sends the game back to cave 0.
    game.cave_index = 0;
    return open_cave_file();
}

}  // namespace

bool set_cave_dir(const char* dir) {
    const std::size_t length = std::strlen(dir);
    if (length > CAVE_DIR_MAX || (length > 0 && dir[length - 1] != '/')) return false;
    std::memcpy(cave_dir_prefix.data(), dir, length + 1);
    return true;
}

const char* cave_dir() { return cave_dir_prefix.data(); }

void load_cave() {
    game.column_cursor = 2;
    game.key_left = game.key_right = game.key_up = game.key_down = 0;
    game.blast_hit_player = 0;
    game.ribbon_phase_a = 0.0f;
    game.ribbon_phase_b = 0.0f;

    const int file = open_cave_file();
    // Bytes up to 0x20 are layout, every other byte is one cell; cells past a short file keep
    // what they held. A read error ends the load like the end of the file.
    std::array<std::uint8_t, 512> chunk{};
    std::size_t n = 0;
    while (n < game.cave.size()) {
        const ssize_t got = read(file, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        for (ssize_t i = 0; i < got && n < game.cave.size(); ++i)
            if (chunk[static_cast<std::size_t>(i)] > 0x20) game.cave[n++] = chunk[static_cast<std::size_t>(i)];
    }
    close(file);

    int diamonds = 0;
    for (std::uint8_t code : game.cave)
        if (code == DIAMOND) ++diamonds;
    game.diamonds_left = diamonds;

    // Column by column, top down: the last START found wins.
    int sx = game.player_x, sy = game.player_y;
    for (int x = 0; x < CAVE_W; ++x)
        for (int y = 0; y < CAVE_H; ++y)
            if (cell_at(x, y) == START) {
                sx = x;
                sy = y;
            }
    game.player_x = game.prev_x = sx;
    game.player_y = game.prev_y = sy;

    game.frame_clock = static_cast<std::int32_t>(plat_ticks());
    game.step_clock = static_cast<std::int32_t>(plat_ticks());
    game.cave_start_time = static_cast<std::int32_t>(plat_ticks());
}

// Test fixtures shared by the suites: a virtual millisecond clock that only sleeps advance,
// a recorder of every sound started, and an ordinary 800 by 700 32-bit screen surface.
#pragma once

#include "platform/platform.h"
#include "sim/game_state.h"
#include "tests/support/test_media.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace test_env {

struct SoundStart {
    int channel;
    SoundId sound;
    bool operator==(const SoundStart&) const = default;
};

// Virtual time in ms; plat_delay advances it.
extern std::uint32_t now_ms;
// Every sound started since the last reset, in order.
extern std::vector<SoundStart> sounds;
// Every frame shown since the last reset, in order.
extern std::vector<FrameKind> frames;
// Total of all sleeps since the last reset.
extern std::uint64_t slept_ms;

// Resets game to all zero, installs the virtual hooks, clears the records.
void reset_all();
// Makes an 800 by 700 32-bit software surface (0x00RRGGBB) and sets game.screen to it.
SDL_Surface* make_screen();
void free_screen();

// Builds a cave from 20 rows of 25 characters.
void set_cave(const std::vector<std::string>& rows);
// The grid as 20 rows of text.
std::vector<std::string> cave_rows();

// Twenty rows of 25 cells with a wall ring around the given fill.
std::vector<std::string> walled_rows(char fill = '.');
// Writes rows as a cave file, one line per row.
void write_cave_file(const std::string& name, const std::vector<std::string>& rows);

// Changes into a fresh scratch directory for its lifetime, and back after.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::filesystem::path path, old_path;
};

// A test fixture that resets everything before each test and frees the screen after.
class GameTest : public ::testing::Test {
protected:
    void SetUp() override { reset_all(); }
    void TearDown() override {
        free_screen();
        free_media();
        reset_platform_hooks();
    }
};

}  // namespace test_env

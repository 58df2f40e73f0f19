// No allocation after start-up: the real game, from its start to the quit on the title, through a
// completed cave, deaths and the game-over screen, with every heap allocation of this process
// noted (operator new and malloc are replaced in this test program). From the first game frame on,
// the game must allocate nothing. What SDL and SDL_mixer do inside is theirs: an allocation is
// theirs when the code that called the allocator lies in one of their libraries or one they load
// (the music decoder on the audio thread reads the music into buffers now and then); it is the
// game's when it was called from this program (the game is linked into it) or from the C and C++
// runtime libraries the game calls (fopen, std::string). Theirs are reported, not failed. Under
// AddressSanitizer, which owns malloc, only operator new is counted.
#include "app/command_line.h"
#include "app/game_main.h"
#include "editor/editor.h"
#include "tests/support/test_env.h"
#include "platform/replay_file.h"

#include <dlfcn.h>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define KROMBLIX_COUNT_MALLOC 0
#else
#define KROMBLIX_COUNT_MALLOC 1
#endif

namespace {

std::atomic<bool> counting{false};
// Who called the allocator, for each allocation after the first game frame (the first many).
constexpr int NOTED = 256;
std::array<std::atomic<void*>, NOTED> callers{};
std::atomic<int> noted{0};

[[gnu::noinline]] void note_allocation(void* caller) {
    if (!counting.load(std::memory_order_relaxed)) return;
    if (const int n = noted++; n < NOTED) callers[static_cast<std::size_t>(n)] = caller;
}

// The file of the program or library that holds an address.
std::string object_of(void* address) {
    Dl_info info{};
    return dladdr(address, &info) && info.dli_fname ? info.dli_fname : "?";
}

// Whether the object is this program or a runtime library the game calls itself.
bool games_own(const std::string& object) {
    for (const char* runtime : {"/libc.so", "/libstdc++.so", "/libm.so", "/libgcc_s.so"})
        if (object.find(runtime) != std::string::npos) return true;
    return object == "?" || object.find("test_no_allocation") != std::string::npos;
}

}  // namespace

#if KROMBLIX_COUNT_MALLOC
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t size) {
    note_allocation(__builtin_return_address(0));
    return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size) {
    note_allocation(__builtin_return_address(0));
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size) {
    note_allocation(__builtin_return_address(0));
    return __libc_realloc(p, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
    note_allocation(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) { return memalign(alignment, size); }
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    *out = memalign(alignment, size);
    return *out ? 0 : ENOMEM;
}
void free(void* p) { __libc_free(p); }
}
#endif

void* operator new(std::size_t size) {
#if !KROMBLIX_COUNT_MALLOC
    note_allocation(__builtin_return_address(0));
#endif
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
#if !KROMBLIX_COUNT_MALLOC
    note_allocation(__builtin_return_address(0));
#endif
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

using namespace test_env;

namespace {

// A new game; cave 0 finished in its first second (a completed cave); in cave 1 every life given
// up with ESC (deaths, the game-over screen); back on the title, ESC quits.
constexpr const char* SCRIPT = R"(
1000 down SPACE
1100 up SPACE
1150 down UP
1550 up UP
)";

std::vector<SDL_Event> script;
std::vector<std::uint32_t> event_ticks;
std::size_t next_event = 0;
std::uint32_t clock_ms = 0;
std::array<int, FRAME_KIND_COUNT> frames_of_kind{};  // from the first game frame on
bool game_ran = false;  // game_main runs once in a process

}  // namespace

TEST(NoAllocation, AfterTheFirstGameFrame) {
    ScratchDir dir;
    copy_media(dir.path);
    for (const auto& entry : fs::directory_iterator(fs::path(KROMBLIX_SOURCE_DIR) / "tests/replays/caves"))
        fs::copy_file(entry.path(), dir.path / entry.path().filename());

    std::string text = SCRIPT;
    std::uint32_t t = 3000;
    for (int life = 0; life < 10; ++life, t += 500)
        text += std::to_string(t) + " down ESC\n" + std::to_string(t + 100) + " up ESC\n";
    text += "15000 down ESC\n";
    const replay::Replay parsed = replay::parse_replay(text);
    ASSERT_EQ(parsed.error, "");
    for (const replay::ReplayEvent& e : parsed.events) script.push_back(replay::to_sdl_event(e));
    for (const replay::ReplayEvent& e : parsed.events) event_ticks.push_back(e.tick);

    PlatformHooks hooks;
    hooks.ticks = [] { return clock_ms; };
    hooks.delay = [](std::uint32_t ms) { clock_ms += ms; };
    hooks.poll_event = [](SDL_Event* event) {
        if (next_event < script.size() && event_ticks[next_event] <= clock_ms) {
            *event = script[next_event++];
            return 1;
        }
        return 0;
    };
    hooks.frame_shown = [](FrameKind kind) {
        counting = counting || kind == FrameKind::cave;
        frames_of_kind[static_cast<std::size_t>(kind)] += counting;
    };
    set_platform_hooks(hooks);
    // The game over saves the best score, into a scratch table: saving allocates nothing either.
    setenv("XDG_DATA_HOME", (dir.path / "xdg").c_str(), 1);

    game_ran = true;
    const int status = game_main(0, nullptr);
    counting = false;
    reset_platform_hooks();

    EXPECT_EQ(status, 0);
    EXPECT_LE(noted.load(), NOTED);
    std::string games, theirs;
    for (int i = 0; i < std::min(noted.load(), NOTED); ++i) {
        const std::string object = object_of(callers[static_cast<std::size_t>(i)]);
        (games_own(object) ? games : theirs) += " " + object;
    }
    EXPECT_EQ(games, "") << "allocations after the first game frame, called from";
    RecordProperty("allocations_by_libraries", theirs);
    // What was played: a completed cave, deaths, the game-over screen and the title after them.
    EXPECT_GT(frames_of_kind[static_cast<std::size_t>(FrameKind::congrats)], 0);
    EXPECT_EQ(frames_of_kind[static_cast<std::size_t>(FrameKind::death)], 90);
    EXPECT_GT(frames_of_kind[static_cast<std::size_t>(FrameKind::game_over)], 0);
    EXPECT_GT(frames_of_kind[static_cast<std::size_t>(FrameKind::title)], 0);
}

// The cave editor's test-play: the game's frames while it plays the edited cave allocate nothing,
// up to the editor's next picture. ctest runs each test in a process of its own.
TEST(NoAllocation, InTheEditorsTestPlay) {
    if (game_ran) GTEST_SKIP() << "the game already ran in this process: run this test alone";
    ScratchDir dir;
    copy_media(dir.path);
    for (const auto& entry : fs::directory_iterator(fs::path(KROMBLIX_SOURCE_DIR) / "tests/replays/caves"))
        fs::copy_file(entry.path(), dir.path / entry.path().filename());
    // The tests' first cave: up takes the three diamonds above the start; down lets a rock fall
    // onto an enemy (a blast). Test-play, some steps each way, then ESC back and ESC to leave.
    const replay::Replay parsed = replay::parse_replay(
        "500 down T\n550 down DOWN\n950 up DOWN\n1050 down LEFT\n1450 up LEFT\n1550 down ESC\n"
        "1600 up ESC\n2000 down ESC\n");
    ASSERT_EQ(parsed.error, "");
    for (const replay::ReplayEvent& e : parsed.events) script.push_back(replay::to_sdl_event(e));
    for (const replay::ReplayEvent& e : parsed.events) event_ticks.push_back(e.tick);

    PlatformHooks hooks;
    hooks.ticks = [] { return clock_ms; };
    hooks.delay = [](std::uint32_t ms) { clock_ms += ms; };
    hooks.poll_event = [](SDL_Event* event) {
        if (next_event < script.size() && event_ticks[next_event] <= clock_ms) {
            *event = script[next_event++];
            return 1;
        }
        return 0;
    };
    hooks.frame_shown = [](FrameKind kind) {
        if (kind == FrameKind::editor && counting) counting = false;
        counting = counting || kind == FrameKind::cave;
        frames_of_kind[static_cast<std::size_t>(kind)] += counting;
    };
    set_platform_hooks(hooks);
    install_editor(editor_entry());
    set_edit_file((dir.path / "level0.txt").string());
    game_ran = true;
    const int status = game_main(0, nullptr);
    counting = false;
    reset_platform_hooks();

    EXPECT_EQ(status, 0);
    std::string games, theirs;
    for (int i = 0; i < std::min(noted.load(), NOTED); ++i) {
        const std::string object = object_of(callers[static_cast<std::size_t>(i)]);
        (games_own(object) ? games : theirs) += " " + object;
    }
    EXPECT_EQ(games, "") << "allocations in test-play, called from";
    EXPECT_GE(frames_of_kind[static_cast<std::size_t>(FrameKind::cave)], 9);
}

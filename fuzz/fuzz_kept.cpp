// Fuzz target: the files the game keeps for the player and the sets of caves it reads. The first
// byte chooses the reader; the rest is its input.
//   0: a caves-reached file: what parses is written back and parses to the same sets and caves.
//   1: a best-scores table: what parses is in order, saved, and read back the same.
//   2: a set directory: the rest, cut at each "\n--\n", is name.txt, then level0.txt, level1.txt,
//      ... (at most 8); the set is read and checked, and what it reports must hold together.
#include "app/cave_sets.h"
#include "app/progress.h"
#include "app/scores.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const fs::path& scratch() {
    // Never destroyed, so that the removal at exit still knows it.
    static const fs::path& dir = *[] {
        auto* d = new fs::path(fs::temp_directory_path() / ("kromblix-fuzz-kept-" + std::to_string(::getpid())));
        fs::create_directories(*d);
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(scratch(), ignored);
        });
        return d;
    }();
    return dir;
}

void check_progress(std::string_view text) {
    Progress p;
    if (!parse_progress(text, p)) {
        if (p.count != 0) std::abort();
        return;
    }
    static std::array<char, 64 * 1024> out{};
    const std::size_t n = format_progress(p, out.data(), out.size());
    Progress again;
    if (n == 0 || !parse_progress({out.data(), n}, again) || again.count != p.count) std::abort();
    for (int i = 0; i < p.count; ++i) {
        const ProgressEntry &a = p.entries[static_cast<std::size_t>(i)], &b = again.entries[static_cast<std::size_t>(i)];
        if (std::strcmp(a.key.data(), b.key.data()) != 0 || a.reached != b.reached || a.reached < 0) std::abort();
        if (!valid_set_key(a.key.data()) || reached_in(again, a.key.data()) != a.reached) std::abort();
    }
}

void check_scores(std::string_view text) {
    ScoreTable t;
    const char* why = "";
    if (!parse_scores(text, t, why)) return;
    if (t.count < 1 || t.count > BEST_SCORES) std::abort();
    for (int i = 1; i < t.count; ++i)
        if (t.entries[static_cast<std::size_t>(i)].score > t.entries[static_cast<std::size_t>(i - 1)].score) std::abort();
    const std::string file = (scratch() / "scores").string();
    if (!save_scores(t, file)) std::abort();
    const ScoreTable back = load_scores(file);
    if (back.count != t.count) std::abort();
    for (int i = 0; i < t.count; ++i) {
        const ScoreEntry &a = t.entries[static_cast<std::size_t>(i)], &b = back.entries[static_cast<std::size_t>(i)];
        if (a.score != b.score || a.cave != b.cave || a.from != b.from || std::strcmp(a.date.data(), b.date.data()) != 0)
            std::abort();
    }
}

void check_set(std::string_view text) {
    const fs::path dir = scratch() / "set";
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    constexpr std::string_view CUT = "\n--\n";
    int files = 0;
    for (;;) {
        const std::size_t at = text.find(CUT);
        const std::string_view piece = text.substr(0, at);
        const std::string name = files == 0 ? "name.txt" : "level" + std::to_string(files - 1) + ".txt";
        std::ofstream(dir / name, std::ios::binary).write(piece.data(), static_cast<std::streamsize>(piece.size()));
        ++files;
        if (at == std::string_view::npos || files == 9) break;
        text.remove_prefix(at + CUT.size());
    }
    CaveSet set;
    std::string faults;
    const bool sound = read_cave_set(dir.string(), set, faults);
    if (sound != faults.empty() || set.caves != files - 1 || set.name.empty() || set.name.size() > MAX_SET_NAME) std::abort();
    for (const char c : set.name)
        if (c < 0x20 || c > 0x7E) std::abort();
    for (const char c : faults)
        if (c != '\n' && (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    // The readers' warnings would flood the fuzzer's output.
    static const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
    (void)quiet;
    switch (data[0] % 3) {
    case 0: check_progress(rest); break;
    case 1: check_scores(rest); break;
    default: check_set(rest); break;
    }
    return 0;
}

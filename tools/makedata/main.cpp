// kromblix-makedata: writes every picture, sound and music file the game reads.
//
//   kromblix-makedata --out DIR [--art DIR] [--fonts DIR] [--only NAME,...]
//
// --only icon-32.png,icon-64.png,icon-128.png,icon-256.png writes the desktop's icons.
//
// The output depends only on the art files, the two DejaVu faces and this program, never on the
// time, the environment or earlier runs.
#include "platform/audio.h"
#include "platform/platform.h"
#include "tools/makedata/audio.h"
#include "tools/makedata/font.h"
#include "tools/makedata/image.h"
#include "tools/makedata/makedata.h"
#include "tools/makedata/sprites.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#ifndef KROMBLIX_ART_DIR
#define KROMBLIX_ART_DIR "data/art"
#endif
#ifndef KROMBLIX_FONT_DIR
#define KROMBLIX_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

namespace {

using namespace makedata;

struct Options {
    std::string out;
    std::string art = KROMBLIX_ART_DIR;
    std::string fonts = KROMBLIX_FONT_DIR;
    std::set<std::string> only;
};

// Narrow enough for the longest in-game lines at 16 pixels; the title uses the wide face.
constexpr const char* STRIP_FACE = "DejaVuSansCondensed-Bold.ttf";
constexpr const char* TITLE_FACE = "DejaVuSans-Bold.ttf";

constexpr float MUSIC_QUALITY = 0.3f;
constexpr int MUSIC_SERIAL_BASE = 0x4B524D00;  // "KRM" and the theme number

int usage() {
    std::fputs("usage: kromblix-makedata --out DIR [--art DIR] [--fonts DIR] [--only NAME,...]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return usage();
        const std::string value = argv[++i];
        if (arg == "--out") {
            opt.out = value;
        } else if (arg == "--art") {
            opt.art = value;
        } else if (arg == "--fonts") {
            opt.fonts = value;
        } else if (arg == "--only") {
            std::istringstream names(value);
            for (std::string name; std::getline(names, name, ',');) opt.only.insert(name);
        } else {
            return usage();
        }
    }
    if (opt.out.empty()) return usage();

    const std::string dir = opt.out + "/";
    std::vector<std::pair<std::string, std::function<void(const std::string&)>>> jobs = {
        // Longest first, so the parallel run ends sooner.
        {theme_file_name(1),
         [](const std::string& path) { write_ogg(make_theme(1), path, MUSIC_SERIAL_BASE + 1, MUSIC_QUALITY); }},
        {theme_file_name(2),
         [](const std::string& path) { write_ogg(make_theme(2), path, MUSIC_SERIAL_BASE + 2, MUSIC_QUALITY); }},
        {theme_file_name(3),
         [](const std::string& path) { write_ogg(make_theme(3), path, MUSIC_SERIAL_BASE + 3, MUSIC_QUALITY); }},
        {"font.bmp",
         [&](const std::string& path) {
             Face face(opt.fonts + "/" + STRIP_FACE);
             write_bmp(make_font_strip(face), path);
         }},
        {"pot5.bmp",
         [&](const std::string& path) { write_bmp(make_tile_sheet(read_art(opt.art + "/tiles.txt")), path); }},
        {"player.bmp",
         [&](const std::string& path) { write_bmp(make_player_sheet(read_art(opt.art + "/player.txt")), path); }},
        {"title.bmp",
         [&](const std::string& path) {
             Face face(opt.fonts + "/" + TITLE_FACE);
             write_bmp(make_title(face), path);
         }},
        {"icon.bmp",
         [&](const std::string& path) { write_bmp(make_icon(read_art(opt.art + "/tiles.txt"), 64), path); }},
        {sound_file_name(SoundId::rock), [](const std::string& path) { write_wav(make_rock_sound(), path); }},
        {sound_file_name(SoundId::diamond), [](const std::string& path) { write_wav(make_diamond_sound(), path); }},
        {sound_file_name(SoundId::collect), [](const std::string& path) { write_wav(make_collect_sound(), path); }},
        {sound_file_name(SoundId::blast), [](const std::string& path) { write_wav(make_blast_sound(), path); }},
    };

    // The desktop's icons come after the files the game reads and are made only when named
    // (--only): they are installed beside the game's data, not read by it.
    const std::size_t game_files = jobs.size();
    for (const int size : {32, 64, 128, 256})
        jobs.emplace_back("icon-" + std::to_string(size) + ".png", [&opt, size](const std::string& path) {
            write_png(make_icon(read_art(opt.art + "/tiles.txt"), size), path);
        });

    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < jobs.size(); ++i)
        if (opt.only.empty() ? i < game_files : opt.only.count(jobs[i].first) > 0) chosen.push_back(i);
    if (chosen.empty()) {
        std::fputs("kromblix-makedata: --only matched no file\n", stderr);
        return 2;
    }

    // The files are independent, so they are made in parallel; each one's bytes depend only
    // on its own job, never on the order the jobs finish in. Each is written under a temporary
    // name and renamed when complete, so a failed run never leaves a fresh-looking partial file
    // that the build would take as up to date.
    std::atomic<std::size_t> next{0};
    std::mutex failures_lock;
    std::vector<std::string> failures;
    auto worker = [&] {
        for (std::size_t k; (k = next.fetch_add(1)) < chosen.size();) {
            const auto& [name, job] = jobs[chosen[k]];
            const std::string part = dir + name + ".part";
            try {
                job(part);
                std::filesystem::rename(part, dir + name);
            } catch (const std::exception& e) {
                std::error_code ignored;
                std::filesystem::remove(part, ignored);
                const std::lock_guard<std::mutex> hold(failures_lock);
                failures.push_back(name + ": " + e.what());
            }
        }
    };
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
    worker();
    for (std::thread& t : pool) t.join();

    for (const std::string& f : failures) std::fprintf(stderr, "kromblix-makedata: %s\n", f.c_str());
    return failures.empty() ? 0 : 1;
}

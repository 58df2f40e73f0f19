#include "app/progress.h"

#include "app/kept_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>
#include <string>

namespace {

// The highest cave number a file may hold; far above any set the game reads.
constexpr int MAX_REACHED = 9999;

struct Kept {
    std::array<char, KEPT_PATH_MAX + 1> path{};  // "" keeps none
    std::array<char, MAX_SET_KEY + 1> key{};
    Progress progress;
    int reached = 0;  // of the set being played
};
Kept kept;

constexpr bool key_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == '%';
}

const ProgressEntry* find(const Progress& progress, std::string_view key) {
    for (int i = 0; i < progress.count; ++i)
        if (key == progress.entries[static_cast<std::size_t>(i)].key.data()) return &progress.entries[static_cast<std::size_t>(i)];
    return nullptr;
}

// Reads the file at path into progress: true when it holds progress, false (with a warning
// saying why, when warn) when it is missing or damaged, and then progress is empty.
bool read_progress(const char* path, Progress& progress, bool warn) {
    progress = Progress{};
    const char* text = nullptr;
    std::size_t length = 0;
    const KeptRead got = read_kept_file(path, text, length);
    const char* why = nullptr;
    if (got == KeptRead::missing) return false;  // nothing reached yet: no warning
    if (got == KeptRead::failed) why = "cannot be read";
    else if (got == KeptRead::too_large || !parse_progress({text, length}, progress)) why = "are malformed";
    if (!why) return true;
    progress = Progress{};
    if (warn) std::printf("Warning: caves reached \"%s\" %s; counting none as reached\n", path, why);
    return false;
}

void save_progress() {
    // Under the lock: what the file holds now (another game may have gone further meanwhile)
    // with this game's highest caves raised in it. A damaged file is replaced by what this game knows.
    const KeptFileLock lock(kept.path.data());
    Progress merged;
    if (!read_progress(kept.path.data(), merged, false)) merged = kept.progress;
    for (int i = 0; i < kept.progress.count; ++i) {
        const ProgressEntry& e = kept.progress.entries[static_cast<std::size_t>(i)];
        raise_reached(merged, e.key.data(), e.reached);
    }
    kept.progress = merged;
    static std::array<char, MAX_PROGRESS_SETS * (MAX_SET_KEY + 16) + 128> text{};
    const std::size_t length = format_progress(merged, text.data(), text.size());
    if (length == 0 || !replace_kept_file(kept.path.data(), text.data(), length))
        std::printf("Warning: cannot save the caves reached to \"%s\": %s\n", kept.path.data(),
                    length == 0 ? "too many sets" : std::strerror(errno));
}

}  // namespace

bool valid_set_key(std::string_view key) {
    return !key.empty() && key.size() <= MAX_SET_KEY && std::all_of(key.begin(), key.end(), key_char);
}

bool parse_progress(std::string_view text, Progress& progress) {
    progress = Progress{};
    auto refuse = [&progress] {
        progress = Progress{};
        return false;
    };
    for (std::string_view rest = text; !rest.empty();) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos) return refuse();
        const std::string_view key = line.substr(0, space), number = line.substr(space + 1);
        int cave = 0;
        const auto [stop, error] = std::from_chars(number.data(), number.data() + number.size(), cave);
        if (!valid_set_key(key) || number.empty() || error != std::errc{} || stop != number.data() + number.size() ||
            cave < 1 || cave > MAX_REACHED + 1 || find(progress, key) || progress.count == MAX_PROGRESS_SETS)
            return refuse();
        ProgressEntry& e = progress.entries[static_cast<std::size_t>(progress.count++)];
        std::copy(key.begin(), key.end(), e.key.begin());
        e.reached = cave - 1;
    }
    return true;
}

std::size_t format_progress(const Progress& progress, char* out, std::size_t size) {
    int length = std::snprintf(out, size, "# KROMBLIX caves reached: set, highest cave reached\n");
    for (int i = 0; i < progress.count && length > 0 && static_cast<std::size_t>(length) < size; ++i) {
        const ProgressEntry& e = progress.entries[static_cast<std::size_t>(i)];
        length += std::snprintf(out + length, size - static_cast<std::size_t>(length), "%s %d\n", e.key.data(), e.reached + 1);
    }
    return length > 0 && static_cast<std::size_t>(length) < size ? static_cast<std::size_t>(length) : 0;
}

int reached_in(const Progress& progress, const char* key) {
    const ProgressEntry* e = find(progress, key);
    return e ? e->reached : 0;
}

bool raise_reached(Progress& progress, const char* key, int cave) {
    if (!valid_set_key(key) || cave <= 0 || cave > MAX_REACHED) return false;
    auto* e = const_cast<ProgressEntry*>(find(progress, key));
    if (!e) {
        if (progress.count == MAX_PROGRESS_SETS) return false;
        e = &progress.entries[static_cast<std::size_t>(progress.count++)];
        std::snprintf(e->key.data(), e->key.size(), "%s", key);
        e->reached = 0;
    }
    if (cave <= e->reached) return false;
    e->reached = cave;
    return true;
}

std::string progress_path_beside(const std::string& scores_path) {
    const std::size_t slash = scores_path.rfind('/');
    return slash == std::string::npos ? std::string("progress") : scores_path.substr(0, slash + 1) + "progress";
}

void use_progress_file(const std::string& path) {
    kept.path[0] = '\0';
    kept.progress = Progress{};
    if (!path.empty() && path.size() <= KEPT_PATH_MAX) {
        std::snprintf(kept.path.data(), kept.path.size(), "%s", path.c_str());
        read_progress(kept.path.data(), kept.progress, true);
    }
    if (kept.key[0] == '\0') std::snprintf(kept.key.data(), kept.key.size(), "%s", MAIN_SET_KEY);
    kept.reached = reached_in(kept.progress, kept.key.data());
}

void use_progress_of_set(const char* key) {
    std::snprintf(kept.key.data(), kept.key.size(), "%s", key);
    kept.reached = reached_in(kept.progress, kept.key.data());
}

int caves_reached() { return kept.reached; }

void note_cave_reached(int cave) {
    // Without a file nothing is kept, not even for this session: the runner without --scores
    // shows every title as the designed game does.
    if (cave <= kept.reached || kept.path[0] == '\0') return;
    kept.reached = cave;
    raise_reached(kept.progress, kept.key.data(), cave);
    save_progress();
    kept.reached = std::max(kept.reached, reached_in(kept.progress, kept.key.data()));
}

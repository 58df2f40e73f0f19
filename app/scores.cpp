#include "app/scores.h"

#include "app/kept_file.h"
#include "app/progress.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <system_error>

namespace {

constexpr const char* CREDIT_LINE = "written by the KROMBLIX developers";

struct Kept {
    std::string path;  // the first set's table
    bool chosen = false;
    std::array<char, KEPT_PATH_MAX + 96> set_path{};  // the chosen set's table; "" keeps none
    ScoreTable table;
    std::array<char, 96> credit{};
    std::array<char, 48> best{};
};
Kept kept;

bool valid_date(std::string_view d) {
    if (d.size() != 10 || d[4] != '-' || d[7] != '-') return false;
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (d[i] < '0' || d[i] > '9') return false;
    return true;
}

void update_credit() {
    kept.best[0] = '\0';
    if (kept.table.count == 0) {
        std::snprintf(kept.credit.data(), kept.credit.size(), "%s", CREDIT_LINE);
        return;
    }
    const ScoreEntry& best = kept.table.entries[0];
    std::snprintf(kept.best.data(), kept.best.size(), "best: %d, cave %d", best.score, best.cave);
    std::snprintf(kept.credit.data(), kept.credit.size(), "%s - %s", CREDIT_LINE, kept.best.data());
}

// Reads the table at path without allocating: the table, or why not.
enum class Loaded { table, missing, damaged };
Loaded read_table(const char* path, ScoreTable& table, const char*& why) {
    table = ScoreTable{};
    const char* text = nullptr;
    std::size_t length = 0;
    switch (read_kept_file(path, text, length)) {
    case KeptRead::read: break;
    case KeptRead::missing: why = "do not exist yet"; return Loaded::missing;
    case KeptRead::too_large: why = "are malformed"; return Loaded::damaged;
    case KeptRead::failed: why = "cannot be read"; return Loaded::damaged;
    }
    if (parse_scores({text, length}, table, why)) return Loaded::table;
    table = ScoreTable{};
    return Loaded::damaged;
}

// The table of the chosen set, read now: empty with a warning when missing or damaged.
void load_set_table() {
    kept.table = ScoreTable{};
    if (kept.set_path[0] != '\0') {
        const char* why = "";
        if (read_table(kept.set_path.data(), kept.table, why) != Loaded::table)
            std::printf("Warning: best scores \"%s\" %s; starting with none\n", kept.set_path.data(), why);
    }
    update_credit();
}

}  // namespace

std::string default_scores_path() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') return std::string(xdg) + "/kromblix/scores";
    if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.local/share/kromblix/scores";
    return {};
}

bool parse_scores(std::string_view text, ScoreTable& table, const char*& why) {
    table = ScoreTable{};
    why = "are malformed";
    int lines = 0;
    for (std::string_view rest = text; !rest.empty();) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (line.empty() || line[0] == '#') continue;
        std::array<std::string_view, 5> words{};
        std::size_t count = 0;
        for (std::size_t i = 0; i < line.size();) {
            const std::size_t from = line.find_first_not_of(" \t\r\v\f", i);
            if (from == std::string_view::npos) break;
            const std::size_t to = std::min(line.find_first_of(" \t\r\v\f", from), line.size());
            if (count == words.size()) return false;
            words[count++] = line.substr(from, to - from);
            i = to;
        }
        long long score = -1, cave = -1, from = 1;
        auto number = [](std::string_view word, long long low, long long high, long long& value) {
            const auto [stop, error] = std::from_chars(word.data(), word.data() + word.size(), value);
            return !word.empty() && error == std::errc{} && stop == word.data() + word.size() && value >= low &&
                   value <= high;
        };
        if ((count != 3 && count != 4) || !number(words[0], 0, 999999999, score) || !number(words[1], 1, 9999, cave) ||
            !valid_date(words[2]) || (count == 4 && !number(words[3], 1, 9999, from)) || ++lines > BEST_SCORES)
            return false;
        const std::array<char, 11> date{words[2][0], words[2][1], words[2][2], words[2][3], words[2][4], words[2][5],
                                        words[2][6], words[2][7], words[2][8], words[2][9], '\0'};
        add_score(table, static_cast<int>(score), static_cast<int>(cave), date.data(), static_cast<int>(from));
    }
    if (lines == 0) why = "are empty";
    return lines > 0;
}

ScoreTable load_scores(const std::string& path) {
    ScoreTable table;
    const char* why = "";
    if (read_table(path.c_str(), table, why) == Loaded::table) return table;
    std::printf("Warning: best scores \"%s\" %s; starting with none\n", path.c_str(), why);
    return {};
}

bool add_score(ScoreTable& table, int score, int cave, const char* date, int from) {
    int at = 0;
    while (at < table.count && table.entries[static_cast<std::size_t>(at)].score >= score) ++at;
    if (at >= BEST_SCORES) return false;
    for (int i = std::min(table.count, BEST_SCORES - 1); i > at; --i)
        table.entries[static_cast<std::size_t>(i)] = table.entries[static_cast<std::size_t>(i - 1)];
    ScoreEntry& e = table.entries[static_cast<std::size_t>(at)];
    e = ScoreEntry{score, cave, {}, from};
    std::snprintf(e.date.data(), e.date.size(), "%s", date);
    table.count = std::min(table.count + 1, BEST_SCORES);
    return true;
}

namespace {

// Saving happens at the end of a game, after start-up, so it allocates nothing: the text is
// built in a fixed buffer and app/kept_file writes it.
bool save_table(const ScoreTable& table, const char* path) {
    std::array<char, 128 + BEST_SCORES * 64> text{};
    int length = std::snprintf(text.data(), text.size(),
                               "# KROMBLIX best scores: score, cave reached, date, cave started from when not 1\n");
    for (int i = 0; i < table.count; ++i) {
        const ScoreEntry& e = table.entries[static_cast<std::size_t>(i)];
        const std::size_t room = text.size() - static_cast<std::size_t>(length);
        length += e.from > 1 ? std::snprintf(text.data() + length, room, "%d %d %s %d\n", e.score, e.cave, e.date.data(), e.from)
                             : std::snprintf(text.data() + length, room, "%d %d %s\n", e.score, e.cave, e.date.data());
    }
    const bool too_long = std::strlen(path) > KEPT_PATH_MAX;
    if (too_long) errno = ENAMETOOLONG;
    if (too_long || !replace_kept_file(path, text.data(), static_cast<std::size_t>(length))) {
        std::printf("Warning: cannot save the best scores to \"%s\": %s\n", path, std::strerror(errno));
        return false;
    }
    return true;
}

}  // namespace

bool save_scores(const ScoreTable& table, const std::string& path) { return save_table(table, path.c_str()); }

void use_scores_file(const std::string& path) {
    tzset();  // the time zone is read now, so that dating a score later allocates nothing
    kept.path = path;
    kept.chosen = true;
    std::snprintf(kept.set_path.data(), kept.set_path.size(), "%s", path.size() <= KEPT_PATH_MAX ? path.c_str() : "");
    use_progress_file(path.empty() ? std::string() : progress_path_beside(path));
    load_set_table();
}

bool scores_file_chosen() { return kept.chosen; }
const std::string& scores_file() { return kept.path; }

void use_scores_of_set(const char* key) {
    kept.set_path[0] = '\0';
    if (!kept.path.empty() && kept.path.size() <= KEPT_PATH_MAX) {
        if (std::strcmp(key, MAIN_SET_KEY) == 0)
            std::snprintf(kept.set_path.data(), kept.set_path.size(), "%s", kept.path.c_str());
        else
            std::snprintf(kept.set_path.data(), kept.set_path.size(), "%s-%s", kept.path.c_str(), key);
    }
    use_progress_of_set(key);
    load_set_table();
}

const ScoreTable& best_scores() { return kept.table; }

void record_game(int score, int cave, int from) {
    if (score <= 0) return;
    std::array<char, 11> date{};  // YYYY-MM-DD, as the table keeps it
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local) || std::strftime(date.data(), date.size(), "%Y-%m-%d", &local) != 10)
        std::snprintf(date.data(), date.size(), "1970-01-01");
    if (kept.set_path[0] == '\0') {
        if (add_score(kept.table, score, cave, date.data(), from)) update_credit();
        return;
    }
    // Under the lock: the table as it is on the disk now (another game may have saved since this
    // one started), this game added, then written back. A damaged table on the disk is replaced
    // by the one read at the start with this game added; a missing one by this game alone.
    const KeptFileLock lock(kept.set_path.data());
    ScoreTable merged;
    const char* why = "";
    switch (read_table(kept.set_path.data(), merged, why)) {
    case Loaded::table: break;
    case Loaded::missing: merged = ScoreTable{}; break;
    case Loaded::damaged: merged = kept.table; break;
    }
    const bool added = add_score(merged, score, cave, date.data(), from);
    kept.table = merged;
    update_credit();
    if (added) save_table(kept.table, kept.set_path.data());
}

const char* title_credit_line() {
    if (kept.credit[0] == '\0') update_credit();
    return kept.credit.data();
}

const char* best_score_text() { return kept.best.data(); }

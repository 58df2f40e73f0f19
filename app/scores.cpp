#include "app/scores.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* CREDIT_LINE = "written by the KROMBLIX developers";

struct Kept {
    std::string path;
    bool chosen = false;
    ScoreTable table;
    std::array<char, 96> credit{};
    std::array<char, 48> best{};
};
Kept kept;

bool valid_date(const std::string& d) {
    if (d.size() != 10 || d[4] != '-' || d[7] != '-') return false;
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (d[i] < '0' || d[i] > '9') return false;
    return true;
}

ScoreTable empty_with_warning(const std::string& path, const char* why) {
    std::printf("Warning: best scores \"%s\" %s; starting with none\n", path.c_str(), why);
    return {};
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

}  // namespace

std::string default_scores_path() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') return std::string(xdg) + "/kromblix/scores";
    if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.local/share/kromblix/scores";
    return {};
}

ScoreTable load_scores(const std::string& path) {
    std::ifstream in(path);
    if (!in) return empty_with_warning(path, errno == ENOENT ? "do not exist yet" : "cannot be read");
    ScoreTable table;
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        long long score = -1, cave = -1;
        std::string date, extra;
        if (!(words >> score >> cave >> date) || (words >> extra) || score < 0 || score > 999999999 || cave < 1 ||
            cave > 9999 || !valid_date(date) || ++lines > BEST_SCORES)
            return empty_with_warning(path, "are malformed");
        add_score(table, static_cast<int>(score), static_cast<int>(cave), date.c_str());
    }
    if (in.bad()) return empty_with_warning(path, "cannot be read");
    if (lines == 0) return empty_with_warning(path, "are empty");
    return table;
}

bool add_score(ScoreTable& table, int score, int cave, const char* date) {
    int at = 0;
    while (at < table.count && table.entries[static_cast<std::size_t>(at)].score >= score) ++at;
    if (at >= BEST_SCORES) return false;
    for (int i = std::min(table.count, BEST_SCORES - 1); i > at; --i)
        table.entries[static_cast<std::size_t>(i)] = table.entries[static_cast<std::size_t>(i - 1)];
    ScoreEntry& e = table.entries[static_cast<std::size_t>(at)];
    e = ScoreEntry{score, cave, {}};
    std::snprintf(e.date.data(), e.date.size(), "%s", date);
    table.count = std::min(table.count + 1, BEST_SCORES);
    return true;
}

bool save_scores(const ScoreTable& table, const std::string& path) {
    const fs::path target(path);
    std::error_code ec;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    std::string text = "# KROMBLIX best scores: score, cave reached, date\n";
    for (int i = 0; i < table.count; ++i) {
        const ScoreEntry& e = table.entries[static_cast<std::size_t>(i)];
        text += std::to_string(e.score) + " " + std::to_string(e.cave) + " " + e.date.data() + "\n";
    }
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    if (fd >= 0) ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        std::printf("Warning: cannot save the best scores to \"%s\": %s\n", path.c_str(), std::strerror(errno));
        if (fd >= 0) ::unlink(temp.c_str());
        return false;
    }
    // The rename itself reaches the disk with the directory.
    const std::string dir = target.has_parent_path() ? target.parent_path().string() : ".";
    if (const int dir_fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir_fd >= 0) {
        ::fsync(dir_fd);
        ::close(dir_fd);
    }
    return true;
}

void use_scores_file(const std::string& path) {
    kept.path = path;
    kept.chosen = true;
    kept.table = path.empty() ? ScoreTable{} : load_scores(path);
    update_credit();
}

bool scores_file_chosen() { return kept.chosen; }
const ScoreTable& best_scores() { return kept.table; }

void record_game(int score, int cave) {
    if (score <= 0) return;
    std::array<char, 16> date{};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local) || std::strftime(date.data(), date.size(), "%Y-%m-%d", &local) != 10)
        std::snprintf(date.data(), date.size(), "1970-01-01");
    if (!add_score(kept.table, score, cave, date.data())) return;
    update_credit();
    if (!kept.path.empty()) save_scores(kept.table, kept.path);
}

const char* title_credit_line() {
    if (kept.credit[0] == '\0') update_credit();
    return kept.credit.data();
}

const char* best_score_text() { return kept.best.data(); }

#include "app/scores.h"

#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

// Saving happens at the end of a game, after start-up, so it allocates nothing: the text, the
// temporary file's name and the directory are built in fixed buffers, and plain system calls
// write them.
bool save_scores(const ScoreTable& table, const std::string& path) {
    std::array<char, 4096 + 8> temp{}, dir{};
    const bool named = !path.empty() && path.size() < 4096;
    if (named) {
        std::snprintf(temp.data(), temp.size(), "%s.tmp", path.c_str());
        std::snprintf(dir.data(), dir.size(), "%s", path.c_str());
        char* slash = std::strrchr(dir.data(), '/');
        if (!slash)
            std::snprintf(dir.data(), dir.size(), ".");
        else
            slash[slash == dir.data() ? 1 : 0] = '\0';
        // Makes the directories on the way, as mkdir -p does; one that cannot be made shows up
        // as the open below failing.
        for (char* p = dir.data() + 1; *p; ++p) {
            if (*p != '/') continue;
            *p = '\0';
            ::mkdir(dir.data(), 0755);
            *p = '/';
        }
        ::mkdir(dir.data(), 0755);
    }
    std::array<char, 64 + BEST_SCORES * 48> text{};
    int length = std::snprintf(text.data(), text.size(), "# KROMBLIX best scores: score, cave reached, date\n");
    for (int i = 0; i < table.count; ++i) {
        const ScoreEntry& e = table.entries[static_cast<std::size_t>(i)];
        length += std::snprintf(text.data() + length, text.size() - static_cast<std::size_t>(length), "%d %d %s\n",
                                e.score, e.cave, e.date.data());
    }
    errno = ENAMETOOLONG;
    const int fd = named ? ::open(temp.data(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1;
    bool ok = fd >= 0;
    for (std::size_t done = 0; ok && done < static_cast<std::size_t>(length);) {
        const ssize_t n = ::write(fd, text.data() + done, static_cast<std::size_t>(length) - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    if (fd >= 0) ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.data(), path.c_str()) == 0;
    if (!ok) {
        std::printf("Warning: cannot save the best scores to \"%s\": %s\n", path.c_str(), std::strerror(errno));
        if (fd >= 0) ::unlink(temp.data());
        return false;
    }
    // The rename itself reaches the disk with the directory.
    if (const int dir_fd = ::open(dir.data(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir_fd >= 0) {
        ::fsync(dir_fd);
        ::close(dir_fd);
    }
    return true;
}

void use_scores_file(const std::string& path) {
    tzset();  // the time zone is read now, so that dating a score later allocates nothing
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
    if (!kept.path.empty() && save_scores(kept.table, kept.path)) plat_files_saved();
}

const char* title_credit_line() {
    if (kept.credit[0] == '\0') update_credit();
    return kept.credit.data();
}

const char* best_score_text() { return kept.best.data(); }

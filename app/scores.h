// The ten best scores, kept between games in a small text file: one "SCORE CAVE YYYY-MM-DD" line
// per score, best first. The file is replaced atomically (a temporary file beside it, flushed to
// the disk, then renamed over it), so a crash or a full disk never loses the table it had.
#pragma once

#include <array>
#include <string>

constexpr int BEST_SCORES = 10;

struct ScoreEntry {
    int score = 0;
    int cave = 0;                   // the cave reached, counted from 1 as the status bar does
    std::array<char, 11> date{};    // YYYY-MM-DD
};

struct ScoreTable {
    std::array<ScoreEntry, BEST_SCORES> entries{};
    int count = 0;
};

// $XDG_DATA_HOME/kromblix/scores, or ~/.local/share/kromblix/scores; empty when neither
// XDG_DATA_HOME nor HOME is set.
std::string default_scores_path();

// Reads a table. A missing, empty or malformed file gives an empty table and a warning on the
// standard output, where the game's other start-up warnings go.
ScoreTable load_scores(const std::string& path);
// Writes the table atomically, making the directory if needed; false (with a warning, the old
// file untouched, no temporary file left) when it cannot.
bool save_scores(const ScoreTable& table, const std::string& path);
// Puts a score into the table in its place (after equal scores); false when it is not among the
// ten best.
bool add_score(ScoreTable& table, int score, int cave, const char* date);

// The table the game keeps: where it lives ("" keeps none) and what it holds.
void use_scores_file(const std::string& path);
bool scores_file_chosen();
const ScoreTable& best_scores();
// A finished game: a score above 0 goes into the table, which is saved.
void record_game(int score, int cave);
// The title's third credit line: as designed, with the best score added when there is one.
const char* title_credit_line();
// The best score alone ("best: 12345, cave 14"), for a line too long with it; "" without scores.
const char* best_score_text();

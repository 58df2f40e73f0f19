// The ten best scores, kept between games in a small text file: one "SCORE CAVE YYYY-MM-DD" line
// per score, best first, with the cave the game started from added as a fourth word when it was
// not the first ("SCORE CAVE YYYY-MM-DD START"). The file is replaced atomically (a temporary
// file beside it, flushed to the disk, then renamed over it), so a crash or a full disk never
// loses the table it had. Each set of caves has a table of its own: the shipped first set's is
// the file itself, another set's is the file's name with "-KEY" added (app/cave_sets.h).
#pragma once

#include <array>
#include <string>
#include <string_view>

constexpr int BEST_SCORES = 10;

struct ScoreEntry {
    int score = 0;
    int cave = 0;                   // the cave reached, counted from 1 as the status bar does
    std::array<char, 11> date{};    // YYYY-MM-DD
    int from = 1;                   // the cave the game started from, counted from 1
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
// Reads a table from the text of a file; false for a malformed or empty one (why says which).
// Allocates nothing.
bool parse_scores(std::string_view text, ScoreTable& table, const char*& why);
// Writes the table atomically, making the directory if needed; false (with a warning, the old
// file untouched, no temporary file left) when it cannot.
bool save_scores(const ScoreTable& table, const std::string& path);
// Puts a score into the table in its place (after equal scores); false when it is not among the
// ten best.
bool add_score(ScoreTable& table, int score, int cave, const char* date, int from = 1);

// The table the game keeps: where the first set's table lives ("" keeps none) and what the
// chosen set's holds. The caves reached are kept beside it (app/progress.h).
void use_scores_file(const std::string& path);
bool scores_file_chosen();
const std::string& scores_file();
// Switches to the table of the set with this key ("main" for the shipped first set), read from
// its file. Allocates nothing.
void use_scores_of_set(const char* key);
const ScoreTable& best_scores();
// A finished game: a score above 0 goes into the table. The save reads the table on the disk,
// adds this game to it and replaces it, under a lock, so a game that ended meanwhile keeps its
// entry too.
void record_game(int score, int cave, int from = 1);
// The title's third credit line: as designed, with the best score added when there is one.
const char* title_credit_line();
// The best score alone ("best: 12345, cave 14"), for a line too long with it; "" without scores.
const char* best_score_text();

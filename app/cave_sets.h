// Sets of caves: a directory of level0.txt, level1.txt, ... (the first missing number ends the
// set) and an optional name.txt, whose first line names the set. The sets on offer are the data
// directory's own caves (the shipped first set), each caves/<id>/ of the data directory, and the
// player's own in $XDG_DATA_HOME/kromblix/caves/<id>/; or, with --caves DIR, that set alone.
// Every set but the shipped first is checked with the cave checker's rules before it is offered.
// The title chooses among them (UP, DOWN) and chooses the cave a game starts from (LEFT, RIGHT)
// among the first and every cave reached in that set.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

constexpr int MAX_SET_CAVES = 1000;
constexpr std::size_t MAX_SET_NAME = 24;
// The largest cave file read; a cave is about 520 bytes.
constexpr std::size_t MAX_CAVE_FILE = 64 * 1024;

struct CaveSet {
    std::string dir;   // ending in '/'; "" for the data directory's own caves
    std::string name;  // as the title shows it; "" for the shipped first set
    std::string key;   // names the set's best scores and caves reached (app/progress.h)
    int caves = 0;
    // Per cave: proven.txt in the set's folder marks it proven, with the bytes it has now.
    std::vector<bool> proven;
};

// The caves of the set in dir ("" for the data directory's own) that its proven.txt marks
// proven, caves of them: any bytes in that file read as some marks or none.
std::vector<bool> read_proven_marks(const std::string& dir, int caves);

// name.txt's name: its first line without trailing blanks, when that is 1 to 24 printable ASCII
// characters; "" otherwise.
std::string set_name_from(std::string_view bytes);
// A directory's name as the title can show it: bytes outside printable ASCII become '?', cut
// to 24 characters.
std::string shown_set_name(std::string_view dir_name);
// The key of a set: the escaped id after a prefix ("caves-", "own-"), or a digest of it when too long.
std::string set_key(std::string_view prefix, std::string_view id);

// Reads and checks the set in dir: set gets its caves, name and a key made from its path; false
// when it is broken, with one "FILE:LINE:COL: error: reason" line per fault in faults.
bool read_cave_set(const std::string& dir, CaveSet& set, std::string& faults);
// The sets on offer without --caves: the data directory's own caves, then its caves/<id>/ in
// name order, then own_dir/<id>/ in name order (own_dir "" for none). A broken set is left out
// with a warning on the standard output.
std::vector<CaveSet> find_cave_sets(const std::string& own_dir);

// Chooses the sets the title offers, before the window opens: the set in caves_dir alone when
// given, else find_cave_sets(own_dir); the first is chosen. Returns -1, or 2 when the set in
// caves_dir is broken (its faults printed on the standard error stream).
int offer_cave_sets(const std::string& caves_dir, const std::string& own_dir);
bool cave_sets_offered();
// The player's own sets beside a scores table: "caves" in its directory ("" for none).
std::string own_sets_beside(const std::string& scores_path);

// The title's choices. Stepping past either end stays there. Allocates nothing.
void step_cave_set(int step);
void step_start_cave(int step);
int start_cave();  // counted from 0
// The title's lines: the chosen set's name ("" for the shipped first set) and the cave SPACE
// starts ("" while no cave past the first has been reached).
const char* title_set_line();
const char* title_start_line();
// The mark of the cave SPACE starts, when the set's proven.txt marks it ("" when not).
const char* title_proven_line();

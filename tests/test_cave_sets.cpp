// Sets of caves: reading and checking a set directory of any content, the shipped and the
// player's sets in their order, the title's choice of set and start cave, and its proven mark.
#include "app/cave_sets.h"
#include "app/progress.h"
#include "app/scores.h"
#include "sim/cave_loader.h"
#include "sim/cave_marks.h"
#include "tests/support/test_env.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <ios>
#include <string>
#include <vector>

using namespace test_env;

namespace {

std::string cave_text(const Rows& rows) {
    std::string text;
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

const std::string GOOD = cave_text(paste(blank(), 3, 3, {"S*"}));

void write(const fs::path& file, const std::string& text) {
    if (const fs::path dir = file.parent_path(); !dir.empty() && dir != ".") fs::create_directories(dir);
    std::ofstream(file, std::ios::binary) << text;
}

void write_set(const fs::path& dir, int caves, const std::string& name = "") {
    for (int i = 0; i < caves; ++i) write(dir / ("level" + std::to_string(i) + ".txt"), GOOD);
    if (!name.empty()) write(dir / "name.txt", name);
}

}  // namespace

TEST(CaveSets, ASetIsItsCavesUpToTheFirstGapAndItsName) {
    ScratchDir scratch;
    write_set("rooms", 3, "Rooms of Glass\r\nsecond line ignored\n");
    write("rooms/level4.txt", "not read: level3.txt is missing");
    CaveSet set;
    std::string faults;
    ASSERT_TRUE(read_cave_set("rooms", set, faults)) << faults;
    EXPECT_EQ(set.caves, 3);
    EXPECT_EQ(set.name, "Rooms of Glass");
    EXPECT_EQ(set.dir, "rooms/");
    EXPECT_EQ(set.key.rfind("dir-", 0), 0u);

    // Without a usable name.txt the directory names the set.
    for (const std::string& name : {std::string("1234567890123456789012345"), std::string("tab\there"), std::string("\n"),
                                    std::string("\xc3\xa9t\xc3\xa9")}) {
        write("rooms/name.txt", name);
        ASSERT_TRUE(read_cave_set(scratch.path / "rooms", set, faults));
        EXPECT_EQ(set.name, "rooms") << name;
    }
    EXPECT_EQ(shown_set_name("caves\x01\xff of a very long name indeed"), "caves?? of a very long n");
    EXPECT_EQ(set_key("own-", "My set/1"), "own-My%20set%2F1");
    EXPECT_EQ(set_key("own-", std::string(80, 'x')).size(), 4u + 16u) << "a digest for a long id";
}

TEST(CaveSets, ABrokenSetIsRefusedNamingFileLineAndReason) {
    ScratchDir scratch;
    CaveSet set;
    std::string faults;
    EXPECT_FALSE(read_cave_set("nowhere", set, faults));
    EXPECT_EQ(faults, "nowhere: error: no such directory\n");
    write("file", GOOD);
    EXPECT_FALSE(read_cave_set("file", set, faults));
    EXPECT_EQ(faults, "file: error: not a directory of caves\n");
    fs::create_directory("empty");
    EXPECT_FALSE(read_cave_set("empty", set, faults));
    EXPECT_EQ(faults, "empty/level0.txt: error: missing: a set of caves starts with level0.txt\n");

    write_set("broken", 4);
    Rows two_starts = paste(blank(), 3, 3, {"S*S"});
    write("broken/level1.txt", cave_text(two_starts));
    write("broken/level2.txt", std::string(MAX_CAVE_FILE + 1, ' '));
    fs::remove("broken/level3.txt");
    fs::create_directory("broken/level3.txt");
    EXPECT_FALSE(read_cave_set("broken", set, faults));
    EXPECT_NE(faults.find("broken/level1.txt:4:4: error: start cell 2 of 2 at cell (3, 3): the game ignores it\n"),
              std::string::npos) << faults;
    EXPECT_NE(faults.find("broken/level2.txt: error: cannot be read: larger than 65536 bytes\n"), std::string::npos)
        << faults;
    EXPECT_NE(faults.find("broken/level3.txt: error: cannot be read: not a regular file\n"), std::string::npos) << faults;
    EXPECT_EQ(faults.find("level0.txt"), std::string::npos) << "a sound cave has no fault";

    // Any bytes at all: faults, never a crash.
    std::string noise;
    for (int i = 0; i < 3000; ++i) noise += static_cast<char>((i * 7919) % 256);
    write("noise/level0.txt", noise);
    write("noise/name.txt", noise);
    EXPECT_FALSE(read_cave_set("noise", set, faults));
    EXPECT_EQ(set.name, "noise");
}

TEST(CaveSets, TheShippedSetsComeFirstThenThePlayersInNameOrder) {
    ScratchDir scratch;
    write_set(".", 2);  // the data directory's own caves, not checked
    write("level2.txt", "the shipped first set is played as it is");
    write_set("caves/deeper", 2, "Deeper");
    write_set("caves/b-side", 1);
    write_set("own/zeta", 1);
    write_set("own/alpha", 1, "Alpha");
    write("own/alpha/level1.txt", "broken");
    write_set("own/mine", 1);
    const std::vector<CaveSet> sets = find_cave_sets("own");
    std::vector<std::string> seen;
    for (const CaveSet& s : sets) seen.push_back(s.key + "/" + s.name + "/" + std::to_string(s.caves));
    EXPECT_EQ(seen, (std::vector<std::string>{"main//3", "caves-b-side/b-side/1", "caves-deeper/Deeper/2", "own-mine/mine/1",
                                              "own-zeta/zeta/1"}))
        << "alpha is broken and left out";
    EXPECT_EQ(find_cave_sets("").size(), 3u);
}

TEST(CaveSets, TheTitleChoosesTheSetAndTheStartAmongTheCavesReached) {
    ScratchDir scratch;
    write_set(".", 5);
    write_set("caves/deeper", 3, "Deeper");
    const std::string table = (scratch.path / "xdg/scores").string();
    write(scratch.path / "xdg/progress", "main 4\ncaves-deeper 9\n");
    use_scores_file(table);
    ASSERT_EQ(offer_cave_sets("", ""), -1);
    EXPECT_STREQ(cave_dir(), "");
    EXPECT_STREQ(title_set_line(), "") << "the shipped first set is not named";
    EXPECT_STREQ(title_start_line(), "SPACE starts cave 1   LEFT, RIGHT: cave 1 to 4");
    step_start_cave(1);
    step_start_cave(1);
    EXPECT_EQ(start_cave(), 2);
    step_start_cave(5);
    EXPECT_EQ(start_cave(), 3);
    step_start_cave(-9);
    EXPECT_EQ(start_cave(), 0);

    step_cave_set(-1);
    EXPECT_STREQ(title_set_line(), "");
    step_cave_set(1);
    EXPECT_STREQ(title_set_line(), "caves: Deeper   UP, DOWN: set 2 of 2");
    EXPECT_EQ(std::string(cave_dir()), (scratch.path / "caves/deeper/").string());
    EXPECT_STREQ(title_start_line(), "SPACE starts cave 1   LEFT, RIGHT: cave 1 to 3") << "no further than the set goes";
    step_cave_set(1);
    EXPECT_STREQ(title_set_line(), "caves: Deeper   UP, DOWN: set 2 of 2");

    // --caves: that set alone, refused when broken; the shipped set under its own key.
    EXPECT_EQ(offer_cave_sets((scratch.path / "caves/deeper").string(), ""), -1);
    EXPECT_STREQ(title_set_line(), "caves: Deeper");
    EXPECT_EQ(caves_reached(), 8) << "the same set however it is named";
    write("bad/level0.txt", "S");
    EXPECT_EQ(offer_cave_sets("bad", ""), 2);
    EXPECT_EQ(offer_cave_sets(".", ""), -1);
    EXPECT_STREQ(cave_dir(), "") << "the data directory's own caves";
    use_scores_file("");
}

// proven.txt: kromblix-solve writes it, the title reads it. A mark holds only while the cave has
// the bytes it was proved with, and any bytes in the file read as some marks or none.
TEST(CaveSets, TheTitleMarksTheProvenStartCaveWhileItIsUnchanged) {
    ScratchDir scratch;
    write_set("caves/deeper", 3, "Deeper");
    write(scratch.path / "xdg/progress", "caves-deeper 9\n");
    use_scores_file((scratch.path / "xdg/scores").string());
    std::string marks = cave_marks::with_mark("", "level1.txt", GOOD, true);
    marks = cave_marks::with_mark(marks, "level0.txt", GOOD, true);
    marks = cave_marks::with_mark(marks, "level2.txt", GOOD + "#", true);  // proved before an edit
    write("caves/deeper/proven.txt", marks);
    EXPECT_EQ(marks.find("level0.txt"), marks.find("level1.txt") - 28) << "kept in name order:\n" << marks;
    ASSERT_EQ(offer_cave_sets("caves/deeper", ""), -1);
    EXPECT_STREQ(title_proven_line(), "cave 1 is proven winnable");
    step_start_cave(1);
    EXPECT_STREQ(title_proven_line(), "cave 2 is proven winnable");
    step_start_cave(1);
    EXPECT_STREQ(title_proven_line(), "") << "edited since it was proved";
    EXPECT_EQ(read_proven_marks("caves/deeper/", 3), (std::vector<bool>{true, true, false}));

    // A mark taken away stays away; the other marks stay.
    marks = cave_marks::with_mark(marks, "level0.txt", GOOD, false);
    EXPECT_EQ(cave_marks::read_marks(marks).size(), 2u);
    EXPECT_FALSE(cave_marks::is_proven(cave_marks::read_marks(marks), "level0.txt", GOOD));
    EXPECT_TRUE(cave_marks::is_proven(cave_marks::read_marks(marks), "level1.txt", GOOD));

    // Files of any bytes: lines that are no mark are skipped, a file too large or unreadable is
    // none, and nothing reads past its end.
    const std::string d = marks.substr(marks.find("level1.txt ") + 11, 16);
    const std::vector<std::string> hostile = {
        "",
        std::string("\0\xff\n\n", 4),
        "level1.txt " + d.substr(0, 15),
        "level1.txt  " + d,
        "level1.txt " + d + "0",
        "../level1.txt " + d,
        "level1.txt " + std::string(16, 'G'),
        std::string(70000, 'x'),
        "level1.txt " + d + "\r\n",
    };
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        write("caves/deeper/proven.txt", hostile[i]);
        EXPECT_EQ(read_proven_marks("caves/deeper/", 3)[1], i + 1 == hostile.size()) << i;
    }
    fs::remove("caves/deeper/proven.txt");
    fs::create_directory("caves/deeper/proven.txt");
    EXPECT_EQ(read_proven_marks("caves/deeper/", 3), std::vector<bool>(3, false));
    EXPECT_EQ(read_proven_marks("caves/deeper/", 0).size(), 0u);
    use_scores_file("");
}

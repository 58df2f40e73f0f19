// kromblix-cavecheck: checks cave files before they go into the game.
//
//   kromblix-cavecheck FILE...
//
// Prints every problem as FILE:LINE:COL: error: ..., then one line per file with its diamond
// count. Exit status 0 when every file is a sound cave, 1 when any is not, 2 when a file cannot
// be read or no file is named.
#include "tools/cavecheck/cavecheck.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: kromblix-cavecheck FILE...\n", stderr);
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot be read\n", argv[i]);
            status = 2;
            continue;
        }
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const cavecheck::Report report = cavecheck::check_cave(bytes);
        std::fputs(cavecheck::format_report(argv[i], report).c_str(), stdout);
        if (!report.sound && status == 0) status = 1;
    }
    return status;
}

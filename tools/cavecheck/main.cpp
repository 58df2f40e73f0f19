// kromblix-cavecheck: checks cave files before they go into the game.
//
//   kromblix-cavecheck FILE...
//
// Prints every problem as FILE:LINE:COL: error: ..., then one line per file with its diamond
// count. Exit status 0 when every file is a sound cave, 1 when any is not, 2 when a file cannot
// be read (a directory included), no file is named or the report cannot be written.
#include "sim/cave_check.h"
#include "tools/common/tool_io.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: kromblix-cavecheck FILE...\n", stderr);
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        std::string bytes, error;
        if (!tool_io::read_file(argv[i], bytes, error)) {
            std::fprintf(stderr, "kromblix-cavecheck: %s\n", error.c_str());
            status = 2;
            continue;
        }
        const cavecheck::Report report = cavecheck::check_cave(bytes);
        std::fputs(cavecheck::format_report(argv[i], report).c_str(), stdout);
        if (!report.sound && status == 0) status = 1;
    }
    if (std::string error; !tool_io::finish_output(stdout, error)) {
        std::fprintf(stderr, "kromblix-cavecheck: cannot write the report: %s\n", error.c_str());
        return 2;
    }
    return status;
}

// Process entry: answers --help and --version, changes into the data directory, runs the game
// and ends the process with its result.
#include "app/command_line.h"
#include "app/game_main.h"
#include "editor/editor.h"

int main(int argc, char** argv) {
    install_editor(editor_entry());
    int scale = 0;  // game_main reads the scale from the same command line
    if (const int status = handle_command_line(argc, argv, scale); status >= 0) return status;
    if (!enter_data_dir(find_data_dir())) return 1;
    return game_main(argc, argv);
}

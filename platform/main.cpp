// Process entry: runs the game and ends the process with its result.
#include "app/game_main.h"

int main(int argc, char** argv) { return game_main(argc, argv); }

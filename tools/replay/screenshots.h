// Which frames the replay runner writes to PNG files, and what it calls them.
#pragma once

#include "platform/platform.h"

#include <string>
#include <string_view>
#include <vector>

namespace replay {

// A list of items separated by commas: "all"; a frame number "N" or range "N-M" (numbers count
// every frame of the record from 1); a kind ("title", "game", "death", "game_over", "congrats")
// for every frame of that kind; or "KIND:N" / "KIND:N-M" for the N-th (to M-th) frame of a kind.
struct ShotSelection {
    struct Item {
        bool any_kind = true;  // counts frames of every kind
        FrameKind kind = FrameKind::title;
        int first = 1, last = 1 << 30;
    };
    std::vector<Item> items;
};

// Parses a selection; false with a message for an item it does not understand.
bool parse_shot_selection(std::string_view text, ShotSelection& selection, std::string& error);
// Whether frame number (counting all frames) of this kind, the of_kind-th of its kind, is chosen.
bool shot_wanted(const ShotSelection& selection, int number, FrameKind kind, int of_kind);
// "frame-000042-game.png".
std::string shot_file_name(int number, FrameKind kind);

}  // namespace replay

#include "tools/replay/screenshots.h"

#include "tools/common/tool_io.h"
#include "tools/replay/frame_record.h"
#include "platform/replay_file.h"

#include <cstdio>

namespace replay {

namespace {

bool parse_count(std::string_view text, int& value) { return parse_number(text, value) && value >= 1; }

// "N" or "N-M".
bool parse_range(std::string_view text, int& first, int& last) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        if (!parse_count(text, first)) return false;
        last = first;
        return true;
    }
    return parse_count(text.substr(0, dash), first) && parse_count(text.substr(dash + 1), last) && first <= last;
}

bool parse_item(std::string_view text, ShotSelection::Item& item) {
    if (text == "all") return true;
    const std::size_t colon = text.find(':');
    const std::string_view kind_part = text.substr(0, colon);
    if (frame_kind_from_name(kind_part, item.kind)) {
        item.any_kind = false;
        return colon == std::string_view::npos || parse_range(text.substr(colon + 1), item.first, item.last);
    }
    return colon == std::string_view::npos && parse_range(text, item.first, item.last);
}

}  // namespace

bool parse_shot_selection(std::string_view text, ShotSelection& selection, std::string& error) {
    selection.items.clear();
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        ShotSelection::Item item;
        if (!parse_item(part, item)) {
            error = concat({"cannot read \"", tool_io::shown_word(part),
                            "\" as frames to shoot (all, N, N-M, KIND, KIND:N or KIND:N-M; kinds: title game death "
                            "game_over congrats paused)"});
            selection.items.clear();
            return false;
        }
        selection.items.push_back(item);
        if (comma == std::string_view::npos) return true;
        text = text.substr(comma + 1);
    }
}

bool shot_wanted(const ShotSelection& selection, int number, FrameKind kind, int of_kind) {
    for (const ShotSelection::Item& item : selection.items) {
        if (item.any_kind) {
            if (number >= item.first && number <= item.last) return true;
        } else if (item.kind == kind && of_kind >= item.first && of_kind <= item.last) {
            return true;
        }
    }
    return false;
}

std::string shot_file_name(int number, FrameKind kind) {
    char name[64];
    std::snprintf(name, sizeof name, "frame-%06d-%s.png", number, frame_kind_name(kind));
    return name;
}

}  // namespace replay

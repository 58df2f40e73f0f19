// Art files are plain text so the sprites can be reviewed and edited in a diff. Each palette
// character maps to one colour word; `clear` is the sheet's transparent white.
#include "tools/makedata/sprites.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include "tools/makedata/image.h"

namespace makedata {

namespace {

std::string where(const std::string& path, int line) { return path + ":" + std::to_string(line) + ": "; }

}  // namespace

const Image& ArtBook::frame(const std::string& name) const {
    auto it = frames.find(name);
    if (it == frames.end()) throw std::runtime_error("art has no frame named '" + name + "'");
    return it->second;
}

ArtBook read_art(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::map<char, std::uint32_t> palette;
    ArtBook book;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        auto no_more = [&] {
            std::string extra;
            if (words >> extra) throw std::runtime_error(where(path, number) + "unexpected '" + extra + "'");
        };
        if (keyword == "colour") {
            std::string key, value;
            words >> key >> value;
            no_more();
            if (key.size() != 1) throw std::runtime_error(where(path, number) + "palette key must be one character");
            std::uint32_t word = CLEAR;
            if (value != "clear") {
                if (value.size() != 6 || value.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                    throw std::runtime_error(where(path, number) + "colour must be RRGGBB or clear");
                word = static_cast<std::uint32_t>(std::stoul(value, nullptr, 16));
                if (word == CLEAR)
                    throw std::runtime_error(where(path, number) + "FFFFFF is the transparent value; use FEFEFE");
            }
            if (!palette.emplace(key[0], word).second)
                throw std::runtime_error(where(path, number) + "palette key used twice");
        } else if (keyword == "frame") {
            std::string name;
            words >> name;
            no_more();
            if (name.empty() || book.frames.count(name))
                throw std::runtime_error(where(path, number) + "missing or repeated frame name");
            Image img(SPRITE, SPRITE);
            for (int y = 0; y < SPRITE; ++y) {
                ++number;
                if (!std::getline(in, line) || line.size() != SPRITE)
                    throw std::runtime_error(where(path, number) + "frame rows must be exactly 32 characters");
                for (int x = 0; x < SPRITE; ++x) {
                    auto it = palette.find(line[static_cast<std::size_t>(x)]);
                    if (it == palette.end())
                        throw std::runtime_error(where(path, number) + "character not in the palette");
                    img.at(x, y) = it->second;
                }
            }
            book.frames[name] = img;
        } else if (keyword == "mirror") {
            std::string name, source;
            words >> name >> source;
            no_more();
            auto it = book.frames.find(source);
            if (name.empty() || it == book.frames.end() || book.frames.count(name))
                throw std::runtime_error(where(path, number) + "mirror needs a new name and an earlier frame");
            Image img(SPRITE, SPRITE);
            for (int y = 0; y < SPRITE; ++y)
                for (int x = 0; x < SPRITE; ++x) img.at(x, y) = it->second.at(SPRITE - 1 - x, y);
            book.frames[name] = img;
        } else {
            throw std::runtime_error(where(path, number) + "unknown keyword '" + keyword + "'");
        }
    }
    return book;
}

Image make_tile_sheet(const ArtBook& tiles) {
    Image sheet(SPRITE, 4 * SPRITE, CLEAR);
    const char* names[] = {"rock", "diamond1", "diamond2", "dirt"};
    for (int k = 0; k < 4; ++k) sheet.paste(tiles.frame(names[k]), 0, k * SPRITE);
    // Dirt is drawn on its own, with nothing behind it, so it must be fully opaque.
    for (std::uint32_t p : tiles.frame("dirt").px)
        if (p == CLEAR) throw std::runtime_error("the dirt tile has a transparent pixel");
    return sheet;
}

Image make_player_sheet(const ArtBook& player) {
    Image sheet(196, 130, CLEAR);
    const char* names[] = {"up", "right", "down", "left"};
    for (int k = 0; k < 4; ++k) sheet.paste(player.frame(names[k]), 1, 1 + k * SPRITE);
    return sheet;
}

}  // namespace makedata

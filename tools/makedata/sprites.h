// The tile sheet and the player sheet, built from the text pixel maps in data/art.
#pragma once

#include "tools/makedata/image.h"

#include <cstdint>
#include <map>
#include <string>

namespace makedata {

// Visible colours never use this word: it is the one transparent value in both sheets.
constexpr std::uint32_t CLEAR = 0xFFFFFF;
constexpr int SPRITE = 32;

// Named 32x32 frames read from one art file.
struct ArtBook {
    std::map<std::string, Image> frames;
    const Image& frame(const std::string& name) const;
};

// Reads an art file: `colour <char> <RRGGBB|clear>` palette lines, `frame <name>` followed by
// 32 rows of 32 palette characters, `mirror <name> <source>` for a left-right flipped copy,
// and `#` comments. Throws std::runtime_error naming the file and line on any mistake.
ArtBook read_art(const std::string& path);

// 32x128: rock, diamond frame 1, diamond frame 2, dirt, from top to bottom.
Image make_tile_sheet(const ArtBook& tiles);
// 196x130 white sheet with the up, right, down and left frames at (1, 1 + 32 k).
Image make_player_sheet(const ArtBook& player);
// The game's icon, size by size pixels (a multiple of 32): the diamond on dirt, each art pixel
// drawn as a square of size / 32 pixels.
Image make_icon(const ArtBook& tiles, int size);

}  // namespace makedata

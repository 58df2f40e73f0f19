// Glyph rendering through FreeType: the game's font strip and big text for the title picture.
#pragma once

#include "tools/makedata/image.h"

#include <memory>
#include <string>

namespace makedata {

// Side of one square cell of the font strip; cell k holds character 33 + k.
constexpr int FONT_CELL = 16;
constexpr int FONT_FIRST = 33;
constexpr int FONT_LAST = 126;

class Face {
public:
    // Opens a scalable font file; throws std::runtime_error when it cannot.
    explicit Face(const std::string& path);
    ~Face();
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    struct Impl;
    Impl& impl() { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

// The vertical strip of glyph cells the game's text drawer reads.
Image make_font_strip(Face& face);

// Coverage of one line of text at the given pixel size, kerned, with `pad` empty pixels on
// every side. `tracking` adds that many pixels between letters.
Mask text_mask(Face& face, const std::string& text, int pixel_size, int pad, int tracking = 0);

}  // namespace makedata

// The font strip: one glyph per 16x16 cell on exact black, warm gradient ink scaled by
// coverage. The game's text drawer takes a glyph's width from its first to its last inked
// column and never draws that last column, so every glyph gets a faint marker pixel one
// column right of its real ink: the whole glyph is drawn and the pen moves on by its width
// plus one.
#include "tools/makedata/font.h"

#include <ft2build.h>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "tools/makedata/image.h"
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace makedata {

struct Face::Impl {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
};

Face::Face(const std::string& path) : impl_(std::make_unique<Impl>()) {
    if (FT_Init_FreeType(&impl_->lib) != 0) throw std::runtime_error("FreeType would not start");
    if (FT_New_Face(impl_->lib, path.c_str(), 0, &impl_->face) != 0) {
        FT_Done_FreeType(impl_->lib);
        throw std::runtime_error("cannot open font " + path);
    }
}

Face::~Face() {
    FT_Done_Face(impl_->face);
    FT_Done_FreeType(impl_->lib);
}

namespace {

constexpr int GLYPH_PIXELS = 15;  // nominal em size inside the cell
constexpr int BASELINE = 12;      // first cell row below the baseline
constexpr int CAP_TOP = 1;        // where capitals begin, for the ink gradient
constexpr std::uint32_t MARKER = 0x000001;

// Gold at the top of the capitals, through orange, to a deep red-orange in the descenders.
Rgb ink_colour(int row) {
    const Rgb top = rgb_hex(0xFFF0A0), mid = rgb_hex(0xFFB347), low = rgb_hex(0xF07028), deep = rgb_hex(0xC84830);
    const float t = static_cast<float>(row - CAP_TOP) / static_cast<float>(BASELINE - CAP_TOP);
    if (t <= 0.0f) return top;
    if (t < 0.5f) return mix(top, mid, t * 2.0f);
    if (t < 1.0f) return mix(mid, low, (t - 0.5f) * 2.0f);
    return mix(low, deep, std::min(1.0f, (t - 1.0f) * 1.5f));
}

void load_glyph(FT_Face face, unsigned long code, double x_scale) {
    FT_Matrix m;
    m.xx = static_cast<FT_Fixed>(std::lround(x_scale * 65536.0));
    m.xy = 0;
    m.yx = 0;
    m.yy = 0x10000;
    FT_Set_Transform(face, &m, nullptr);
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
        throw std::runtime_error("font has no glyph for code " + std::to_string(code));
}

// Columns of the rendered bitmap that hold any coverage: [first, last], or first > last.
std::pair<int, int> bitmap_columns(const FT_Bitmap& bm) {
    int first = static_cast<int>(bm.width), last = -1;
    for (unsigned r = 0; r < bm.rows; ++r)
        for (unsigned c = 0; c < bm.width; ++c)
            if (bm.buffer[static_cast<int>(r) * bm.pitch + static_cast<int>(c)] != 0) {
                first = std::min(first, static_cast<int>(c));
                last = std::max(last, static_cast<int>(c));
            }
    return {first, last};
}

}  // namespace

Image make_font_strip(Face& f) {
    FT_Face face = f.impl().face;
    FT_Set_Pixel_Sizes(face, 0, GLYPH_PIXELS);
    constexpr int max_ink = FONT_CELL - 1;  // leaves the marker column
    Image strip(FONT_CELL, FONT_CELL * (FONT_LAST - FONT_FIRST + 1), 0);

    for (int code = FONT_FIRST; code <= FONT_LAST; ++code) {
        double x_scale = 1.0;
        load_glyph(face, static_cast<unsigned long>(code), x_scale);
        auto cols = bitmap_columns(face->glyph->bitmap);
        // The widest capitals are squeezed a little so ink plus marker fit the cell.
        for (int tries = 0; cols.second - cols.first + 1 > max_ink && tries < 8; ++tries) {
            x_scale *= static_cast<double>(max_ink) / (cols.second - cols.first + 1) - 0.01;
            load_glyph(face, static_cast<unsigned long>(code), x_scale);
            cols = bitmap_columns(face->glyph->bitmap);
        }
        const FT_Bitmap& bm = face->glyph->bitmap;
        const int ink_w = cols.second - cols.first + 1;
        if (ink_w <= 0 || ink_w > max_ink)
            throw std::runtime_error("glyph does not fit its cell: " + std::to_string(code));

        const int cell_y = (code - FONT_FIRST) * FONT_CELL;
        const int left = (max_ink - ink_w) / 2;
        // Tall brackets and bars are nudged back inside the cell rather than clipped.
        int top = BASELINE - face->glyph->bitmap_top;
        if (top + static_cast<int>(bm.rows) > FONT_CELL) top = FONT_CELL - static_cast<int>(bm.rows);
        if (top < 0) top = 0;
        int last_inked = -1;
        for (unsigned r = 0; r < bm.rows; ++r) {
            const int y = top + static_cast<int>(r);
            if (y < 0 || y >= FONT_CELL) continue;
            for (int c = cols.first; c <= cols.second; ++c) {
                const unsigned cover = bm.buffer[static_cast<int>(r) * bm.pitch + c];
                if (cover == 0) continue;
                const std::uint32_t word = to_word(ink_colour(y) * (static_cast<float>(cover) / 255.0f));
                if (word == 0) continue;
                const int x = left + c - cols.first;
                strip.at(x, cell_y + y) = word;
                last_inked = std::max(last_inked, x);
            }
        }
        if (last_inked < 0) throw std::runtime_error("glyph left no ink: " + std::to_string(code));
        strip.at(last_inked + 1, cell_y + FONT_CELL - 1) = MARKER;
    }
    FT_Set_Transform(face, nullptr, nullptr);
    return strip;
}

Mask text_mask(Face& f, const std::string& text, int pixel_size, int pad, int tracking) {
    FT_Face face = f.impl().face;
    FT_Set_Transform(face, nullptr, nullptr);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size));
    const bool kerning = FT_HAS_KERNING(face);

    // First pass: pen positions and the ink box.
    struct Placed {
        unsigned index;
        long pen;  // 26.6
    };
    std::vector<Placed> placed;
    long pen = 0;
    unsigned previous = 0;
    for (unsigned char ch : text) {
        const unsigned index = FT_Get_Char_Index(face, ch);
        if (kerning && previous != 0 && index != 0) {
            FT_Vector k;
            FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &k);
            pen += k.x;
        }
        placed.push_back({index, pen});
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) throw std::runtime_error("glyph load failed");
        pen += face->glyph->advance.x + tracking * 64;
        previous = index;
    }
    const int ascent = static_cast<int>(face->size->metrics.ascender >> 6);
    const int descent = static_cast<int>(-(face->size->metrics.descender >> 6));
    const int width = static_cast<int>((pen + 63) >> 6) + 2 * pad;
    const int height = ascent + descent + 2 * pad;
    Mask mask(width, height);

    for (const Placed& p : placed) {
        if (FT_Load_Glyph(face, p.index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
            throw std::runtime_error("glyph render failed");
        const FT_Bitmap& bm = face->glyph->bitmap;
        const int ox = pad + static_cast<int>(p.pen >> 6) + face->glyph->bitmap_left;
        const int oy = pad + ascent - face->glyph->bitmap_top;
        for (unsigned r = 0; r < bm.rows; ++r)
            for (unsigned c = 0; c < bm.width; ++c) {
                const int x = ox + static_cast<int>(c), y = oy + static_cast<int>(r);
                if (x < 0 || y < 0 || x >= width || y >= height) continue;
                const float cover = bm.buffer[static_cast<int>(r) * bm.pitch + static_cast<int>(c)] / 255.0f;
                mask.at(x, y) = std::min(1.0f, mask.at(x, y) + cover);
            }
    }
    return mask;
}

}  // namespace makedata

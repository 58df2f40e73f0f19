#include "app/text_width.h"
#include <cstddef>

#include "render/canvas.h"

int text_width(const char* text) {
    const SDL_Surface* font = gfx.font_image;
    if (!font || font->w <= 0) return 0;
    const int cells = font->h / font->w;
    int width = 0;
    for (const char* p = text; *p; ++p) {
        const int k = static_cast<signed char>(*p) - 33;  // cell 0 is '!'
        if (*p == ' ')
            width += font->w / 2;
        else if (k >= 0 && k < cells && k < 94 && k < static_cast<int>(gfx.glyph_width.size()))
            width += gfx.glyph_width[static_cast<std::size_t>(k)] + 1;
    }
    return width;
}

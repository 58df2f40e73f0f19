// The title picture: a crystal cave seen from inside, with the game's name in big glowing
// letters across the upper half. The middle and lower middle stay calm and dark because the
// menu text and the drifting squares are drawn over them.
#include "tools/makedata/font.h"
#include "tools/makedata/image.h"
#include "tools/makedata/makedata.h"
#include "tools/makedata/noise.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace makedata {

namespace {

constexpr int W = 640;
constexpr int H = 480;
constexpr float PI = 3.14159265f;

struct Canvas {
    std::vector<Rgb> px = std::vector<Rgb>(static_cast<std::size_t>(W * H));
    Rgb& at(int x, int y) { return px[static_cast<std::size_t>(y * W + x)]; }
};

// Mixes colour into the canvas through a mask placed with its top-left corner at (ox, oy).
template <typename ColourAt>
void composite(Canvas& c, const Mask& m, int ox, int oy, float alpha, ColourAt colour_at) {
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            const int cx = ox + x, cy = oy + y;
            if (cx < 0 || cy < 0 || cx >= W || cy >= H) continue;
            const float a = m.get(x, y) * alpha;
            if (a <= 0.0f) continue;
            c.at(cx, cy) = mix(c.at(cx, cy), colour_at(cx, cy), std::min(1.0f, a));
        }
}

// Adds light through a mask.
void add_light(Canvas& c, const Mask& m, int ox, int oy, Rgb colour) {
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            const int cx = ox + x, cy = oy + y;
            if (cx < 0 || cy < 0 || cx >= W || cy >= H) continue;
            c.at(cx, cy) = c.at(cx, cy) + colour * m.get(x, y);
        }
}

// A polygon rendered into a mask just big enough for it; returns the mask and its offset.
struct Placed {
    Mask mask;
    int ox = 0, oy = 0;
};

Placed polygon_mask(std::vector<Point> poly, int margin = 2) {
    float x0 = poly[0].x, y0 = poly[0].y, x1 = x0, y1 = y0;
    for (const Point& p : poly) {
        x0 = std::min(x0, p.x);
        y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x);
        y1 = std::max(y1, p.y);
    }
    Placed out;
    out.ox = static_cast<int>(std::floor(x0)) - margin;
    out.oy = static_cast<int>(std::floor(y0)) - margin;
    out.mask =
        Mask(static_cast<int>(std::ceil(x1)) + margin - out.ox, static_cast<int>(std::ceil(y1)) + margin - out.oy);
    for (Point& p : poly) {
        p.x -= static_cast<float>(out.ox);
        p.y -= static_cast<float>(out.oy);
    }
    fill_polygon(out.mask, poly);
    return out;
}

// ---- the cave ----------------------------------------------------------------------------

float ceiling_at(float x) {
    float y = 58 + 34 * fractal_noise(x / 90.0f, 0.5f, 11) - 12;
    // Stalactites: narrow hanging cones.
    const float tips[][3] = {{38, 70, 9},   {132, 52, 11}, {205, 88, 8},  {300, 40, 7},
                             {392, 64, 10}, {455, 96, 9},  {548, 58, 12}, {610, 80, 8}};
    for (const auto& t : tips) {
        const float d = std::abs(x - t[0]) / t[2];
        if (d < 1.0f) y = std::max(y, 40 + t[1] * (1.0f - d) * (1.0f - d * 0.35f));
    }
    return y;
}

float floor_at(float x) {
    float y = H - 64 - 30 * fractal_noise(x / 80.0f, 3.5f, 23) + 10;
    const float tips[][3] = {{70, 52, 16}, {182, 36, 12}, {262, 22, 9}, {404, 28, 10}, {486, 46, 14}, {598, 60, 18}};
    for (const auto& t : tips) {
        const float d = std::abs(x - t[0]) / t[2];
        if (d < 1.0f) y = std::min(y, H - 58 - t[1] * (1.0f - d) * (1.0f - d * 0.4f));
    }
    return y;
}

float wall_left(float y) { return 22 + 30 * fractal_noise(0.5f, y / 70.0f, 37); }
float wall_right(float y) { return W - 22 - 30 * fractal_noise(2.5f, y / 70.0f, 41); }

// Signed distance-like value: positive inside the rock, in pixels.
float rock_depth(float x, float y) {
    return std::max({ceiling_at(x) - y, y - floor_at(x), wall_left(y) - x, x - wall_right(y)});
}

void paint_background(Canvas& c) {
    const Rgb top = rgb_hex(0x0A0818), bottom = rgb_hex(0x120C2C);
    const Rgb purple = rgb_hex(0x4A1C6A), teal = rgb_hex(0x0E4A5A);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            Rgb col = mix(top, bottom, fy / H);
            // A purple haze behind the name and a teal one low in the cave.
            const float d1 = std::hypot((fx - 320) / 300, (fy - 150) / 120);
            const float d2 = std::hypot((fx - 320) / 360, (fy - 470) / 170);
            col = col + purple * (0.55f * std::exp(-d1 * d1 * 1.6f)) + teal * (0.5f * std::exp(-d2 * d2 * 2.0f));
            // The far wall of the cave: broad lumps crossed by faint slanted ledges.
            const float n = fractal_noise(fx / 46.0f, fy / 46.0f, 5);
            const float ledge = std::pow(std::abs(std::sin((fy - fx * 0.22f) / 17.0f + n * 4.0f)), 6.0f);
            c.at(x, y) = col * (0.55f + 0.75f * n - 0.25f * ledge);
        }
}

void paint_rock(Canvas& c) {
    const Rgb dark = rgb_hex(0x0C0A12), base = rgb_hex(0x241E2E), light = rgb_hex(0x4A3E58);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            const float depth = rock_depth(fx, fy);
            if (depth < -1.0f) continue;
            const float cover = std::clamp(depth + 0.5f, 0.0f, 1.0f);
            // Layered stone: noise plus slanted strata.
            const float n = fractal_noise(fx / 18.0f, fy / 18.0f, 77);
            const float strata = 0.5f + 0.5f * std::sin((fy + fx * 0.18f) / 5.5f + n * 5.0f);
            Rgb col = mix(dark, base, n * 1.2f);
            col = mix(col, light, strata * 0.25f * n);
            // Light from the cave's inside catches the rim of the rock.
            const float rim = std::exp(-std::max(0.0f, depth - 1.0f) / 2.2f);
            const Rgb rim_colour = mix(rgb_hex(0x8C5CC8), rgb_hex(0x48C0D8), fx / W);
            col = col + rim_colour * (0.4f * rim);
            c.at(x, y) = mix(c.at(x, y), col, cover);
        }
}

// ---- crystals ----------------------------------------------------------------------------

struct Crystal {
    float x, y;   // base, buried in the rock
    float angle;  // growth direction in degrees, 0 = right, -90 = up
    float length, width;
    std::uint32_t colour;
};

void paint_crystal(Canvas& c, Mask& glow_r, Mask& glow_g, Mask& glow_b, const Crystal& k) {
    const float a = k.angle * PI / 180.0f;
    const float ax = std::cos(a), ay = std::sin(a);  // along the crystal
    const float px = -ay, py = ax;                   // across it
    auto at = [&](float u, float v) {                // u across (-1..1), v along (pixels)
        return Point{k.x + px * u * k.width * 0.5f + ax * v, k.y + py * u * k.width * 0.5f + ay * v};
    };
    const float shoulder = k.length - k.width * 0.9f;
    const float inner = shoulder + k.width * 0.25f;
    const Rgb base = rgb_hex(k.colour);
    const Rgb pale = mix(base, rgb_hex(0xF4F8FE), 0.55f);
    const Rgb deep = base * 0.45f;

    struct Face {
        std::vector<Point> poly;
        Rgb colour;
    };
    const Face faces[] = {
        {{at(-1, 0), at(-1, shoulder), at(0, k.length), at(-0.35f, inner), at(-0.35f, 0)}, pale},
        {{at(-0.35f, 0), at(-0.35f, inner), at(0, k.length), at(0.35f, inner), at(0.35f, 0)}, base},
        {{at(0.35f, 0), at(0.35f, inner), at(0, k.length), at(1, shoulder), at(1, 0)}, deep},
    };
    auto along_at = [&](int x, int y) {
        return ((static_cast<float>(x) - k.x) * ax + (static_cast<float>(y) - k.y) * ay) / k.length;
    };
    for (const Face& f : faces) {
        Placed p = polygon_mask(f.poly);
        // The base fades into the rock it grows out of.
        for (int y = 0; y < p.mask.h; ++y)
            for (int x = 0; x < p.mask.w; ++x)
                p.mask.at(x, y) *= std::clamp(along_at(p.ox + x, p.oy + y) * 4.0f, 0.0f, 1.0f);
        // Brighter toward the tip, as if lit from within.
        composite(c, p.mask, p.ox, p.oy, 0.92f,
                  [&](int x, int y) { return f.colour * (0.65f + 0.6f * std::clamp(along_at(x, y), 0.0f, 1.0f)); });
        for (int y = 0; y < p.mask.h; ++y)
            for (int x = 0; x < p.mask.w; ++x) {
                const int gx = p.ox + x, gy = p.oy + y;
                if (gx < 0 || gy < 0 || gx >= W || gy >= H) continue;
                const float m = p.mask.get(x, y);
                glow_r.at(gx, gy) += m * base.r;
                glow_g.at(gx, gy) += m * base.g;
                glow_b.at(gx, gy) += m * base.b;
            }
    }
    // A thin bright edge down the lit ridge.
    Placed ridge = polygon_mask({at(-0.42f, k.length * 0.1f), at(-0.42f, inner), at(0, k.length), at(-0.28f, inner),
                                 at(-0.28f, k.length * 0.1f)});
    add_light(c, ridge.mask, ridge.ox, ridge.oy, rgb_hex(0xE8F4FF) * 0.5f);
}

void paint_crystals(Canvas& c) {
    const std::vector<Crystal> crystals = {
        // Bottom left: a cyan cluster fanning out of the floor.
        {88, 452, -108, 120, 30, 0x38C8F0},
        {112, 456, -84, 150, 34, 0x46D8FF},
        {60, 448, -126, 82, 24, 0x2A90E0},
        {140, 458, -60, 92, 26, 0x30B0F0},
        {36, 446, -142, 56, 20, 0x5CE0FF},
        // Bottom right: magenta.
        {522, 458, -122, 74, 22, 0xB838B0},
        {548, 454, -98, 128, 32, 0xE048C8},
        {574, 452, -76, 104, 28, 0xF070E0},
        {604, 450, -54, 66, 22, 0xD050D8},
        // Hanging from the ceiling: green.
        {470, 40, 96, 70, 22, 0x50E890},
        {492, 36, 62, 52, 18, 0x38C878},
        {446, 42, 122, 46, 16, 0x68F0A0},
        // On the left wall: amber.
        {20, 250, -18, 60, 20, 0xF0A040},
        {18, 282, 12, 44, 16, 0xE08830},
        // Small ones on the right wall and in the floor.
        {626, 200, 196, 48, 16, 0x8070F0},
        {630, 226, 168, 34, 12, 0x9A88FF},
        {300, 470, -92, 36, 14, 0x46C0F0},
        {318, 472, -70, 26, 11, 0x70D8FF},
        {186, 40, 86, 34, 13, 0xC060E0},
    };
    Mask gr(W, H), gg(W, H), gb(W, H);
    for (const Crystal& k : crystals) paint_crystal(c, gr, gg, gb, k);
    // Soft coloured glow around all the crystals.
    for (Mask* m : {&gr, &gg, &gb}) *m = blur(blur(*m, 14), 14);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) c.at(x, y) = c.at(x, y) + Rgb{gr.at(x, y), gg.at(x, y), gb.at(x, y)} * 0.9f;
}

void paint_sparkles(Canvas& c) {
    // Glints gather around the crystal clusters, with a few loose in the air.
    const Point around[] = {{100, 360}, {560, 360}, {470, 90}, {50, 260}, {320, 300}};
    const float spread[] = {80, 70, 50, 40, 260};
    Lcg rng(0x5EED);
    for (int i = 0; i < 30; ++i) {
        const int group = i % 5;
        const float sx = std::clamp(around[group].x + rng.signed_unit() * spread[group], 20.0f, W - 20.0f);
        const float sy = std::clamp(around[group].y + rng.signed_unit() * spread[group] * 0.7f, 20.0f, H - 20.0f);
        const float size = rng.range(2.0f, 7.5f);
        const float bright = rng.range(0.25f, 0.9f);
        const Rgb tint = mix(rgb_hex(0xB0E8FF), rgb_hex(0xFFD8F8), rng.unit());
        const int r = static_cast<int>(size) + 1;
        for (int y = -r; y <= r; ++y)
            for (int x = -r; x <= r; ++x) {
                const int cx = static_cast<int>(sx) + x, cy = static_cast<int>(sy) + y;
                if (cx < 0 || cy < 0 || cx >= W || cy >= H) continue;
                const float ax = static_cast<float>(std::abs(x)), ay = static_cast<float>(std::abs(y));
                // A four-pointed star: thin arms plus a soft core.
                const float arms =
                    std::max(std::exp(-ay * 1.6f) * (1 - ax / size), std::exp(-ax * 1.6f) * (1 - ay / size));
                const float core = std::exp(-(ax * ax + ay * ay) / 2.0f);
                c.at(cx, cy) = c.at(cx, cy) + tint * (bright * std::max(0.0f, std::max(arms, core)));
            }
    }
}

// ---- the name ----------------------------------------------------------------------------

void paint_name(Canvas& c, Face& face) {
    const std::string name = "KROMBLIX";
    int size = 108;
    Mask text = text_mask(face, name, size, 24, 3);
    while (text.w - 48 > 560 && size > 40) text = text_mask(face, name, --size, 24, 3);
    // Trim to the ink's rows so the name can be centred on its letters, not its line box.
    int top = text.h, bottom = 0;
    for (int y = 0; y < text.h; ++y)
        for (int x = 0; x < text.w; ++x)
            if (text.at(x, y) > 0) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    const int ox = (W - text.w) / 2;
    const int oy = 138 - (top + bottom) / 2;
    const float letter_top = static_cast<float>(oy + top), letter_h = static_cast<float>(bottom - top);

    const Mask outline = dilate(text, 4);
    const Mask halo = blur(blur(dilate(text, 6), 10), 10);
    const Mask shadow = blur(outline, 3);

    add_light(c, halo, ox, oy, rgb_hex(0x9040E0) * 0.9f);
    composite(c, shadow, ox + 5, oy + 7, 0.85f, [](int, int) { return rgb_hex(0x05020A); });
    composite(c, outline, ox, oy, 1.0f, [](int, int) { return rgb_hex(0x1A0A26); });

    // Fill: gold to orange to deep red, a bright band across the upper third, and a bevel from
    // the mask's slope (lit from the upper left).
    const Rgb gold = rgb_hex(0xFFF0A0), orange = rgb_hex(0xFF9A2E), red = rgb_hex(0xB8281C);
    composite(c, text, ox, oy, 1.0f, [&](int x, int y) {
        const float t = std::clamp((static_cast<float>(y) - letter_top) / letter_h, 0.0f, 1.0f);
        Rgb col = t < 0.5f ? mix(gold, orange, t * 2) : mix(orange, red, (t - 0.5f) * 2);
        col = col + rgb_hex(0xFFFFFF) * (0.35f * std::exp(-std::pow((t - 0.3f) / 0.06f, 2.0f)));
        const int mx = x - ox, my = y - oy;
        const float slope = (text.get(mx - 2, my - 2) - text.get(mx + 2, my + 2));
        return col * (1.0f - 0.35f * std::max(0.0f, slope)) + rgb_hex(0xFFF4D0) * (0.3f * std::max(0.0f, -slope));
    });

    Mask sub = text_mask(face, "THE  CRYSTAL  CAVES", 20, 8, 4);
    const int sx = (W - sub.w) / 2, sy = oy + bottom + 18;
    add_light(c, blur(dilate(sub, 2), 4), sx, sy, rgb_hex(0x2088C0) * 0.8f);
    composite(c, sub, sx, sy, 1.0f, [](int, int) { return rgb_hex(0xC8F0FE); });
}

void vignette(Canvas& c) {
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float dx = (static_cast<float>(x) - W / 2.0f) / (W / 2.0f);
            const float dy = (static_cast<float>(y) - H / 2.0f) / (H / 2.0f);
            c.at(x, y) = c.at(x, y) * (1.0f - 0.35f * std::pow(std::min(1.0f, (dx * dx + dy * dy) / 2.0f), 1.5f));
        }
}

}  // namespace

Image make_title(Face& face) {
    Canvas c;
    paint_background(c);
    paint_rock(c);
    paint_crystals(c);
    paint_sparkles(c);
    paint_name(c, face);
    vignette(c);
    Image img(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) img.at(x, y) = to_word(c.at(x, y));
    return img;
}

}  // namespace makedata

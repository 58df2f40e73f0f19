// Coverage masks for the painted pictures: anti-aliased polygons, blur and dilation.
#include "tools/makedata/image.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace makedata {

namespace {
constexpr int SUBROWS = 5;  // vertical samples per pixel row; horizontal coverage is exact
}

void fill_polygon(Mask& mask, const std::vector<Point>& poly) {
    if (poly.size() < 3) return;
    float min_y = poly[0].y, max_y = poly[0].y;
    for (const Point& p : poly) {
        min_y = std::min(min_y, p.y);
        max_y = std::max(max_y, p.y);
    }
    const int y0 = std::max(0, static_cast<int>(std::floor(min_y)));
    const int y1 = std::min(mask.h - 1, static_cast<int>(std::ceil(max_y)));
    std::vector<std::pair<float, int>> crossings;
    std::vector<float> row(static_cast<std::size_t>(mask.w) + 1);

    for (int y = y0; y <= y1; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        bool any = false;
        for (int s = 0; s < SUBROWS; ++s) {
            const float sy = static_cast<float>(y) + (static_cast<float>(s) + 0.5f) / SUBROWS;
            crossings.clear();
            for (std::size_t i = 0; i < poly.size(); ++i) {
                const Point& a = poly[i];
                const Point& b = poly[(i + 1) % poly.size()];
                if ((a.y <= sy && b.y > sy) || (b.y <= sy && a.y > sy)) {
                    const float t = (sy - a.y) / (b.y - a.y);
                    crossings.push_back({a.x + t * (b.x - a.x), a.y < b.y ? 1 : -1});
                }
            }
            std::sort(crossings.begin(), crossings.end());
            int winding = 0;
            for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
                winding += crossings[i].second;
                if (winding == 0) continue;
                const float xa = std::clamp(crossings[i].first, 0.0f, static_cast<float>(mask.w));
                const float xb = std::clamp(crossings[i + 1].first, 0.0f, static_cast<float>(mask.w));
                if (xb <= xa) continue;
                any = true;
                const int ia = static_cast<int>(xa);
                const int ib = static_cast<int>(xb);
                if (ia == ib) {
                    row[static_cast<std::size_t>(ia)] += (xb - xa) / SUBROWS;
                    continue;
                }
                row[static_cast<std::size_t>(ia)] += (static_cast<float>(ia + 1) - xa) / SUBROWS;
                for (int x = ia + 1; x < ib; ++x) row[static_cast<std::size_t>(x)] += 1.0f / SUBROWS;
                row[static_cast<std::size_t>(ib)] += (xb - static_cast<float>(ib)) / SUBROWS;
            }
        }
        if (!any) continue;
        for (int x = 0; x < mask.w; ++x)
            mask.at(x, y) = std::min(1.0f, mask.at(x, y) + row[static_cast<std::size_t>(x)]);
    }
}

Mask blur(const Mask& m, int radius) {
    // Running sums along rows, then along columns; outside the mask counts as zero.
    const float k = 1.0f / static_cast<float>(2 * radius + 1);
    Mask tmp(m.w, m.h), out(m.w, m.h);
    for (int y = 0; y < m.h; ++y) {
        float sum = 0;
        for (int x = -radius; x < radius; ++x) sum += m.get(x, y);
        for (int x = 0; x < m.w; ++x) {
            sum += m.get(x + radius, y);
            tmp.at(x, y) = sum * k;
            sum -= m.get(x - radius, y);
        }
    }
    for (int x = 0; x < m.w; ++x) {
        float sum = 0;
        for (int y = -radius; y < radius; ++y) sum += tmp.get(x, y);
        for (int y = 0; y < m.h; ++y) {
            sum += tmp.get(x, y + radius);
            out.at(x, y) = std::max(0.0f, sum * k);
            sum -= tmp.get(x, y - radius);
        }
    }
    return out;
}

Mask dilate(const Mask& m, int radius) {
    Mask out(m.w, m.h);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            float best = 0;
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx)
                    if (dx * dx + dy * dy <= radius * radius + radius) best = std::max(best, m.get(x + dx, y + dy));
            out.at(x, y) = best;
        }
    return out;
}

}  // namespace makedata

#include "vell/shape_coverage.h"

#include <algorithm>
#include <cmath>

namespace vell {

int shapeSide(int kind, int radius)
{
    return kind == kDisc ? 2 * radius : radius;
}

float circleCoverage(int px, int py, int radius)
{
    const double r2 = double(radius) * radius;
    int inside = 0;
    for (int j = 0; j < 6; ++j) {
        const double y = py + (2 * j + 1) / 12.0;
        for (int i = 0; i < 6; ++i) {
            const double x = px + (2 * i + 1) / 12.0;
            if (x * x + y * y <= r2)
                ++inside;
        }
    }
    return inside / 36.0f;
}

static float pixelAlpha(int kind, int px, int py, int radius, int thickness)
{
    const float outer = circleCoverage(px, py, radius);
    switch (kind) {
    case kQuarterDisc:
    case kDisc:
        return outer;
    case kInvertedQuarterDisc:
        return 1.0f - outer;
    case kQuarterRing: {
        const int inner = radius - thickness;
        const float hole = inner > 0 ? circleCoverage(px, py, inner) : 0.0f;
        return std::max(0.0f, outer - hole);
    }
    default:
        return 0.0f;
    }
}

std::vector<uint8_t> shapeAlpha(int kind, int radius, int thickness)
{
    if (radius <= 0 || kind < kQuarterDisc || kind > kDisc)
        return {};
    const int side = shapeSide(kind, radius);
    std::vector<uint8_t> alpha(size_t(side) * side);
    for (int row = 0; row < side; ++row)
        for (int col = 0; col < side; ++col)
            alpha[size_t(row) * side + col] =
                uint8_t(std::lround(pixelAlpha(kind, col - radius, row - radius, radius, thickness) * 255.0f));
    return alpha;
}

} // namespace vell

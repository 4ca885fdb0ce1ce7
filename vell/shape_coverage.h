#pragma once
#include <cstdint>
#include <vector>

namespace vell {

// Kinds of anti-aliasing coverage shapes. Quarter shapes cover the top-left quarter
// of a circle whose centre sits at the texture's bottom-right corner.
enum ShapeKind : int {
    kQuarterDisc = 0,         // filled quarter disc, R x R
    kQuarterRing = 1,         // quarter ring of a given thickness, R x R
    kInvertedQuarterDisc = 2, // opaque outside the arc, R x R
    kDisc = 3,                // full disc, 2R x 2R
};

// Side of the square texture for a shape: R for the quarter kinds, 2R for the disc.
int shapeSide(int kind, int radius);

// Fraction (0..1) of the pixel (px, py) inside the circle of `radius` centred on the
// origin, from 6 x 6 samples at offsets (2i + 1) / 12. px, py are pixel corners
// relative to the centre.
float circleCoverage(int px, int py, int radius);

// Alpha bytes (side x side, row-major) of a coverage shape: coverage for the discs,
// 1 - coverage for the inverted disc, outer minus inner circle for the ring.
// Empty for unknown kinds or radius <= 0.
std::vector<uint8_t> shapeAlpha(int kind, int radius, int thickness);

} // namespace vell

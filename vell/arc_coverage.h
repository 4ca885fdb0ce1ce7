#pragma once
// Anti-aliased coverage of a circular arc with round caps, optionally with a
// radius that oscillates along the arc (the wavy circular progress). Pure
// maths, no SDL: CircularProgress turns the result into a texture.

#include <cstdint>
#include <vector>

namespace vell {

struct ArcShape {
    float cx = 0, cy = 0;   // centre, pixels from the buffer's top-left corner
    float radius = 0;       // centre line of the stroke
    float thickness = 1;    // stroke width
    float start = 0;        // radians, 0 = 3 o'clock, growing clockwise (screen y down)
    float sweep = 0;        // radians; >= 2*pi is a full ring
    float waveAmplitude = 0;
    int waves = 0;          // full oscillations around the circle
    float wavePhase = 0;
};

// Coverage bytes (side x side, row-major) of the arc, 4 x 4 samples per pixel.
// Nothing is drawn for a sweep below 0.02 rad or a non-positive side.
std::vector<uint8_t> arcCoverage(int side, const ArcShape& arc);

} // namespace vell

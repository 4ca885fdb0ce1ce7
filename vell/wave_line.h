#pragma once
#include <vector>

namespace vell {

// A sine-wave line rasterised into device pixels. Pure maths, no SDL: the renderer
// fills `runs` in the full colour and each partial pixel with its alpha scaled by coverage.
struct WaveLine {
    struct Run {
        int x, y, h; // one pixel column, rows y .. y + h - 1 fully covered
    };
    struct Pixel {
        int x, y;
        float coverage; // 0.01 < coverage < 0.996
    };
    std::vector<Run> runs;
    std::vector<Pixel> partial;
};

// All arguments in device pixels except phase (radians). Column c (0 .. columns - 1)
// samples y = centreY + amplitude * sin(2*pi/wavelength * (c + k) + phase) at
// k = 0.125, 0.375, 0.625, 0.875 with half-thickness lineWidth / 2 * sqrt(1 + slope^2);
// a row's coverage is its overlap with the line averaged over the four samples.
WaveLine rasterizeWave(int startX, int columns, float centreY, float amplitude, float wavelength, float phase,
                       float lineWidth);

} // namespace vell

#include "vell/wave_line.h"

#include <algorithm>
#include <cmath>

namespace vell {

namespace {

constexpr float kFull = 0.996f;
constexpr float kFaint = 0.01f;
constexpr float kSampleOffsets[4] = { 0.125f, 0.375f, 0.625f, 0.875f };

struct Sample {
    float top, bottom;
};

// Overlap of the line's vertical extent with pixel row [row, row + 1).
float rowOverlap(const Sample& s, int row)
{
    const float lo = std::max(float(row), s.top);
    const float hi = std::min(float(row + 1), s.bottom);
    return std::clamp(hi - lo, 0.0f, 1.0f);
}

} // namespace

WaveLine rasterizeWave(int startX, int columns, float centreY, float amplitude, float wavelength, float phase,
                       float lineWidth)
{
    WaveLine out;
    if (columns <= 0 || !(lineWidth > 0))
        return out;
    // A non-positive wavelength has no defined frequency; draw it flat.
    const float omega = wavelength > 0 ? float(2 * M_PI) / wavelength : 0.0f;
    const float halfWidth = lineWidth / 2;
    for (int c = 0; c < columns; ++c) {
        Sample samples[4];
        float top = centreY, bottom = centreY;
        for (int i = 0; i < 4; ++i) {
            const float t = omega * (float(c) + kSampleOffsets[i]) + phase;
            const float y = centreY + amplitude * std::sin(t);
            const float slope = amplitude * omega * std::cos(t);
            const float half = halfWidth * std::sqrt(1 + slope * slope);
            samples[i] = { y - half, y + half };
            top = std::min(top, y - half);
            bottom = std::max(bottom, y + half);
        }
        if (!std::isfinite(top) || !std::isfinite(bottom))
            continue;
        const int x = startX + c;
        int runStart = 0, runLength = 0;
        const int lastRow = int(std::ceil(bottom));
        for (int row = int(std::floor(top)); row < lastRow; ++row) {
            float coverage = 0;
            for (const Sample& s : samples)
                coverage += rowOverlap(s, row);
            coverage /= 4;
            if (coverage >= kFull) {
                if (runLength == 0)
                    runStart = row;
                ++runLength;
                continue;
            }
            if (runLength > 0)
                out.runs.push_back({ x, runStart, runLength });
            runLength = 0;
            if (coverage > kFaint)
                out.partial.push_back({ x, row, coverage });
        }
        if (runLength > 0)
            out.runs.push_back({ x, runStart, runLength });
    }
    return out;
}

} // namespace vell

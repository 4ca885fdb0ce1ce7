#include "vell/arc_coverage.h"

#include <algorithm>
#include <cmath>

#include "vell/geometry.h"

namespace vell {

namespace {

constexpr float kTwoPi = 6.28318530718f;
constexpr int kSamples = 4;

float radiusAt(const ArcShape& arc, float angle)
{
    if (arc.waveAmplitude == 0 || arc.waves == 0)
        return arc.radius;
    return arc.radius + arc.waveAmplitude * std::sin(arc.waves * angle + arc.wavePhase);
}

Point pointAt(const ArcShape& arc, float angle)
{
    const float r = radiusAt(arc, angle);
    return { arc.cx + r * std::cos(angle), arc.cy + r * std::sin(angle) };
}

// Whether a sample lies on the stroke: within the swept angle and half a
// thickness from the (possibly wavy) centre line, or inside an end cap.
bool inside(const ArcShape& arc, bool full, const Point& capA, const Point& capB, float x, float y)
{
    const float half = arc.thickness / 2;
    const float dx = x - arc.cx, dy = y - arc.cy;
    const float dist = std::sqrt(dx * dx + dy * dy);
    const float angle = std::atan2(dy, dx);
    float rel = std::fmod(angle - arc.start, kTwoPi);
    if (rel < 0)
        rel += kTwoPi;
    if (full || rel <= arc.sweep) {
        if (std::abs(dist - radiusAt(arc, angle)) <= half)
            return true;
    }
    if (full)
        return false;
    auto near = [&](const Point& p) { return (x - p.x) * (x - p.x) + (y - p.y) * (y - p.y) <= half * half; };
    return near(capA) || near(capB);
}

} // namespace

std::vector<uint8_t> arcCoverage(int side, const ArcShape& arc)
{
    if (side <= 0)
        return {};
    std::vector<uint8_t> out(size_t(side) * size_t(side), 0);
    if (!(arc.sweep >= 0.02f) || arc.thickness <= 0)
        return out;
    const bool full = arc.sweep >= kTwoPi;
    const Point capA = pointAt(arc, arc.start);
    const Point capB = pointAt(arc, arc.start + arc.sweep);
    // Pixels farther than this from the ring's centre line cannot be covered.
    const float reach = arc.thickness / 2 + std::abs(arc.waveAmplitude) + 1.5f;
    for (int py = 0; py < side; ++py) {
        for (int px = 0; px < side; ++px) {
            const float dx = px + 0.5f - arc.cx, dy = py + 0.5f - arc.cy;
            if (std::abs(std::sqrt(dx * dx + dy * dy) - arc.radius) > reach)
                continue;
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const float x = px + (sx + 0.5f) / kSamples;
                    const float y = py + (sy + 0.5f) / kSamples;
                    hits += inside(arc, full, capA, capB, x, y);
                }
            }
            out[size_t(py) * size_t(side) + size_t(px)] = uint8_t(hits * 255 / (kSamples * kSamples));
        }
    }
    return out;
}

} // namespace vell

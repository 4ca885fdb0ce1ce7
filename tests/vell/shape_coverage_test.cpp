#include "vell/shape_cache.h"
#include "vell/shape_coverage.h"
#include "vell/wave_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

using namespace vell;

namespace {

int at(const std::vector<uint8_t>& alpha, int side, int col, int row)
{
    return alpha[size_t(row) * side + col];
}

} // namespace

TEST(ShapeCoverage, PixelsInsideOutsideAndOnTheArc)
{
    EXPECT_FLOAT_EQ(circleCoverage(-1, -1, 4), 1.0f);  // next to the centre
    EXPECT_FLOAT_EQ(circleCoverage(-4, -4, 4), 0.0f);  // the square's far corner
    EXPECT_FLOAT_EQ(circleCoverage(-5, 0, 4), 0.0f);   // beyond the radius
    const float arc = circleCoverage(-3, -3, 4);       // spans x^2 + y^2 = 16
    EXPECT_GT(arc, 0.0f);
    EXPECT_LT(arc, 1.0f);
    // Mirror images of one pixel cover the same fraction.
    EXPECT_FLOAT_EQ(circleCoverage(-3, -2, 4), circleCoverage(2, -2, 4));
    EXPECT_FLOAT_EQ(circleCoverage(-3, -2, 4), circleCoverage(-2, -3, 4));
    EXPECT_FLOAT_EQ(circleCoverage(-3, -2, 4), circleCoverage(2, 1, 4));
}

TEST(ShapeCoverage, DiscAreaMatchesPiRSquared)
{
    for (int radius : { 3, 10, 40 }) {
        const auto alpha = shapeAlpha(kDisc, radius, 0);
        ASSERT_EQ(alpha.size(), size_t(4 * radius * radius));
        const double area = std::accumulate(alpha.begin(), alpha.end(), 0.0) / 255.0;
        EXPECT_NEAR(area, M_PI * radius * radius, M_PI * radius * radius * 0.02) << radius;
    }
}

TEST(ShapeCoverage, DiscIsSymmetricAndQuarterMatchesItsTopLeft)
{
    const int r = 9, side = 2 * r;
    const auto disc = shapeAlpha(kDisc, r, 0);
    const auto quarter = shapeAlpha(kQuarterDisc, r, 0);
    ASSERT_EQ(quarter.size(), size_t(r * r));
    for (int row = 0; row < side; ++row) {
        for (int col = 0; col < side; ++col) {
            EXPECT_EQ(at(disc, side, col, row), at(disc, side, side - 1 - col, row));
            EXPECT_EQ(at(disc, side, col, row), at(disc, side, col, side - 1 - row));
            EXPECT_EQ(at(disc, side, col, row), at(disc, side, row, col));
            if (row < r && col < r) {
                EXPECT_EQ(at(disc, side, col, row), at(quarter, r, col, row));
            }
        }
    }
    // The quarter's opaque side is at the circle centre (bottom-right), clear at the far corner.
    EXPECT_EQ(at(quarter, r, r - 1, r - 1), 255);
    EXPECT_EQ(at(quarter, r, 0, 0), 0);
}

TEST(ShapeCoverage, InvertedDiscAndRingComplementTheDisc)
{
    const int r = 12, t = 3;
    const auto disc = shapeAlpha(kQuarterDisc, r, 0);
    const auto inverted = shapeAlpha(kInvertedQuarterDisc, r, 0);
    const auto ring = shapeAlpha(kQuarterRing, r, t);
    const auto inner = shapeAlpha(kQuarterDisc, r - t, 0);
    for (int row = 0; row < r; ++row) {
        for (int col = 0; col < r; ++col) {
            EXPECT_NEAR(at(disc, r, col, row) + at(inverted, r, col, row), 255, 1);
            // The ring is the disc minus the inner disc (offset by t: same centre).
            const int hole = col >= t && row >= t ? at(inner, r - t, col - t, row - t) : 0;
            EXPECT_NEAR(at(ring, r, col, row), std::max(0, at(disc, r, col, row) - hole), 1) << col << "," << row;
        }
    }
    EXPECT_EQ(at(ring, r, r - 1, r - 1), 0); // inside the hole
    EXPECT_EQ(shapeAlpha(kQuarterRing, r, r), disc); // a ring as thick as the radius is the disc
}

TEST(WaveLine, FlatLineOnPixelBoundariesIsFullyCovered)
{
    const WaveLine wave = rasterizeWave(5, 10, 10.0f, 0, 20, 0, 2);
    ASSERT_EQ(wave.runs.size(), 10u);
    EXPECT_TRUE(wave.partial.empty());
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(wave.runs[i].x, 5 + i);
        EXPECT_EQ(wave.runs[i].y, 9);
        EXPECT_EQ(wave.runs[i].h, 2);
    }
}

TEST(WaveLine, HalfPixelOffsetGivesHalfCoveredEdges)
{
    const WaveLine wave = rasterizeWave(0, 3, 10.5f, 0, 20, 0, 2);
    ASSERT_EQ(wave.runs.size(), 3u);
    EXPECT_EQ(wave.runs[0].y, 10);
    EXPECT_EQ(wave.runs[0].h, 1);
    ASSERT_EQ(wave.partial.size(), 6u);
    for (const auto& p : wave.partial) {
        EXPECT_TRUE(p.y == 9 || p.y == 11);
        EXPECT_NEAR(p.coverage, 0.5f, 1e-5f);
    }
}

TEST(WaveLine, CoverageFollowsTheSine)
{
    const float centre = 30, amplitude = 8, wavelength = 40, phase = 0.7f, width = 3;
    const WaveLine wave = rasterizeWave(0, 80, centre, amplitude, wavelength, phase, width);
    std::vector<double> mass(80), moment(80);
    for (const auto& r : wave.runs)
        for (int y = r.y; y < r.y + r.h; ++y) {
            mass[r.x] += 1;
            moment[r.x] += y + 0.5;
        }
    for (const auto& p : wave.partial) {
        EXPECT_GT(p.coverage, 0.01f);
        EXPECT_LT(p.coverage, 0.996f);
        mass[p.x] += p.coverage;
        moment[p.x] += (p.y + 0.5) * p.coverage;
    }
    for (int c = 0; c < 80; ++c) {
        const double t = 2 * M_PI / wavelength * (c + 0.5) + phase;
        const double slope = amplitude * 2 * M_PI / wavelength * std::cos(t);
        EXPECT_NEAR(moment[c] / mass[c], centre + amplitude * std::sin(t), 0.35) << c;
        // Thicker where the line is steep, so the stroke keeps its width.
        EXPECT_NEAR(mass[c], width * std::sqrt(1 + slope * slope), 0.3) << c;
    }
}

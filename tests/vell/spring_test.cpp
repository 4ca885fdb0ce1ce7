#include "vell/spring.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vell;

namespace {

struct SpringKind {
    const char* name;
    Spring spring;
    float from, to;
};

void PrintTo(const SpringKind& k, std::ostream* os) { *os << k.name; }

class SpringKinds : public ::testing::TestWithParam<SpringKind> { };

// Every kind settles on its target within a second of 60 Hz frames and then
// rests exactly there.
TEST_P(SpringKinds, ConvergesAndSnaps)
{
    Spring s = GetParam().spring;
    s.value = GetParam().from;
    s.target = GetParam().to;
    for (int i = 0; i < 120 && !s.atRest(); ++i)
        s.step(1.0f / 60);
    EXPECT_TRUE(s.atRest()) << GetParam().name << " value " << s.value;
    EXPECT_EQ(s.value, GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SpringKinds,
    ::testing::Values(SpringKind { "colour", Spring::colorChannel(), 0, 255 },
        SpringKind { "opacity", Spring::opacity(), 1, 0.38f }, SpringKind { "scale", Spring::scale(), 1, 0.95f },
        SpringKind { "radius", Spring::radius(), 0, 24 }, SpringKind { "focus", Spring::focus(), 0, 1 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Spring, SnapsOnlyWhenBothDistanceAndVelocityAreSmall)
{
    Spring s = Spring::colorChannel();
    s.value = 10.1f;
    s.target = 10;
    s.step(0.016f);
    EXPECT_TRUE(s.atRest());

    s.value = 10.1f;
    s.velocity = 5; // close, but still moving: integrate instead of snapping
    s.step(0.001f);
    EXPECT_NE(s.value, 10);
    EXPECT_FALSE(s.atRest());
}

// A stall of any length advances the spring by the same 13 sub-steps of 1/260 s.
TEST(Spring, LargeStepsAreCappedToThirteenSubSteps)
{
    Spring reference = Spring::scale();
    reference.target = 0.5f;
    const float c = 2 * reference.damping * std::sqrt(reference.stiffness);
    for (int i = 0; i < 13; ++i) {
        float a = (reference.target - reference.value) * reference.stiffness - reference.velocity * c;
        reference.velocity += a / 260;
        reference.value += reference.velocity / 260;
    }
    for (float dt : { 0.051f, 0.2f, 5.0f }) {
        Spring s = Spring::scale();
        s.target = 0.5f;
        s.step(dt);
        EXPECT_FLOAT_EQ(s.value, reference.value) << dt;
        EXPECT_FLOAT_EQ(s.velocity, reference.velocity) << dt;
    }
}

// Below the cap, sub-steps are at most 4 ms, so splitting a frame in two
// gives nearly the same result as one step.
TEST(Spring, SubSteppingMakesResultsIndependentOfFrameSplit)
{
    Spring whole = Spring::radius();
    whole.target = 20;
    Spring halves = whole;
    whole.step(0.032f);
    halves.step(0.016f);
    halves.step(0.016f);
    EXPECT_NEAR(whole.value, halves.value, 0.05f);
}

// Deep in a long list a short frame moves the scroll by less than a float can hold
// there; the spring must still arrive and rest, whatever the frame length.
TEST(Spring, ComesToRestFarFromZeroWithShortFrames)
{
    for (float dt : { 0.0001f, 0.001f, 1.0f / 60 }) {
        for (float from : { 50269.0f, 50269.9f, 480000.0f }) {
            Spring s = Spring::colorChannel();
            s.stiffness = 420;
            s.epsilon = 0.05f;
            s.value = from;
            s.target = std::floor(from) + 1;
            int frames = 0;
            for (; frames < 200000 && !s.atRest(); ++frames)
                s.step(dt);
            EXPECT_TRUE(s.atRest()) << from << " at dt " << dt << " stopped at " << s.value;
            EXPECT_LT(frames * dt, 1.0f) << from << " at dt " << dt;
        }
    }
}

} // namespace

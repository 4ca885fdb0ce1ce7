#include "vell/spring.h"

#include <cmath>

namespace vell {

namespace {

constexpr float kLargeStep = 0.05f;
constexpr int kLargeStepCount = 13;
constexpr float kLargeSubStep = 1.0f / 260.0f;
constexpr float kMaxSubStep = 0.004f;

uint64_t g_motion = 0;

} // namespace

uint64_t Spring::motionCount() { return g_motion; }

void Spring::step(float dt)
{
    if (std::fabs(target - value) < epsilon && std::fabs(velocity) < epsilon) {
        snap();
        return;
    }
    ++g_motion;
    int steps;
    float h;
    if (dt > kLargeStep) {
        steps = kLargeStepCount;
        h = kLargeSubStep;
    } else {
        steps = std::max(1, int(std::ceil(dt / kMaxSubStep)));
        h = dt / float(steps);
    }
    const float c = 2 * damping * std::sqrt(stiffness);
    double exact = double(value) + (value == m_stepped ? m_residue : 0.0);
    for (int i = 0; i < steps; ++i) {
        float a = float(target - exact) * stiffness - velocity * c;
        velocity += a * h;
        exact += double(velocity) * h;
    }
    value = m_stepped = float(exact);
    m_residue = exact - double(value);
}

} // namespace vell

#pragma once
// Critically (or under-) damped springs that animate every visual value.
// One integrator for all of them; the kinds differ only in their constants.

#include "vell/geometry.h"

#include <cstdint>

namespace vell {

struct Spring {
    float value = 0;
    float velocity = 0;
    float target = 0;
    float epsilon = 0.001f;
    float stiffness = 520;
    float damping = 1; // ratio: 1 is critical

    // Colour channel on the 0-255 scale.
    static Spring colorChannel() { return make(0, 560, 1, 0.2f); }
    static Spring opacity() { return make(1, 560, 1, 0.002f); }
    static Spring scale() { return make(1, 520, 0.5f, 0.0005f); }
    static Spring radius() { return make(0, 520, 0.5f, 0.02f); }
    static Spring focus() { return make(0, 520, 0.5f, 0.002f); }

    // Advances by dt seconds. Snaps to the target once both the distance and
    // the velocity are below epsilon; large steps are cut into fixed
    // sub-steps so a stall cannot make the integration blow up.
    void step(float dt);

    // Jumps to the target with no velocity.
    void snap()
    {
        value = target;
        velocity = 0;
        m_residue = 0;
    }

    bool atRest() const { return value == target && velocity == 0; }

    // How many steps so far moved a spring that was not yet settled (all springs of the
    // process; UI thread). The engine compares it across a frame: while it grows something
    // is in motion and the next frame must come at the normal rate.
    static uint64_t motionCount();

private:
    // What a float value could not hold of the steps so far: far from zero (a list
    // scrolled deep) a short step's move can be below its precision, and without
    // this the spring would stop short of its target and never come to rest.
    // Valid while `value` is what the last step left.
    double m_residue = 0;
    float m_stepped = 0;

    static Spring make(float initial, float stiffness, float damping, float epsilon)
    {
        Spring s;
        s.value = s.target = initial;
        s.stiffness = stiffness;
        s.damping = damping;
        s.epsilon = epsilon;
        return s;
    }
};

// Four colour-channel springs animating one colour.
struct ColorSpring {
    Spring r = Spring::colorChannel();
    Spring g = Spring::colorChannel();
    Spring b = Spring::colorChannel();
    Spring a = Spring::colorChannel();

    void setTarget(Color c)
    {
        r.target = c.r;
        g.target = c.g;
        b.target = c.b;
        a.target = c.a;
    }
    Color target() const { return { r.target, g.target, b.target, a.target }; }
    Color value() const { return { r.value, g.value, b.value, a.value }; }
    void step(float dt)
    {
        r.step(dt);
        g.step(dt);
        b.step(dt);
        a.step(dt);
    }
    void snap()
    {
        r.snap();
        g.snap();
        b.snap();
        a.snap();
    }
};

} // namespace vell

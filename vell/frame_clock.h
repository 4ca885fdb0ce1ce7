#pragma once

namespace vell {

// The engine's time source. The default reads SDL's performance counter and
// sleeps with SDL_Delay; tests substitute a clock they advance by hand so that
// repeat timing and springs are deterministic.
class FrameClock {
public:
    virtual ~FrameClock() = default;
    // Monotonic time in seconds.
    virtual double now();
    // Gives the core away for about `seconds`.
    virtual void sleep(double seconds);
    // Sleeps until an SDL event is queued or `seconds` have passed (infinity: no
    // limit); the event stays queued.
    virtual void waitForEvent(double seconds);
};

// A clock that only moves when told to; sleeping advances nothing.
class ManualClock : public FrameClock {
public:
    double now() override { return m_now; }
    void sleep(double seconds) override { m_slept += seconds; }
    // Returns at once; the test reads the wait asked for and advances the clock itself.
    void waitForEvent(double seconds) override { m_waited = seconds; }
    void advance(double seconds) { m_now += seconds; }
    double slept() const { return m_slept; }
    double waited() const { return m_waited; }

private:
    double m_now = 0;
    double m_slept = 0;
    double m_waited = 0;
};

} // namespace vell

#pragma once
// Seconds on a monotonic clock, for timers that must count real time even when
// frames are slow or the frame loop has waited (a frame's step is capped).
// Classes keep it in a std::function member so tests can drive time by hand:
//
//   std::function<double()> clock = cad::monotonicSeconds;

#include <chrono>

namespace cad {

inline double monotonicSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace cad

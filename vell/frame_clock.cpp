#include "vell/frame_clock.h"

#include <SDL.h>

#include <climits>
#include <cmath>

namespace vell {

double FrameClock::now() {
    static const double frequency = double(SDL_GetPerformanceFrequency());
    return double(SDL_GetPerformanceCounter()) / frequency;
}

void FrameClock::sleep(double seconds) {
    if (seconds <= 0)
        return;
    SDL_Delay(Uint32(seconds * 1000.0));
}

void FrameClock::waitForEvent(double seconds) {
    if (seconds <= 0)
        return;
    // Whole milliseconds, rounded up so a timer is never woken just short of its time.
    const double ms = std::ceil(seconds * 1000.0);
    SDL_WaitEventTimeout(nullptr, ms >= double(INT_MAX) ? -1 : int(ms));
}

} // namespace vell

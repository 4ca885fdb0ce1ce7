#include "vell/frame_clock.h"

#include <SDL.h>

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

} // namespace vell

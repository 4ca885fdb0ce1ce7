#pragma once
#include "vell/geometry.h"

namespace vell {

// How the logical layout space sits in the window: scaled uniformly to fit,
// centred, with bars on the other axis. Pointer positions come in window
// points and fingers in normalised output coordinates; both map back here.
struct Letterbox {
    float scale = 1;   // device pixels per logical pixel, at least 0.1
    float offsetX = 0; // device pixels of the left bar
    float offsetY = 0; // device pixels of the top bar
    float ratioX = 1;  // device pixels per window point
    float ratioY = 1;
    int outputWidth = 0; // renderer output size in pixels
    int outputHeight = 0;

    // The fit for an output of outW x outH pixels in a window of winW x winH
    // points. Returns `previous` unchanged when the output has no area yet.
    static Letterbox fit(const Letterbox& previous, int outW, int outH, int winW, int winH,
                         float logicalW, float logicalH);

    // A window-point position (mouse) in logical pixels, rounded to whole pixels.
    Point windowToLogical(float x, float y) const;
    // A normalised finger position (0..1 of the output) in logical pixels.
    Point fingerToLogical(float nx, float ny) const;
};

} // namespace vell

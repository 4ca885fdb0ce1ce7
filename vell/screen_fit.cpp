#include "vell/screen_fit.h"

#include <algorithm>
#include <cmath>

namespace vell {

namespace {

bool known(Size s) { return s.w > 0 && s.h > 0; }

} // namespace

WindowPlan planWindow(Size wanted, Size usable, Size display, bool hasDesktop) {
    WindowPlan plan{int(wanted.w), int(wanted.h), false};
    plan.fullscreen = !hasDesktop || (known(display) && display.w <= 1280 && display.h <= 800);
    // The display's size, so that without a window manager to honour full screen
    // (a bare X server) the window still covers it.
    if (plan.fullscreen && known(display))
        return {int(display.w), int(display.h), true};
    if (!known(usable) || (wanted.w <= usable.w && wanted.h <= usable.h))
        return plan;
    const float shrink = std::min(usable.w / wanted.w, usable.h / wanted.h);
    plan.width = std::max(1, int(std::floor(wanted.w * shrink)));
    plan.height = std::max(1, int(std::floor(wanted.h * shrink)));
    return plan;
}

float autoUiScale(int outW, int outH, Size design) {
    if (outW <= 0 || outH <= 0 || !known(design))
        return 1;
    const float fitted = std::min(float(outW) / design.w, float(outH) / design.h);
    // Steps of 0.05 keep text sizes from changing with every pixel of a resize.
    const float stepped = std::floor(fitted * 20 + 0.001f) / 20;
    return std::max(kMinAutoUiScale, stepped);
}

float chosenUiScale(float scale, int outW, int outH, Size design) {
    if (outW <= 0 || outH <= 0)
        return scale;
    const float fits = std::min(float(outW) / kMinChosenLayout.w, float(outH) / kMinChosenLayout.h);
    return std::min(scale, std::max(fits, autoUiScale(outW, outH, design)));
}

Size layoutSizeFor(int outW, int outH, float scale) {
    if (scale <= 0)
        scale = 1;
    return {std::round(float(outW) / scale), std::round(float(outH) / scale)};
}

} // namespace vell

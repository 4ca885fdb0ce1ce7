#pragma once
#include "vell/geometry.h"

namespace vell {

// How a window and its layout space fit the screen they are shown on. Pure
// functions, so the rules test without a display.
//
//   WindowPlan plan = planWindow({1280, 720}, usable, display, hasDesktop);
//   float s = autoUiScale(outW, outH, {1280, 720});   // 0.8 at 640 x 480
//   Size layout = layoutSizeFor(outW, outH, s);       // 800 x 600

// The window to open: its size in points, and whether it starts full screen.
struct WindowPlan {
    int width = 0;
    int height = 0;
    bool fullscreen = false;
};

// A window never opens larger than the usable area (scaled down keeping its
// shape). Small displays (no larger than 1280 x 800) and video drivers without
// a desktop (KMSDRM) start full screen, sized as the display. A usable area or display with no size
// (unknown) leaves the wanted size as it is.
WindowPlan planWindow(Size wanted, Size usable, Size display, bool hasDesktop);

// The UI scale for an output of outW x outH pixels, for a layout designed at
// `design`: the fitted scale in steps of 0.05, never below kMinAutoUiScale so
// that 16 px body text stays 13 px and 13 px captions stay 10 px tall.
inline constexpr float kMinAutoUiScale = 0.8f;
float autoUiScale(int outW, int outH, Size design);

// The smallest layout a chosen interface size may leave: the pages are built and
// checked down to it (below 600 the navigation rail leaves the screen, and with
// it the way back to the setting).
inline constexpr Size kMinChosenLayout{640, 600};
// The UI scale for a chosen `scale`: lowered where it would make the layout
// smaller than kMinChosenLayout, never below the automatic scale.
float chosenUiScale(float scale, int outW, int outH, Size design);

// The layout space an output of outW x outH pixels gives at UI scale `scale`.
Size layoutSizeFor(int outW, int outH, float scale);

} // namespace vell

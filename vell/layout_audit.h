#pragma once
// A check of a laid-out widget tree against the screen it is shown on: what a
// user would see as broken on a small or large screen. Used by the testing build
// to walk every page at several screen sizes.
//
//   for (const LayoutProblem& p : auditLayout(*shell.root, ctx.logicalSize, scale, 10))
//       log(p.what);

#include <string>
#include <vector>

#include "vell/geometry.h"

namespace vell {

class Widget;

struct LayoutProblem {
    std::string what; // "offscreen", "overlap" or "small text", then the widgets concerned
};

// Walks the visible widgets under `root` and reports:
// - a widget outside the screen (0, 0, screen) or outside the axis of a clipping
//   ancestor that does not scroll (what scrolls out of a list is fine);
// - two visible children of a row or column that overlap each other;
// - a label whose text is drawn below `minTextPixels` device pixels at `scale`.
// Tolerance of one logical pixel everywhere.
std::vector<LayoutProblem> auditLayout(const Widget& root, Size screen, float scale, float minTextPixels);

// A short name of a widget for the report: its type, its first class and the
// first text inside it.
std::string describeWidget(const Widget& widget);

} // namespace vell

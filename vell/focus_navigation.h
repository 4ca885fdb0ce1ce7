#pragma once
#include "vell/geometry.h"

namespace vell {

class Widget;

// Focus moves among the focusable widgets of one root (the top dialog, the
// open drawer or the main tree). Candidates are gathered at each call with
// collectFocusable: tree order, visible, enabled, with positive size.

// The top-left-most candidate of `root` (the root itself included), or null.
Widget* firstFocusable(Widget* root);

// The candidate of `root` that `direction` (Up, Down, Left, Right) moves to
// from `focus`, or null when none lies that way.
Widget* navigate(Widget* root, Widget* focus, int direction);

// The first scroll container that can scroll, walking up from `from` through
// its parents; null when there is none.
Widget* scrollableAncestor(Widget* from);
// The first scroll container that can scroll, depth-first in `root`
// (parents before children, invisible subtrees skipped).
Widget* firstScrollable(Widget* root);

// The scroll of one d-pad press of `direction` for a container with `step`.
Point directionStep(int direction, float step);

} // namespace vell

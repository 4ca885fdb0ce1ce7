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
// from `focus`, or null when none lies that way. While `focus` sits in a
// scroll container with content left that way (see scrollerToward), only
// that container's candidates count: rows scrolled out of sight come before
// the bars around the container. With none of them that way, null, so the
// press scrolls that container.
Widget* navigate(Widget* root, Widget* focus, int direction);

// The nearest scroll container above `from` that still has content beyond its
// viewport toward `direction`; null when none has.
Widget* scrollerToward(Widget* from, int direction);

// The first scroll container that can scroll, walking up from `from` through
// its parents; null when there is none.
Widget* scrollableAncestor(Widget* from);
// The first scroll container that can scroll, depth-first in `root`
// (parents before children, invisible subtrees skipped).
Widget* firstScrollable(Widget* root);

// The scroll of one d-pad press of `direction` for a container with `step`.
Point directionStep(int direction, float step);

} // namespace vell

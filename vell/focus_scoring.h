#pragma once
#include <vector>

#include "vell/geometry.h"

namespace vell {

// Spatial scoring of focus moves, as pure functions over rectangles so the
// rules can be checked without widgets. Candidates are given in tree order.

// The candidate a direction (Up, Down, Left, Right) moves to from `focus`:
// the lowest score among those lying that way, the earlier one on a tie.
// -1 when none qualifies.
int pickDirectional(const Rect& focus, const std::vector<Rect>& candidates, int direction);

// The score of moving from `focus` to `candidate`, or a negative value when
// the candidate does not lie in that direction.
double directionalScore(const Rect& focus, const Rect& candidate, int direction);

// The top-left-most candidate: smallest y, rows within 1 px count as one row,
// smaller x wins inside a row, the earlier one on a tie. -1 when empty.
int pickFirst(const std::vector<Rect>& candidates);

} // namespace vell

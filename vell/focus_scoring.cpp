#include "vell/focus_scoring.h"

#include <algorithm>
#include <cmath>

#include "vell/pad_button.h"

namespace vell {
namespace {

// The same rule for both axes: "main" is the axis of travel, "cross" the other.
struct Span {
    double start, size;
    double end() const { return start + size; }
    double centre() const { return start + size / 2; }
};

double overlapWeight(Span a, Span b) {
    double overlap = std::min(a.end(), b.end()) - std::max(a.start, b.start);
    return overlap > 0 ? 1.2 : 3.0;
}

// Moving towards larger coordinates on the main axis (Right, Down).
double forwardScore(Span focus, Span cand, Span focusCross, Span candCross) {
    double dc = cand.centre() - focus.centre();
    if (!(dc > 1) || !(cand.end() > focus.end() + 0.5))
        return -1;
    double gap = std::max(0.0, cand.start - focus.end());
    return 0.35 * dc + gap + overlapWeight(focusCross, candCross) *
                                 std::fabs(candCross.centre() - focusCross.centre());
}

// Moving towards smaller coordinates on the main axis (Left, Up).
double backwardScore(Span focus, Span cand, Span focusCross, Span candCross) {
    double dc = focus.centre() - cand.centre();
    if (!(dc > 1) || !(cand.start < focus.start - 0.5))
        return -1;
    double gap = std::max(0.0, focus.start - cand.end());
    return 0.35 * dc + gap + overlapWeight(focusCross, candCross) *
                                 std::fabs(candCross.centre() - focusCross.centre());
}

} // namespace

double directionalScore(const Rect& focus, const Rect& candidate, int direction) {
    Span fx{focus.x, focus.w}, fy{focus.y, focus.h};
    Span cx{candidate.x, candidate.w}, cy{candidate.y, candidate.h};
    switch (direction) {
    case Right: return forwardScore(fx, cx, fy, cy);
    case Down: return forwardScore(fy, cy, fx, cx);
    case Left: return backwardScore(fx, cx, fy, cy);
    case Up: return backwardScore(fy, cy, fx, cx);
    default: return -1;
    }
}

int pickDirectional(const Rect& focus, const std::vector<Rect>& candidates, int direction) {
    int best = -1;
    double bestScore = 1e18;
    for (size_t i = 0; i < candidates.size(); ++i) {
        double score = directionalScore(focus, candidates[i], direction);
        if (score < 0 || score >= bestScore)
            continue; // strictly lower only: the earlier candidate keeps a tie
        best = int(i);
        bestScore = score;
    }
    return best;
}

int pickFirst(const std::vector<Rect>& candidates) {
    int best = -1;
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (best < 0) {
            best = int(i);
            continue;
        }
        const Rect& c = candidates[i];
        const Rect& b = candidates[best];
        bool sameRow = std::fabs(c.y - b.y) <= 1.0f;
        if ((sameRow && c.x < b.x) || (!sameRow && c.y < b.y))
            best = int(i);
    }
    return best;
}

} // namespace vell

#include "vell/focus_navigation.h"

#include <vector>

#include "vell/focus_scoring.h"
#include "vell/pad_button.h"
#include "vell/scrollable.h"
#include "vell/widget.h"

namespace vell {
namespace {

std::vector<Rect> rectsOf(const std::vector<Widget*>& widgets) {
    std::vector<Rect> rects;
    rects.reserve(widgets.size());
    for (Widget* w : widgets)
        rects.push_back(w->rect);
    return rects;
}

bool canScroll(Widget* w) {
    auto* s = dynamic_cast<Scrollable*>(w);
    return s && s->canScroll();
}

bool isInside(const Widget* w, const Widget* ancestor) {
    for (; w; w = w->parent)
        if (w == ancestor)
            return true;
    return false;
}

} // namespace

Widget* firstFocusable(Widget* root) {
    if (!root)
        return nullptr;
    std::vector<Widget*> candidates;
    collectFocusable(root, candidates);
    int index = pickFirst(rectsOf(candidates));
    return index < 0 ? nullptr : candidates[index];
}

Widget* navigate(Widget* root, Widget* focus, int direction) {
    if (!root || !focus)
        return nullptr;
    std::vector<Widget*> candidates;
    collectFocusable(root, candidates);
    std::erase(candidates, focus);
    if (Widget* scroller = scrollerToward(focus, direction); scroller && isInside(scroller, root))
        std::erase_if(candidates, [&](Widget* w) { return !isInside(w, scroller); });
    int index = pickDirectional(focus->rect, rectsOf(candidates), direction);
    return index < 0 ? nullptr : candidates[index];
}

Widget* scrollerToward(Widget* from, int direction) {
    for (Widget* w = from ? from->parent : nullptr; w; w = w->parent) {
        auto* s = dynamic_cast<Scrollable*>(w);
        if (s && s->hasContentToward(direction))
            return w;
    }
    return nullptr;
}

Widget* scrollableAncestor(Widget* from) {
    for (Widget* w = from; w; w = w->parent)
        if (canScroll(w))
            return w;
    return nullptr;
}

Widget* firstScrollable(Widget* root) {
    if (!root || !root->visible)
        return nullptr;
    if (canScroll(root))
        return root;
    for (const auto& child : root->children)
        if (Widget* found = firstScrollable(child.get()))
            return found;
    return nullptr;
}

Point directionStep(int direction, float step) {
    switch (direction) {
    case Up: return {0, -step};
    case Down: return {0, step};
    case Left: return {-step, 0};
    case Right: return {step, 0};
    default: return {};
    }
}

} // namespace vell

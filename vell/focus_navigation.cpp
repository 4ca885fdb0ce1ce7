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
    int index = pickDirectional(focus->rect, rectsOf(candidates), direction);
    return index < 0 ? nullptr : candidates[index];
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

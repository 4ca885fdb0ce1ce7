#include "vell/scroll_view.h"

#include <algorithm>

namespace vell {

Size ScrollView::contentSpace(float availW, float availH) const
{
    return { allowsX() ? kUnbounded : availW, allowsY() ? kUnbounded : availH };
}

Size ScrollView::measure(UiContext& ctx, float availW, float availH)
{
    const Size space = contentSpace(availW, availH);
    return Flex::measure(ctx, space.w, space.h);
}

void ScrollView::arrange(UiContext& ctx, const Rect& contentBox)
{
    viewport = contentBox;
    const Size space = contentSpace(contentBox.w, contentBox.h);
    content = Flex::measure(ctx, space.w, space.h);
    if (!allowsX())
        content.w = contentBox.w;
    if (!allowsY())
        content.h = contentBox.h;
    if (!dragging)
        clampTargets();
    const Rect laidOut { contentBox.x - scrollX.value, contentBox.y - scrollY.value,
        std::max(content.w, contentBox.w), std::max(content.h, contentBox.h) };
    Flex::arrange(ctx, laidOut);
}

std::shared_ptr<ScrollView> scrollView(int32_t axis)
{
    auto view = std::make_shared<ScrollView>();
    view->axis = axis;
    return view;
}

} // namespace vell

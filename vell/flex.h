#pragma once
// The flex layout algorithm (row, column, stack) as pure functions over plain
// item records, and vell::Flex, the widget base that lays its children out
// with it.
//
// Measuring a child is delegated to a callback so the algorithm can be run
// and tested without widgets:
//   Size content = flexMeasure(params, items, { availW, availH }, measureChild);
//   std::vector<Rect> rects = flexArrange(params, items, contentRect, measureChild);

#include "vell/style.h"
#include "vell/widget.h"

#include <functional>
#include <span>
#include <vector>

namespace vell {

// The container's side of the algorithm.
struct FlexParams {
    Direction direction = Direction::Column;
    float gap = 0;
    Align align = Align::Start;
    Justify justify = Justify::Start;

    static FlexParams fromStyle(const Style& style);
};

// One participating (visible) child.
struct FlexItem {
    Edges margin;
    SizeSpec width, height; // the child's own size specs (stretch respects non-auto)
    float grow = 0;         // the child's grow(); 0 when not flexible
    Optional<Align> alignSelf, alignSelfY;

    static FlexItem fromWidget(const Widget& widget);
};

// Measures item `index` in the available space (either side may be unbounded).
using FlexMeasureFn = std::function<Size(size_t index, float availW, float availH)>;

// Content size the children need in the available space.
Size flexMeasure(const FlexParams& params, std::span<const FlexItem> items, Size available,
    const FlexMeasureFn& measure);

// Rectangle of each item inside the content rectangle, in item order.
std::vector<Rect> flexArrange(const FlexParams& params, std::span<const FlexItem> items, const Rect& content,
    const FlexMeasureFn& measure);

// Base of every container laid out by the flex algorithm.
class Flex : public Widget {
public:
    Size measure(UiContext& ctx, float availW, float availH) override;
    void arrange(UiContext& ctx, const Rect& content) override;

private:
    // Visible children and their items, in order.
    void collectItems(UiContext& ctx, std::vector<Widget*>& widgets, std::vector<FlexItem>& items);
};

} // namespace vell

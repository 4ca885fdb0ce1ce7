#include "vell/flex.h"

#include <algorithm>
#include <tuple>

namespace vell {

namespace {

constexpr float kMinFillWeight = 0.0001f;

// Subtracts from an available size, clamping at 0 and keeping unbounded unbounded.
float shrink(float available, float amount)
{
    if (isUnbounded(available))
        return kUnbounded;
    return std::max(0.0f, available - amount);
}

// Main/cross views of sizes and margins, so one walk serves rows and columns.
struct Axes {
    bool row;

    float main(Size s) const { return row ? s.w : s.h; }
    float cross(Size s) const { return row ? s.h : s.w; }
    float& mainRef(Size& s) const { return row ? s.w : s.h; }
    float leadMain(const Edges& e) const { return row ? e.left : e.top; }
    float trailMain(const Edges& e) const { return row ? e.right : e.bottom; }
    float leadCross(const Edges& e) const { return row ? e.top : e.left; }
    float mainMargins(const Edges& e) const { return row ? e.left + e.right : e.top + e.bottom; }
    float crossMargins(const Edges& e) const { return row ? e.top + e.bottom : e.left + e.right; }
    const SizeSpec& mainSpec(const FlexItem& i) const { return row ? i.width : i.height; }
    const SizeSpec& crossSpec(const FlexItem& i) const { return row ? i.height : i.width; }
    Size size(float main, float cross) const { return row ? Size { main, cross } : Size { cross, main }; }
};

float flexWeight(const Axes& axes, const FlexItem& item)
{
    if (item.grow > 0)
        return item.grow;
    const SizeSpec& sizeSpec = axes.mainSpec(item);
    if (sizeSpec.mode == SizeMode::Fill)
        return std::max(kMinFillWeight, sizeSpec.value);
    return 0;
}

// The measuring pass of a row or column.
struct Line {
    std::vector<Size> sizes;
    float used = 0;
    float cross = 0;
    bool anyFlexible = false;
};

Line measureLine(const FlexParams& params, std::span<const FlexItem> items, Size available,
    const FlexMeasureFn& measure)
{
    const Axes axes { params.direction == Direction::Row };
    const float availMain = axes.main(available);
    const float availCross = axes.cross(available);
    const size_t n = items.size();
    const float totalGap = n > 0 ? float(n - 1) * params.gap : 0;

    Line line;
    line.sizes.resize(n);
    std::vector<float> weights(n, 0);
    float weightSum = 0;
    auto measureAt = [&](size_t i, float main, float cross) {
        Size space = axes.size(main, cross);
        return measure(i, space.w, space.h);
    };

    for (size_t i = 0; i < n; ++i) {
        const FlexItem& item = items[i];
        const float mainMargins = axes.mainMargins(item.margin);
        weights[i] = flexWeight(axes, item);
        if (weights[i] > 0) {
            line.anyFlexible = true;
            weightSum += weights[i];
            line.used += mainMargins;
            continue;
        }
        float mainSpace = shrink(availMain, line.used + mainMargins + totalGap);
        float crossSpace = shrink(availCross, axes.crossMargins(item.margin));
        line.sizes[i] = measureAt(i, mainSpace, crossSpace);
        line.used += mainMargins + axes.main(line.sizes[i]);
    }
    line.used += totalGap;

    const float freeSpace = isUnbounded(availMain) ? 0 : std::max(0.0f, availMain - line.used);
    for (size_t i = 0; i < n; ++i) {
        if (weights[i] <= 0)
            continue;
        float share = weights[i] * freeSpace / weightSum;
        float crossSpace = shrink(availCross, axes.crossMargins(items[i].margin));
        line.sizes[i] = measureAt(i, share, crossSpace);
        axes.mainRef(line.sizes[i]) = share;
        line.used += share;
    }

    for (size_t i = 0; i < n; ++i)
        line.cross = std::max(line.cross, axes.crossMargins(items[i].margin) + axes.cross(line.sizes[i]));
    return line;
}

// Position and size on one axis for an item placed inside `space` (the
// container extent minus the item's margins) by `align`.
struct Span1 {
    float pos, size;
};

Span1 alignOnAxis(Align align, float start, float space, float leadMargin, float size, bool canStretch)
{
    float pos = start + leadMargin;
    switch (align) {
    case Align::Center:
        return { pos + (space - size) / 2, size };
    case Align::End:
        return { pos + (space - size), size };
    case Align::Stretch:
        return { pos, canStretch ? space : size };
    case Align::Start:
        break;
    }
    return { pos, size };
}

// Leading offset and extra space between items for `justify`.
std::pair<float, float> justifySpacing(Justify justify, float freeSpace, size_t n)
{
    const float count = float(n);
    switch (justify) {
    case Justify::Center:
        return { freeSpace / 2, 0 };
    case Justify::End:
        return { freeSpace, 0 };
    case Justify::SpaceBetween:
        return { 0, n > 1 ? freeSpace / (count - 1) : 0 };
    case Justify::SpaceAround: {
        float between = freeSpace / count;
        return { between / 2, between };
    }
    case Justify::SpaceEvenly: {
        float between = freeSpace / (count + 1);
        return { between, between };
    }
    case Justify::Start:
        break;
    }
    return { 0, 0 };
}

std::vector<Rect> arrangeLine(const FlexParams& params, std::span<const FlexItem> items, const Rect& content,
    const FlexMeasureFn& measure)
{
    const Axes axes { params.direction == Direction::Row };
    const Line line = measureLine(params, items, { content.w, content.h }, measure);
    const float mainStart = axes.row ? content.x : content.y;
    const float crossStart = axes.row ? content.y : content.x;
    const float contentMain = axes.main(Size { content.w, content.h });
    const float contentCross = axes.cross(Size { content.w, content.h });

    float leading = 0;
    float between = 0;
    const float freeSpace = contentMain - line.used;
    if (!line.anyFlexible && freeSpace > 0 && !items.empty())
        std::tie(leading, between) = justifySpacing(params.justify, freeSpace, items.size());

    std::vector<Rect> rects(items.size());
    float cursor = mainStart + leading;
    for (size_t i = 0; i < items.size(); ++i) {
        const FlexItem& item = items[i];
        const Size measured = line.sizes[i];
        const float mainPos = cursor + axes.leadMain(item.margin);
        const float mainSize = axes.main(measured);
        const Align align = item.alignSelf.valueOr(params.align);
        const float crossSpace = std::max(0.0f, contentCross - axes.crossMargins(item.margin));
        const bool canStretch = axes.crossSpec(item).mode == SizeMode::Auto;
        Span1 cross = alignOnAxis(align, crossStart, crossSpace, axes.leadCross(item.margin), axes.cross(measured),
            canStretch);
        rects[i] = axes.row ? Rect { mainPos, cross.pos, mainSize, cross.size }
                            : Rect { cross.pos, mainPos, cross.size, mainSize };
        cursor = mainPos + mainSize + axes.trailMain(item.margin) + params.gap + between;
    }
    return rects;
}

Size measureStackItem(const FlexItem& item, size_t i, Size available, const FlexMeasureFn& measure)
{
    return measure(i, shrink(available.w, item.margin.left + item.margin.right),
        shrink(available.h, item.margin.top + item.margin.bottom));
}

} // namespace

FlexParams FlexParams::fromStyle(const Style& style)
{
    FlexParams p;
    p.direction = style.direction.valueOr(Direction::Column);
    p.gap = style.gap.valueOr(0);
    p.align = style.align.valueOr(Align::Start);
    p.justify = style.justify.valueOr(Justify::Start);
    return p;
}

FlexItem FlexItem::fromWidget(const Widget& widget)
{
    const Style& s = widget.resolved;
    FlexItem item;
    item.margin = s.margin.valueOr({});
    item.width = s.width.valueOr({});
    item.height = s.height.valueOr({});
    item.grow = widget.grow();
    item.alignSelf = s.alignSelf;
    item.alignSelfY = s.alignSelfY;
    return item;
}

Size flexMeasure(const FlexParams& params, std::span<const FlexItem> items, Size available,
    const FlexMeasureFn& measure)
{
    if (params.direction == Direction::Stack) {
        Size content;
        for (size_t i = 0; i < items.size(); ++i) {
            const Edges& m = items[i].margin;
            Size s = measureStackItem(items[i], i, available, measure);
            content.w = std::max(content.w, m.left + m.right + s.w);
            content.h = std::max(content.h, m.top + m.bottom + s.h);
        }
        return content;
    }
    const Axes axes { params.direction == Direction::Row };
    Line line = measureLine(params, items, available, measure);
    return axes.size(line.used, line.cross);
}

std::vector<Rect> flexArrange(const FlexParams& params, std::span<const FlexItem> items, const Rect& content,
    const FlexMeasureFn& measure)
{
    if (params.direction != Direction::Stack)
        return arrangeLine(params, items, content, measure);

    std::vector<Rect> rects(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const FlexItem& item = items[i];
        const Edges& m = item.margin;
        Size s = measureStackItem(item, i, { content.w, content.h }, measure);
        Span1 x = alignOnAxis(item.alignSelf.valueOr(Align::Start), content.x,
            std::max(0.0f, content.w - m.left - m.right), m.left, s.w, item.width.mode == SizeMode::Auto);
        Span1 y = alignOnAxis(item.alignSelfY.valueOr(Align::Start), content.y,
            std::max(0.0f, content.h - m.top - m.bottom), m.top, s.h, item.height.mode == SizeMode::Auto);
        rects[i] = { x.pos, y.pos, x.size, y.size };
    }
    return rects;
}

// ---- Flex widget ----

void Flex::collectItems(UiContext& ctx, std::vector<Widget*>& widgets, std::vector<FlexItem>& items)
{
    widgets.reserve(children.size());
    items.reserve(children.size());
    for (const auto& child : children) {
        if (!child->visible)
            continue;
        if (child->styleDirty)
            child->restyle(ctx); // added during this frame: its margins and size specs are needed now
        widgets.push_back(child.get());
        items.push_back(FlexItem::fromWidget(*child));
    }
}

Size Flex::measure(UiContext& ctx, float availW, float availH)
{
    std::vector<Widget*> widgets;
    std::vector<FlexItem> items;
    collectItems(ctx, widgets, items);
    return flexMeasure(FlexParams::fromStyle(resolved), items, { availW, availH },
        [&](size_t i, float w, float h) { return widgets[i]->measureConstrained(ctx, w, h); });
}

void Flex::arrange(UiContext& ctx, const Rect& content)
{
    std::vector<Widget*> widgets;
    std::vector<FlexItem> items;
    collectItems(ctx, widgets, items);
    std::vector<Rect> rects = flexArrange(FlexParams::fromStyle(resolved), items, content,
        [&](size_t i, float w, float h) { return widgets[i]->measureConstrained(ctx, w, h); });
    for (size_t i = 0; i < widgets.size(); ++i)
        widgets[i]->place(ctx, { rects[i].x, rects[i].y }, { rects[i].w, rects[i].h });
}

} // namespace vell

#include "vell/list_view.h"

#include "vell/ui_context.h"

#include <algorithm>
#include <cmath>

namespace vell {

namespace {
constexpr int32_t kMarginRows = 2;
} // namespace

void settleVisuals(UiContext& ctx, Widget& root)
{
    root.restyle(ctx);
    root.setSpringTargets(ctx);
    for (ColorSpring* s : root.colorSprings())
        s->snap();
    for (Spring* s : { &root.radiusSpring, &root.opacitySpring, &root.scaleSpring, &root.focusSpring })
        s->snap();
    for (const auto& child : root.children)
        settleVisuals(ctx, *child);
}

float ListView::gap() const { return resolved.gap.valueOr(0); }

float ListView::contentHeight() const
{
    if (m_count < 1)
        return 0;
    return m_count * rowHeight + (m_count - 1) * gap();
}

void ListView::rangeFor(float scrollOffset, float viewportHeight, int32_t& first, int32_t& last) const
{
    const float pitch = std::max(0.001f, rowHeight + gap());
    first = std::max(0, int32_t(std::floor(scrollOffset / pitch)) - kMarginRows);
    last = std::min(m_count - 1, int32_t(std::ceil((scrollOffset + viewportHeight) / pitch)) + kMarginRows);
}

Size ListView::measure(UiContext&, float availW, float)
{
    return { isUnbounded(availW) ? 0.0f : availW, contentHeight() };
}

void ListView::setCount(int32_t value)
{
    m_count = std::max(0, value);
    for (auto it = rows.begin(); it != rows.end();) {
        if (it->first >= m_count)
            it = rows.erase(it);
        else
            ++it;
    }
    syncChildren();
}

void ListView::reload()
{
    rows.clear();
    syncChildren();
}

void ListView::syncChildren()
{
    clearChildren();
    for (auto& [index, row] : rows) {
        row->parent = this;
        children.push_back(row);
    }
}

void ListView::dropRowsOutside(UiContext& ctx, int32_t first, int32_t last)
{
    const Widget* focus = ctx.focused();
    for (auto it = rows.begin(); it != rows.end();) {
        const bool inRange = it->first >= first && it->first <= last;
        const bool holdsFocus = focus && (it->second.get() == focus || it->second->isAncestorOf(focus));
        if (inRange || holdsFocus)
            ++it;
        else
            it = rows.erase(it);
    }
}

void ListView::createRows(UiContext& ctx, int32_t first, int32_t last)
{
    if (!factory)
        return;
    for (int32_t i = first; i <= last; ++i) {
        if (rows.count(i))
            continue;
        WidgetPtr row = factory(i);
        if (!row)
            continue;
        row->parent = this;
        settleVisuals(ctx, *row);
        rows.emplace(i, std::move(row));
    }
}

void ListView::arrange(UiContext& ctx, const Rect& contentBox)
{
    if (contentBox.w != m_width) {
        m_width = contentBox.w;
        if (onWidth)
            onWidth(contentBox.w);
    }
    viewport = contentBox;
    content = { contentBox.w, contentHeight() };
    if (!dragging)
        clampTargets();

    int32_t first = 0, last = -1;
    if (m_count > 0)
        rangeFor(scrollY.value, viewport.h, first, last);
    const size_t before = rows.size();
    dropRowsOutside(ctx, first, last);
    const bool dropped = rows.size() != before;
    const size_t kept = rows.size();
    createRows(ctx, first, last);
    if (dropped || rows.size() != kept || children.size() != rows.size())
        syncChildren();

    const float pitch = rowHeight + gap();
    for (auto& [index, row] : rows) {
        const Edges m = row->resolved.margin.valueOr({});
        const float width = std::max(0.0f, viewport.w - m.left - m.right);
        row->measureConstrained(ctx, width, rowHeight);
        const float y = viewport.y + index * pitch - scrollY.value;
        row->place(ctx, { viewport.x + m.left, y + m.top }, { width, std::max(0.0f, rowHeight - m.top - m.bottom) });
    }
}

std::shared_ptr<ListView> listView(ListView::Factory factory, int32_t count, float rowHeight)
{
    auto list = std::make_shared<ListView>();
    list->factory = std::move(factory);
    list->rowHeight = rowHeight;
    list->setCount(count);
    return list;
}

} // namespace vell

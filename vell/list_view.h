#pragma once
// vell::ListView ("list") — a long list of equal-height rows, of which only
// those near the viewport exist: the visible ones plus two on each side, and
// the focused one wherever it is. Rows come from `factory` on demand.
//
//   auto songs = listView([&](int32_t i) { return songRow(tracks[i]); },
//                         int32_t(tracks.size()), 64);
//   songs->setCount(newCount); // drops rows past the end
//   songs->reload();           // the data changed: rebuild every row

#include "vell/scroll_core.h"
#include "vell/widget_t.h"

#include <functional>
#include <map>

namespace vell {

class ListView : public ContainerT<ListView, ScrollCore> {
public:
    static constexpr const char* kTypeName = "list";
    using Factory = std::function<WidgetPtr(int32_t index)>;

    Size measure(UiContext& ctx, float availW, float availH) override;
    void arrange(UiContext& ctx, const Rect& contentBox) override;

    void setCount(int32_t value);
    int32_t count() const { return m_count; }
    void setAxis(int32_t value) { axis = value; }
    // Destroys every row (focused ones included); they are made again on the next layout.
    void reload();

    // Height of all rows with the gaps between them; 0 without rows.
    float contentHeight() const;
    // First and last row index to keep for a scroll offset and viewport height.
    void rangeFor(float scrollOffset, float viewportHeight, int32_t& first, int32_t& last) const;

    float rowHeight = 56;
    Factory factory;
    // Called at layout when the viewport's width changed (rows that follow the
    // width, such as a grid's, can change their count here).
    std::function<void(float width)> onWidth;
    std::map<int32_t, WidgetPtr> rows; // live rows by index

private:
    float gap() const;
    void dropRowsOutside(UiContext& ctx, int32_t first, int32_t last);
    void createRows(UiContext& ctx, int32_t first, int32_t last);
    void syncChildren();

    int32_t m_count = 0;
    float m_width = -1;
};

std::shared_ptr<ListView> listView(ListView::Factory factory, int32_t count, float rowHeight);

// Resolves the style of a freshly made subtree and jumps its springs to their
// targets, so new rows appear in place instead of fading in.
void settleVisuals(UiContext& ctx, Widget& root);

} // namespace vell

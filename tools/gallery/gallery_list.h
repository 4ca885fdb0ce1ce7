#pragma once
// The gallery's long list, shared with the scrolling benchmark so both
// measure the same rows.

#include "vell/box.h"
#include "vell/button.h"
#include "vell/glyph.h"
#include "vell/label.h"
#include "vell/list_view.h"

#include <string>

namespace gallery {

inline constexpr int32_t kListRows = 10000;
inline constexpr float kListRowHeight = 64;

// One row: a music-note glyph, a title and a caption, as a "list" button.
inline vell::WidgetPtr listRow(int32_t index)
{
    auto texts = vell::box();
    texts->style().gap = 2.0f;
    texts->add({ vell::label("Row " + std::to_string(index + 1), "body"),
        vell::label("Item " + std::to_string(index + 1) + " of 10,000", "caption") });
    auto row = vell::button({}, 0, "list");
    row->add({ vell::glyph(index % 7 == 0 ? 0xE87D : 0xE405), texts });
    return row;
}

inline std::shared_ptr<vell::ListView> longList()
{
    auto list = vell::listView(listRow, kListRows, kListRowHeight);
    list->style().gap = 4.0f;
    list->style().width = vell::SizeSpec::fill();
    list->style().height = vell::SizeSpec::fill();
    list->style().padding = vell::Edges { 8, 8, 8, 8 };
    return list;
}

} // namespace gallery

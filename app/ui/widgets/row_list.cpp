#include "app/ui/widgets/row_list.h"

#include "app/ui/services.h"
#include "vell/engine.h"

namespace cad {

RowList::RowList(float rowHeight)
{
    list = vell::listView([this](int32_t index) { return build(index); }, 0, rowHeight);
    list->style().width = vell::SizeSpec::fill();
    list->style().height = vell::SizeSpec::fill();
    list->style().gap = 4;
}

RowList::~RowList()
{
    list->factory = nullptr;
}

int RowList::focusedRow() const
{
    const vell::Engine* engine = services().engine;
    const vell::Widget* focus = engine ? engine->focus() : nullptr;
    if (!focus)
        return -1;
    for (const auto& [index, row] : list->rows) {
        if (row.get() == focus || row->isAncestorOf(focus))
            return index;
    }
    return -1;
}

void RowList::show(vell::Widget& container, int count)
{
    const bool shown = list->parent == &container;
    m_refocus = shown ? focusedRow() : -1;
    if (!shown) {
        container.clearChildren();
        container.addChild(list);
    }
    list->setCount(count);
    list->reload();
    if (m_refocus >= count)
        m_refocus = -1;
}

vell::WidgetPtr RowList::build(int index)
{
    vell::WidgetPtr row = make ? make(index) : nullptr;
    if (row && index == m_refocus) {
        m_refocus = -1;
        // Not yet placed, so no scroll view moves to it: the list keeps its offset.
        if (vell::Engine* engine = services().engine)
            engine->setFocus(row.get());
    }
    return row;
}

} // namespace cad

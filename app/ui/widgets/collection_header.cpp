#include "app/ui/widgets/collection_header.h"

#include "app/ui/widgets/cover.h"
#include "app/ui/widgets/result_sections.h"
#include "vell/box.h"

namespace cad {

bool CollectionHeader::stacksAt(float width, float buttons)
{
    return width + 0.5f < kCover + kGap + buttons;
}

CollectionHeader::CollectionHeader()
{
    style().direction = vell::Direction::Column;
    style().gap = 12.0f;
    style().width = vell::SizeSpec::fill();
    style().padding = vell::symmetricEdges(24, 12);
}

void CollectionHeader::show(vell::WidgetPtr cover, vell::WidgetPtr text, vell::WidgetPtr buttons)
{
    m_cover = std::move(cover);
    m_text = std::move(text);
    m_buttons = std::move(buttons);
    clearChildren();
    addChild(sectionRow(kGap)->add({ m_cover, m_text }));
    // A rebuild keeps the arrangement its width chose; the next update checks it.
    arrangeParts(m_stacked);
    m_fittedWidth = -1;
}

void CollectionHeader::update(vell::UiContext& ctx, float)
{
    if (!m_buttons || rect.w <= 0 || rect.w == m_fittedWidth)
        return;
    m_fittedWidth = rect.w;
    const vell::Edges pad = resolved.padding.valueOr({});
    const float buttons = m_buttons->measureConstrained(ctx, vell::kUnbounded, vell::kUnbounded).w;
    const bool stacked = stacksAt(rect.w - pad.left - pad.right, buttons);
    if (stacked != m_stacked)
        arrangeParts(stacked);
}

void CollectionHeader::arrangeParts(bool stacked)
{
    m_stacked = stacked;
    if (stacked)
        addChild(m_buttons);
    else
        m_text->addChild(m_buttons);
    if (auto* cover = dynamic_cast<Cover*>(m_cover.get()))
        cover->resize(stacked ? kStackedCover : kCover);
    markStyleDirty();
}

} // namespace cad

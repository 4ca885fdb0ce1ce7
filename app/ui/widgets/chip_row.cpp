#include "app/ui/widgets/chip_row.h"

#include "vell/box.h"

namespace cad {

std::vector<size_t> chipLines(const std::vector<float>& widths, float gap, float limit)
{
    std::vector<size_t> lines;
    float used = 0;
    for (float w : widths) {
        if (!lines.empty() && used + gap + w <= limit + 0.5f) {
            used += gap + w;
            ++lines.back();
            continue;
        }
        lines.push_back(1);
        used = w;
    }
    return lines;
}

ChipRow::ChipRow()
{
    style().direction = vell::Direction::Row;
    style().gap = kGap;
}

void ChipRow::setChips(std::vector<vell::WidgetPtr> chips)
{
    m_chips = std::move(chips);
    showLines({ m_chips.size() });
    m_fittedWidth = -1;
}

float ChipRow::lineWidth(vell::UiContext& ctx)
{
    float width = 0;
    for (const vell::WidgetPtr& chip : m_chips)
        width += (width > 0 ? kGap : 0) + chip->measureConstrained(ctx, vell::kUnbounded, vell::kUnbounded).w;
    return width;
}

void ChipRow::update(vell::UiContext& ctx, float)
{
    const float limit = parent ? parent->contentRect().w : rect.w;
    if (m_chips.empty() || limit <= 0 || limit == m_fittedWidth)
        return;
    m_fittedWidth = limit;
    std::vector<float> widths;
    for (const vell::WidgetPtr& chip : m_chips)
        widths.push_back(chip->measureConstrained(ctx, vell::kUnbounded, vell::kUnbounded).w);
    std::vector<size_t> lines = chipLines(widths, kGap, limit);
    if (lines != m_lines)
        showLines(std::move(lines));
}

// One line: the chips are the row's own children, as a plain row of chips.
// More: the row turns into a column of rows.
void ChipRow::showLines(std::vector<size_t> lines)
{
    m_lines = std::move(lines);
    clearChildren();
    const bool single = m_lines.size() <= 1;
    style().direction = single ? vell::Direction::Row : vell::Direction::Column;
    markStyleDirty();
    if (single) {
        for (const vell::WidgetPtr& chip : m_chips)
            addChild(chip);
        return;
    }
    size_t next = 0;
    for (size_t count : m_lines) {
        auto line = vell::box();
        line->style().direction = vell::Direction::Row;
        line->style().gap = kGap;
        for (size_t i = 0; i < count && next < m_chips.size(); ++i)
            line->addChild(m_chips[next++]);
        addChild(line);
    }
}

} // namespace cad

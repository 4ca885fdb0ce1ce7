#pragma once
// cad::ChipRow — a row of chips (radio buttons of one group) that breaks into
// more lines when its container is narrower than the chips side by side.
//
//   auto row = std::make_shared<ChipRow>();
//   row->setChips({ auto75, auto100, auto125 });

#include "vell/flex.h"
#include "vell/widget_t.h"

#include <vector>

namespace cad {

// How many chips each line holds when chips of `widths`, `gap` apart, are laid
// out in lines no wider than `limit`, in order; a chip wider than the limit
// gets a line of its own.
std::vector<size_t> chipLines(const std::vector<float>& widths, float gap, float limit);

class ChipRow : public vell::ContainerT<ChipRow, vell::Flex> {
public:
    static constexpr const char* kTypeName = "box";
    static constexpr float kGap = 8;

    ChipRow();
    void setChips(std::vector<vell::WidgetPtr> chips);
    // Breaks the chips into lines again when its container's width changes.
    void update(vell::UiContext& ctx, float dt) override;

    // The width of all chips on one line, whether or not they are broken now.
    float lineWidth(vell::UiContext& ctx);
    size_t lineCount() const { return m_lines.size(); }

private:
    void showLines(std::vector<size_t> lines);

    std::vector<vell::WidgetPtr> m_chips;
    std::vector<size_t> m_lines;
    float m_fittedWidth = -1;
};

} // namespace cad

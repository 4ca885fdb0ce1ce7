#include "vell/hint_bar.h"

#include "vell/box.h"
#include "vell/input_state.h"
#include "vell/text_line.h"
#include "vell/ui_context.h"

namespace vell {

HintBar::HintBar() {
    style().direction = Direction::Row;
    style().align = Align::Center;
    style().width = SizeSpec::fill();
}

std::shared_ptr<HintBar> hintBar() { return std::make_shared<HintBar>(); }

void HintBar::update(UiContext& ctx, float) {
    if (ctx.hintsVersion == m_builtFor)
        return;
    m_builtFor = ctx.hintsVersion;
    clearChildren();
    for (const Hint& hint : ctx.hints) {
        ButtonName name = ctx.input ? ctx.input->buttonName(hint.button)
                                    : ButtonName{padButtonName(hint.button), 0};
        auto key = textLine(name.name, "hint-key");
        key->fontKind = name.fontKind;
        auto entry = box()->withClass("hint");
        entry->style().direction = Direction::Row;
        entry->style().align = Align::Center;
        entry->add({key, textLine(hint.label, "hint-label")});
        addChild(entry);
    }
}

Widget* HintBar::hitTest(Point) { return nullptr; }

} // namespace vell

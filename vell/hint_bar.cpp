#include "vell/hint_bar.h"

#include "vell/box.h"
#include "vell/input_state.h"
#include "vell/label.h"
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
        auto key = label(name.name, "hint-key");
        key->defaultFont = name.fontKind; // a name may be an icon code point
        auto entry = box()->withClass("hint");
        entry->style().direction = Direction::Row;
        entry->style().align = Align::Center;
        entry->add({key, label(hint.label, "hint-label")});
        addChild(entry);
    }
}

void HintBar::arrange(UiContext& ctx, const Rect& content) {
    if (content.w == m_fittedWidth && m_builtFor == m_fittedFor) {
        Flex::arrange(ctx, content);
        return;
    }
    m_fittedWidth = content.w;
    m_fittedFor = m_builtFor;
    const float gap = resolved.gap.valueOr(0);
    float used = 0;
    bool full = false;
    for (const WidgetPtr& entry : children) {
        entry->visible = true;
        used += (used > 0 ? gap : 0) + entry->measureConstrained(ctx, kUnbounded, content.h).w;
        full = full || used > content.w + 0.5f;
        entry->visible = !full;
    }
    Flex::arrange(ctx, content);
}

Widget* HintBar::hitTest(Point) { return nullptr; }

} // namespace vell

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

HintFit fitHints(const std::vector<HintWidths>& widths, float gap, float width)
{
    const float room = width + 0.5f; // rounding in measured text must not drop a hint
    for (HintForm form : {HintForm::Full, HintForm::Short, HintForm::KeyOnly}) {
        float used = 0;
        for (const HintWidths& w : widths)
            used += (used > 0 ? gap : 0) + w[size_t(form)];
        if (used <= room)
            return {form, widths.size()};
    }
    float used = 0;
    size_t shown = 0;
    for (const HintWidths& w : widths) {
        used += (shown > 0 ? gap : 0) + w[size_t(HintForm::KeyOnly)];
        if (used > room)
            break;
        ++shown;
    }
    return {HintForm::KeyOnly, shown};
}

void HintBar::update(UiContext& ctx, float) {
    if (ctx.hintsVersion == m_builtFor)
        return;
    m_builtFor = ctx.hintsVersion;
    clearChildren();
    m_labels.clear();
    m_form = HintForm::Full;
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
        m_labels.push_back({hint.label, hint.shortLabel.empty() ? hint.label : hint.shortLabel});
    }
}

void HintBar::showForm(HintForm form)
{
    m_form = form;
    for (size_t i = 0; i < children.size() && i < m_labels.size(); ++i) {
        const WidgetPtr& entry = children[i];
        if (entry->children.size() < 2)
            continue;
        auto* text = static_cast<Label*>(entry->children[1].get());
        text->visible = form != HintForm::KeyOnly;
        text->setText(m_labels[i][form == HintForm::Full ? 0 : 1]);
    }
}

void HintBar::arrange(UiContext& ctx, const Rect& content) {
    if (content.w == m_fittedWidth && m_builtFor == m_fittedFor) {
        Flex::arrange(ctx, content);
        return;
    }
    m_fittedWidth = content.w;
    m_fittedFor = m_builtFor;
    std::vector<HintWidths> widths(children.size());
    for (HintForm form : {HintForm::Full, HintForm::Short, HintForm::KeyOnly}) {
        showForm(form);
        for (size_t i = 0; i < children.size(); ++i) {
            children[i]->visible = true;
            widths[i][size_t(form)] = children[i]->measureConstrained(ctx, kUnbounded, content.h).w;
        }
    }
    const HintFit fit = fitHints(widths, resolved.gap.valueOr(0), content.w);
    showForm(fit.form);
    for (size_t i = 0; i < children.size(); ++i)
        children[i]->visible = i < fit.shown;
    Flex::arrange(ctx, content);
}

Widget* HintBar::hitTest(Point) { return nullptr; }

} // namespace vell

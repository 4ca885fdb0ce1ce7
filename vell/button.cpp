#include "vell/button.h"

#include "vell/glyph.h"
#include "vell/label.h"

namespace vell {

bool Button::onButton(UiContext& ctx, int32_t button)
{
    if (button != kButtonCross || disabled)
        return false;
    flash = kPressFlashSeconds;
    pressed = true;
    activate(ctx);
    return true;
}

void Button::activate(UiContext& ctx)
{
    if (disabled)
        return;
    auto keepAlive = weak_from_this().lock();
    if (!group.empty()) {
        selectInGroup();
        if (disabled)
            return;
    } else if (toggleable) {
        checked = !checked;
        markStyleDirty();
        if (onChange)
            onChange(checked);
        if (disabled)
            return;
    }
    Widget::activate(ctx);
}

void Button::selectInGroup()
{
    const bool wasChecked = checked;
    checked = true;
    markStyleDirty();
    if (parent) {
        // Copy: a callback may rebuild the parent's children.
        std::vector<WidgetPtr> siblings = parent->children;
        for (const auto& sibling : siblings) {
            auto* other = dynamic_cast<Button*>(sibling.get());
            if (!other || other == this || other->group != group || !other->checked)
                continue;
            other->checked = false;
            other->markStyleDirty();
            if (other->onChange)
                other->onChange(false);
        }
    }
    if (!wasChecked && onChange)
        onChange(true);
}

void Button::setChecked(bool on)
{
    if (checked == on)
        return;
    checked = on;
    markStyleDirty();
}

std::shared_ptr<Button> button(const std::string& text, int32_t glyphCodePoint, const std::string& className)
{
    auto b = std::make_shared<Button>();
    if (!className.empty())
        b->addClass(className);
    if (glyphCodePoint > 0)
        b->add(glyph(glyphCodePoint));
    if (!text.empty())
        b->add(label(text));
    return b;
}

std::shared_ptr<Button> iconButton(int32_t glyphCodePoint, const std::string& className)
{
    return button({}, glyphCodePoint, className);
}

} // namespace vell

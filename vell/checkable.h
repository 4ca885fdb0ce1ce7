#pragma once
// vell::CheckableT — shared behaviour of the two-state controls (Toggle,
// Checkbox): Cross or a click flips `checked`, calls onChange and emits the
// action with the new state; a spring follows the state for the drawing.
//
//   auto wifi = toggle(true);
//   wifi->onChange = [](bool on) { ... };
//   wifi->setChecked(ctx, false); // same without the press flash; no-op when unchanged

#include "vell/action_bus.h"
#include "vell/ui_context.h"
#include "vell/widget_t.h"

#include <functional>

namespace vell {

template <class D>
class CheckableT : public WidgetT<D, Widget> {
public:
    CheckableT() { this->focusable = true; }

    bool onButton(UiContext& ctx, int32_t button) override
    {
        if (button != kButtonCross || this->disabled)
            return false;
        this->flash = kPressFlashSeconds;
        this->pressed = true;
        flip(ctx);
        return true;
    }

    // Pointer activation (press and release inside).
    void activate(UiContext& ctx) override
    {
        if (!this->disabled)
            flip(ctx);
    }

    // Sets the state with callbacks and action, without the flash; nothing
    // happens when the state is unchanged.
    virtual void setChecked(UiContext& ctx, bool state)
    {
        if (this->disabled || this->checked == state)
            return;
        flip(ctx);
    }

    // Sets the state silently (building a page from stored settings).
    void setCheckedQuietly(bool state)
    {
        this->checked = state;
        this->markStyleDirty();
    }

    void update(UiContext&, float dt) override
    {
        checkedSpring.target = this->checked ? 1.0f : 0.0f;
        checkedSpring.step(dt);
    }

    std::function<void(bool checked)> onChange;
    Spring checkedSpring = makeCheckedSpring();

private:
    static Spring makeCheckedSpring()
    {
        Spring s;
        s.stiffness = 520;
        s.damping = 0.8f;
        s.epsilon = 0.002f;
        return s;
    }

    void flip(UiContext& ctx)
    {
        auto keepAlive = this->weak_from_this().lock();
        this->checked = !this->checked;
        this->markStyleDirty();
        const bool state = this->checked;
        const std::string name = this->action;
        if (onChange)
            onChange(state);
        if (!name.empty() && ctx.actions)
            ctx.actions->emit(name, state);
    }
};

} // namespace vell

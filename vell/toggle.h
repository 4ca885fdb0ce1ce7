#pragma once
// vell::Toggle ("toggle") — an on/off switch: a pill track (the widget's own
// background and border) with a sliding thumb that grows when on and while
// pressed, and a check mark on it when on.
//   auto t = toggle(false);

#include "vell/checkable.h"

namespace vell {

class Toggle : public CheckableT<Toggle> {
public:
    static constexpr const char* kTypeName = "toggle";

    Toggle();
    Size measure(UiContext& ctx, float availW, float availH) override;
    void update(UiContext& ctx, float dt) override;
    void draw(UiContext& ctx) override;

    Spring thumbSize;
};

std::shared_ptr<Toggle> toggle(bool checked = false);

} // namespace vell

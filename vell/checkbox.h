#pragma once
// vell::Checkbox ("checkbox") — a rounded box (the widget's own background
// and border) with a check mark that grows in as it is checked.
//   auto c = checkbox(true);

#include "vell/checkable.h"

namespace vell {

class Checkbox : public CheckableT<Checkbox> {
public:
    static constexpr const char* kTypeName = "checkbox";

    Size measure(UiContext& ctx, float availW, float availH) override;
    void draw(UiContext& ctx) override;
};

std::shared_ptr<Checkbox> checkbox(bool checked = false);

} // namespace vell

#pragma once
// A UiContext with a real theme, style sheet and action bus (no renderer),
// plus a leaf widget with a chosen content size, for layout and style tests.

#include "vell/action_bus.h"
#include "vell/box.h"
#include "vell/style_sheet.h"
#include "vell/theme.h"
#include "vell/ui_context.h"
#include "vell/widget_t.h"

namespace vell_testing {

struct UiFixture {
    vell::Theme theme;
    vell::StyleSheet sheet;
    vell::ActionBus actions;
    vell::Widget* focus = nullptr;
    vell::UiContext ctx;

    UiFixture()
    {
        theme.buildPalettes();
        ctx.theme = &theme;
        ctx.sheet = &sheet;
        ctx.actions = &actions;
        ctx.focus = &focus;
    }

    // One frame of the shell's work: tick the tree, measure and place the root.
    void frame(const vell::WidgetPtr& root, vell::Size available, float dt = 1.0f / 60)
    {
        root->tickTree(ctx, dt);
        vell::Size size = root->measureConstrained(ctx, available.w, available.h);
        root->place(ctx, { 0, 0 }, size);
    }
};

// A leaf whose content has a fixed size and optionally a grow factor.
class Leaf : public vell::WidgetT<Leaf, vell::Widget> {
public:
    static constexpr const char* kTypeName = "leaf";

    vell::Size measure(vell::UiContext&, float, float) override { return content; }
    float grow() const override { return growFactor; }

    vell::Size content;
    float growFactor = 0;
};

inline std::shared_ptr<Leaf> leaf(vell::Size content, const vell::Style& style = {}, float grow = 0)
{
    auto l = std::make_shared<Leaf>();
    l->content = content;
    l->growFactor = grow;
    l->style() = style;
    return l;
}

} // namespace vell_testing

#pragma once
// vell::Spacer ("spacer") — empty space: a fixed square, or a flexible gap
// that takes free space in a row or column. Never hit, never interactive.

#include "vell/widget_t.h"

namespace vell {

class Spacer : public WidgetT<Spacer, Widget> {
public:
    static constexpr const char* kTypeName = "spacer";

    float grow() const override { return growFactor; }
    bool interactive() const override { return false; }
    Widget* hitTest(Point) override { return nullptr; }

    float growFactor = 0;
};

// size > 0: a fixed size x size square; otherwise flexible with grow 1.
std::shared_ptr<Spacer> spacer(float size = 0);

} // namespace vell

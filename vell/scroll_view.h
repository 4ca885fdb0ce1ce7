#pragma once
// vell::ScrollView ("scroll") — lays its children out as one flex content
// with the scrolling axis unbounded and shows the part inside its viewport.
//   auto page = scrollView()->add({ header, grid, footer });
//   page->style().height = SizeSpec::fill();

#include "vell/scroll_core.h"
#include "vell/widget_t.h"

namespace vell {

class ScrollView : public ContainerT<ScrollView, ScrollCore> {
public:
    static constexpr const char* kTypeName = "scroll";

    Size measure(UiContext& ctx, float availW, float availH) override;
    void arrange(UiContext& ctx, const Rect& contentBox) override;

    void setAxis(int32_t value) { axis = value; }

private:
    // The space the content is measured in: the scrolling axes unbounded.
    Size contentSpace(float availW, float availH) const;
};

// Vertical, 56 px per d-pad step.
std::shared_ptr<ScrollView> scrollView(int32_t axis = ScrollCore::kVertical);

} // namespace vell

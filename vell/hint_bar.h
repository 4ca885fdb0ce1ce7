#pragma once
#include <cstdint>
#include <memory>

#include "vell/flex.h"
#include "vell/widget_t.h"

namespace vell {

// Shows the engine's current hint list: for each hint a "hint" box with the
// button's display name ("hint-key", in the font recorded with that name) and
// what it does ("hint-label"). Rebuilds only when the context's hint counter
// changes.
class HintBar : public ContainerT<HintBar, Flex> {
public:
    static constexpr const char* kTypeName = "hintbar";

    HintBar();
    void update(UiContext& ctx, float dt) override;
    // Leaves out the hints that do not fit, from the last: the first ones matter most.
    void arrange(UiContext& ctx, const Rect& content) override;
    // Hints are read, not pressed: the bar never takes the pointer.
    Widget* hitTest(Point point) override;

    uint64_t builtFor() const { return m_builtFor; }

private:
    uint64_t m_builtFor = UINT64_MAX;
    // The width and hint list the shown hints were last fitted to.
    float m_fittedWidth = -1;
    uint64_t m_fittedFor = UINT64_MAX;
};

std::shared_ptr<HintBar> hintBar();

} // namespace vell

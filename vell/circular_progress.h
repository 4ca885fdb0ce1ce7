#pragma once
// vell::CircularProgress ("circular-progress") — a ring track with an arc
// indicator: determinate from 12 o'clock, or indeterminate (rotating and
// breathing between 12 % and 67 % of the circle); optionally wavy.
//   auto spinner = circularProgress();
//   spinner->indeterminate = true;

#include "vell/widget_t.h"

#include <cstdint>
#include <vector>

namespace vell {

class CircularProgress : public WidgetT<CircularProgress, Widget> {
public:
    static constexpr const char* kTypeName = "circular-progress";

    CircularProgress();

    Size measure(UiContext& ctx, float availW, float availH) override;
    void update(UiContext& ctx, float dt) override;
    void draw(UiContext& ctx) override;

    // Start and sweep (radians) of the indicator this frame.
    void indicatorArc(float& start, float& sweep) const;

    float progress = 0; // 0..1
    bool indeterminate = false;
    bool wavy = false;
    float thickness = 4;
    float diameter = 48; // measured size

    Spring shownProgress;
    float time = 0;

private:
    std::vector<uint32_t> m_pixels;
};

std::shared_ptr<CircularProgress> circularProgress(float progress = 0);

} // namespace vell

#pragma once
// vell::ScrollCore — what ScrollView and ListView share: spring-driven
// offsets, wheel/stick/d-pad scrolling (scrollBy), drags with a rubber band
// past the ends and a fling on release, scrolling focused widgets into view
// and a thin scroll bar that fades out 1.2 s after the last movement.
//
// Subclasses lay out their content and record `viewport` and `content`;
// everything else lives here.

#include "vell/flex.h"
#include "vell/scrollable.h"

namespace vell {

class ScrollCore : public Flex, public Scrollable {
public:
    static constexpr int32_t kVertical = 0;
    static constexpr int32_t kHorizontal = 1;
    static constexpr int32_t kBoth = 2;

    // Seconds the bar stays after a scroll.
    static constexpr float kBarSeconds = 1.2f;
    // Distance kept between a focused widget and the viewport's edge.
    static constexpr float kFocusMargin = 24;
    // Share of a drag past an end that moves the content.
    static constexpr float kRubberBand = 0.4f;
    // Release speeds above this (px/s) fling.
    static constexpr float kFlingSpeed = 80;

    ScrollCore();

    bool interactive() const override { return true; }
    bool clipsChildren() const override { return true; }
    void update(UiContext& ctx, float dt) override;
    void drawOverlay(UiContext& ctx) override;
    void onPointerDown(UiContext& ctx, Point position) override;
    void onPointerMove(UiContext& ctx, Point position) override;
    void onPointerUp(UiContext& ctx, bool inside, Point position) override;
    void onPointerCancel(UiContext& ctx) override;
    bool canDrag(Point movement) override;
    bool scrollBy(UiContext& ctx, Point delta) override;
    void scrollIntoView(const Rect& area) override;

    // Scrollable
    bool canScrollX() const override;
    bool canScrollY() const override;
    float scrollStep() const override { return step; }
    bool hasContentToward(int direction) const override;

    float maxX() const;
    float maxY() const;
    Point offset() const { return { scrollX.value, scrollY.value }; }
    // Jumps to an offset (clamped), without animation.
    void scrollTo(Point position);
    float barOpacity() const { return bar.value; }

    int32_t axis = kVertical;
    float step = 56;
    Spring scrollX, scrollY;
    Rect viewport;
    Size content;
    bool dragging = false;
    Point lastPointer;
    Point velocity; // smoothed drag velocity, px/s
    Spring bar;
    float barTimer = 0;
    bool barFresh = false; // barTimer was set since the last update

protected:
    bool allowsX() const { return axis != kVertical; }
    bool allowsY() const { return axis != kHorizontal; }
    // Pulls targets back inside [0, max] (content may have shrunk).
    void clampTargets();

private:
    void endDrag();
    void dragAxis(Spring& s, float movement, float max);
};

} // namespace vell

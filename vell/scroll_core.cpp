#include "vell/scroll_core.h"

#include "vell/pad_button.h"
#include "vell/renderer.h"
#include "vell/theme.h"
#include "vell/ui_context.h"

#include <algorithm>
#include <cmath>

namespace vell {

namespace {

constexpr float kScrollable = 0.5f; // content must exceed the viewport by more than this
constexpr float kBarWidth = 3;
constexpr float kBarInset = 4;
constexpr float kBarMinLength = 24;
constexpr float kFlingTime = 0.32f;
constexpr float kVelocitySmoothing = 0.35f;

Spring scrollSpring()
{
    Spring s;
    s.stiffness = 420;
    s.damping = 1;
    s.epsilon = 0.05f;
    return s;
}

} // namespace

ScrollCore::ScrollCore() : scrollX(scrollSpring()), scrollY(scrollSpring())
{
    bar.stiffness = 560;
    bar.damping = 1;
    bar.epsilon = 0.002f;
}

float ScrollCore::maxX() const { return std::max(0.0f, content.w - viewport.w); }
float ScrollCore::maxY() const { return std::max(0.0f, content.h - viewport.h); }
bool ScrollCore::canScrollX() const { return allowsX() && maxX() > kScrollable; }
bool ScrollCore::canScrollY() const { return allowsY() && maxY() > kScrollable; }

bool ScrollCore::hasContentToward(int direction) const
{
    switch (direction) {
    case Up: return canScrollY() && scrollY.target > kScrollable;
    case Down: return canScrollY() && scrollY.target < maxY() - kScrollable;
    case Left: return canScrollX() && scrollX.target > kScrollable;
    case Right: return canScrollX() && scrollX.target < maxX() - kScrollable;
    default: return false;
    }
}

void ScrollCore::clampTargets()
{
    scrollX.target = std::clamp(scrollX.target, 0.0f, maxX());
    scrollY.target = std::clamp(scrollY.target, 0.0f, maxY());
}

void ScrollCore::scrollTo(Point position)
{
    scrollX.target = std::clamp(position.x, 0.0f, maxX());
    scrollY.target = std::clamp(position.y, 0.0f, maxY());
    scrollX.snap();
    scrollY.snap();
}

void ScrollCore::update(UiContext& ctx, float dt)
{
    if (dragging) {
        bar.target = 1;
    } else {
        scrollX.step(dt);
        scrollY.step(dt);
        bar.target = barTimer > 0 ? 1.0f : 0.0f;
    }
    // Real time: the loop may sleep while the bar waits to fade.
    barTimer = std::max(0.0f, barTimer - ctx.timerStep(barFresh));
    if (barTimer > 0)
        ctx.requestFrameIn(barTimer);
    bar.step(dt);
}

bool ScrollCore::scrollBy(UiContext&, Point delta)
{
    bool moved = false;
    auto scrollAxis = [&](Spring& s, float d, float max) {
        const float before = s.target;
        s.target = std::clamp(s.target + d, 0.0f, max);
        moved = moved || std::abs(s.target - before) > 0.01f;
    };
    if (canScrollX())
        scrollAxis(scrollX, delta.x, maxX());
    if (canScrollY())
        scrollAxis(scrollY, delta.y, maxY());
    barTimer = kBarSeconds;
    barFresh = true;
    return moved;
}

bool ScrollCore::canDrag(Point movement)
{
    if (canScrollY() && std::abs(movement.y) >= std::abs(movement.x))
        return true;
    return canScrollX() && std::abs(movement.x) > std::abs(movement.y);
}

void ScrollCore::onPointerDown(UiContext&, Point position)
{
    lastPointer = position;
    dragging = true;
    for (Spring* s : { &scrollX, &scrollY }) {
        s->target = s->value;
        s->velocity = 0;
    }
    velocity = {};
}

void ScrollCore::dragAxis(Spring& s, float movement, float max)
{
    const float next = s.value - movement;
    if (next >= 0 && next <= max) {
        s.value = s.target = next;
        return;
    }
    s.value -= kRubberBand * movement;
    s.target = std::clamp(s.value, 0.0f, max);
}

void ScrollCore::onPointerMove(UiContext& ctx, Point position)
{
    if (!dragging)
        return;
    const Point d { position.x - lastPointer.x, position.y - lastPointer.y };
    lastPointer = position;
    const float dt = std::max(0.001f, ctx.dt);
    if (canScrollX()) {
        dragAxis(scrollX, d.x, maxX());
        velocity.x += kVelocitySmoothing * (-d.x / dt - velocity.x);
    }
    if (canScrollY()) {
        dragAxis(scrollY, d.y, maxY());
        velocity.y += kVelocitySmoothing * (-d.y / dt - velocity.y);
    }
    barTimer = kBarSeconds;
    barFresh = true;
}

void ScrollCore::endDrag()
{
    if (!dragging)
        return;
    dragging = false;
    auto release = [](Spring& s, float v, float max) {
        s.target = std::abs(v) > kFlingSpeed ? std::clamp(s.value + kFlingTime * v, 0.0f, max)
                                             : std::clamp(s.value, 0.0f, max);
        s.velocity = v / 2;
    };
    release(scrollX, velocity.x, maxX());
    release(scrollY, velocity.y, maxY());
}

void ScrollCore::onPointerUp(UiContext&, bool, Point) { endDrag(); }

void ScrollCore::onPointerCancel(UiContext&) { endDrag(); }

void ScrollCore::scrollIntoView(const Rect& area)
{
    if (viewport.w <= 0 || viewport.h <= 0)
        return;
    auto correct = [](Spring& s, float top, float bottom, float viewTop, float viewBottom, float max) {
        float target = s.target;
        if (top < viewTop + kFocusMargin)
            target = s.value - (viewTop + kFocusMargin - top);
        else if (bottom > viewBottom - kFocusMargin)
            target = s.value + (bottom - (viewBottom - kFocusMargin));
        s.target = std::clamp(target, 0.0f, max);
    };
    if (allowsY())
        correct(scrollY, area.y, area.y + area.h, viewport.y, viewport.y + viewport.h, maxY());
    if (allowsX())
        correct(scrollX, area.x, area.x + area.w, viewport.x, viewport.x + viewport.w, maxX());
    barTimer = kBarSeconds;
    barFresh = true;
}

void ScrollCore::drawOverlay(UiContext& ctx)
{
    if (bar.value <= 0.01f || !ctx.renderer || !ctx.theme)
        return;
    Color color = ctx.theme->color("onSurfaceVariant");
    color.a = 150 * std::min(1.0f, bar.value);
    Renderer& r = *ctx.renderer;
    if (canScrollY()) {
        const float track = viewport.h - 2 * kBarInset;
        const float length = std::max(kBarMinLength, viewport.h * track / content.h);
        const float pos = std::clamp(scrollY.value / maxY(), 0.0f, 1.0f) * (track - length);
        r.fillRoundRect(viewport.x + viewport.w - 5, viewport.y + kBarInset + pos, kBarWidth, length, 1.5f, color);
    }
    if (canScrollX()) {
        const float track = viewport.w - 2 * kBarInset;
        const float length = std::max(kBarMinLength, viewport.w * track / content.w);
        const float pos = std::clamp(scrollX.value / maxX(), 0.0f, 1.0f) * (track - length);
        r.fillRoundRect(viewport.x + kBarInset + pos, viewport.y + viewport.h - 5, length, kBarWidth, 1.5f, color);
    }
}

} // namespace vell

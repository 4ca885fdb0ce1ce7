#include "vell/slider.h"

#include "vell/action_bus.h"
#include "vell/renderer.h"
#include "vell/ui_context.h"

#include <algorithm>
#include <cmath>

namespace vell {

namespace {
constexpr int32_t kButtonLeft = 2;
constexpr int32_t kButtonRight = 3;
constexpr float kDefaultHeight = 28;
constexpr float kTrackGap = 6; // between the thumb and each track
} // namespace

Slider::Slider()
{
    focusable = true;
    shownFraction.stiffness = 520;
    shownFraction.epsilon = 0.0005f;
    thumbWidth.stiffness = 520;
    thumbWidth.epsilon = 0.01f;
    thumbWidth.value = thumbWidth.target = 4;
}

float Slider::snapped(float v) const
{
    const float lo = std::min(min, max), hi = std::max(min, max);
    v = std::clamp(v, lo, hi);
    if (step > 0)
        v = std::min(hi, lo + std::round((v - lo) / step) * step);
    return v;
}

void Slider::setValue(UiContext* ctx, float v, bool notify)
{
    const float next = snapped(v);
    if (next == m_value)
        return;
    m_value = next;
    if (!notify)
        return;
    auto keepAlive = weak_from_this().lock();
    const std::string name = action;
    if (onChange)
        onChange(m_value);
    if (!name.empty() && ctx && ctx->actions)
        ctx->actions->emit(name, m_value);
}

float Slider::fraction() const
{
    const float range = max - min;
    return range != 0 ? std::clamp((m_value - min) / range, 0.0f, 1.0f) : 0.0f;
}

Size Slider::measure(UiContext&, float availW, float)
{
    return { isUnbounded(availW) ? 200.0f : availW, kDefaultHeight };
}

bool Slider::onButton(UiContext& ctx, int32_t button)
{
    if (disabled || (button != kButtonLeft && button != kButtonRight))
        return false;
    const float delta = step > 0 ? step : (max - min) / 20;
    setValue(&ctx, m_value + (button == kButtonLeft ? -delta : delta));
    if (onCommit)
        onCommit(m_value);
    return true;
}

void Slider::setFromPointer(UiContext& ctx, Point position)
{
    const Rect c = contentRect();
    const float t = std::clamp((position.x - c.x - 2) / std::max(1.0f, c.w - 4), 0.0f, 1.0f);
    setValue(&ctx, min + t * (max - min));
}

void Slider::onPointerDown(UiContext& ctx, Point position)
{
    if (disabled)
        return;
    pressed = true;
    dragging = true;
    setFromPointer(ctx, position);
}

void Slider::onPointerMove(UiContext& ctx, Point position)
{
    if (dragging && !disabled)
        setFromPointer(ctx, position);
}

void Slider::onPointerUp(UiContext&, bool, Point)
{
    const bool wasDragging = dragging;
    pressed = dragging = false;
    if (wasDragging && onCommit)
        onCommit(m_value);
}

void Slider::onPointerCancel(UiContext&) { pressed = dragging = false; }

bool Slider::wantsDrag(Point, Point) { return dragging; }

void Slider::update(UiContext&, float dt)
{
    shownFraction.target = fraction();
    if (dragging)
        shownFraction.snap();
    else
        shownFraction.step(dt);
    thumbWidth.target = dragging || pressed ? 2.0f : 4.0f;
    thumbWidth.step(dt);
}

void Slider::draw(UiContext& ctx)
{
    if (!ctx.renderer)
        return;
    Renderer& r = *ctx.renderer;
    const Rect c = contentRect();
    const float l = std::min(trackThickness, c.h);
    const float h = std::min(12 + l, c.h);
    const float length = std::max(1.0f, c.w - 4);
    const float centreX = c.x + 2 + length * shownFraction.value;
    const float w = std::max(0.5f, thumbWidth.value / 2);
    const float midY = c.y + c.h / 2;

    const float activeEnd = centreX - w - kTrackGap;
    if (activeEnd - c.x > 0)
        r.fillRoundRect(c.x, midY - l / 2, activeEnd - c.x, l, l / 2, fillColorValue());
    const float inactiveStart = centreX + w + kTrackGap;
    if (c.x + c.w - inactiveStart > 0)
        r.fillRoundRect(inactiveStart, midY - l / 2, c.x + c.w - inactiveStart, l, l / 2, trackColorValue());
    r.fillRoundRect(centreX - w, midY - h / 2, std::max(1.0f, thumbWidth.value), h, w, thumbColorValue());
}

std::shared_ptr<Slider> slider(float min, float max, float value, float step)
{
    auto s = std::make_shared<Slider>();
    s->min = min;
    s->max = max;
    s->step = std::max(0.0f, step);
    s->setValue(nullptr, value, false);
    s->shownFraction.value = s->shownFraction.target = s->fraction();
    return s;
}

} // namespace vell

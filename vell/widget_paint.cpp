// Widget::paint — the one place a widget's chrome (background, border,
// focus ring) and its subtree are drawn.

#include "vell/renderer.h"
#include "vell/theme.h"
#include "vell/ui_context.h"
#include "vell/widget.h"

#include <algorithm>
#include <cmath>

namespace vell {

namespace {

constexpr float kInvisibleOpacity = 0.004f;
constexpr float kOpaqueOpacity = 0.998f;
constexpr float kScaleRest = 0.0005f;
constexpr float kMinAlpha = 0.5f;
constexpr float kFocusVisible = 0.01f;
constexpr float kFocusRingGrow = 3;
constexpr float kFocusRingWidth = 2.5f;

// Whether `area` (logical) lies within the renderer's current clip, to a pixel.
bool insideClip(const Renderer& r, const Rect& area)
{
    DeviceRect clip;
    if (!r.currentClip(clip))
        return true;
    const Transform& t = r.transform();
    const float left = t.tx + area.x * t.scale, top = t.ty + area.y * t.scale;
    const float right = left + area.w * t.scale, bottom = top + area.h * t.scale;
    return left >= clip.x - 1 && top >= clip.y - 1 && right <= clip.right() + 1 && bottom <= clip.bottom() + 1;
}

} // namespace

void Widget::paint(UiContext& ctx)
{
    if (!visible || !ctx.renderer)
        return;
    const float opacity = opacitySpring.value;
    if (opacity <= kInvisibleOpacity)
        return;
    Renderer& r = *ctx.renderer;
    const float scale = scaleSpring.value;
    const bool transformed = std::fabs(scale - 1) > kScaleRest || opacity < kOpaqueOpacity;
    if (transformed)
        r.pushTransformAbout(scale, rect.x + rect.w / 2, rect.y + rect.h / 2, opacity);

    paintChrome(ctx);
    draw(ctx);
    const bool clip = clipsChildren();
    if (clip)
        r.pushClip(rect);
    // Index loop over a snapshot of pointers: painting must not reallocate the
    // child list, but be safe if it does.
    for (size_t i = 0; i < children.size(); ++i) {
        WidgetPtr child = children[i];
        child->paint(ctx);
    }
    if (clip)
        r.popClip();
    drawOverlay(ctx);
    paintFocusRing(ctx);

    if (transformed)
        r.popTransform();
}

void Widget::paintChrome(UiContext& ctx)
{
    Renderer& r = *ctx.renderer;
    const float radius = std::max(0.0f, radiusSpring.value);
    const Color background = bgSpring.value();
    if (background.a > kMinAlpha)
        r.fillRoundRect(rect, radius, background);
    const float borderWidth = resolved.borderWidth.valueOr(0);
    const Color border = borderSpring.value();
    if (borderWidth > 0 && border.a > kMinAlpha)
        r.strokeRoundRect(rect, radius, borderWidth, border);
}

void Widget::paintFocusRing(UiContext& ctx)
{
    const float f = focusSpring.value;
    if (f <= kFocusVisible || !ctx.theme)
        return;
    Color ring = ctx.theme->color("focusRing");
    if (1.4f * f <= 1)
        ring.a *= 1.4f * f;
    const float grow = kFocusRingGrow * f;
    const Rect area { rect.x - grow, rect.y - grow, rect.w + 2 * grow, rect.h + 2 * grow };
    Renderer& r = *ctx.renderer;
    // The ring stands outside the widget: a row flush with its list's edge would
    // lose that part to the list's clip. A widget the clip cuts itself (scrolled
    // partly out) keeps the cut ring.
    const bool overhang = r.clipDepth() > 0 && insideClip(r, rect);
    if (overhang)
        r.pushClipGrown(kFocusRingGrow + 1);
    r.strokeRoundRect(area, std::max(0.0f, radiusSpring.value) + grow, kFocusRingWidth, ring);
    if (overhang)
        r.popClip();
}

} // namespace vell

#include "vell/image.h"

#include "vell/asset_loader.h"
#include "vell/renderer.h"
#include "vell/style.h"
#include "vell/theme.h"
#include "vell/ui_context.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace vell {

namespace {

Color mix(Color a, Color b, float t)
{
    return { a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t };
}

// Background of the nearest ancestor that paints an opaque one, else the theme's.
Color backdropColor(const Widget* from, const Theme& theme)
{
    for (const Widget* w = from ? from->parent : nullptr; w; w = w->parent) {
        const Color c = w->backgroundColor();
        if (c.a > 250)
            return c;
    }
    return theme.color("background");
}

} // namespace

void fitImage(int32_t fit, Size source, const Rect& area, Rect& src, Rect& dst)
{
    src = { 0, 0, source.w, source.h };
    dst = area;
    if (source.w <= 0 || source.h <= 0 || area.w <= 0 || area.h <= 0)
        return;
    const float sx = area.w / source.w, sy = area.h / source.h;
    if (fit == kFitContain) {
        const float s = std::min(sx, sy);
        dst = { area.x + (area.w - source.w * s) / 2, area.y + (area.h - source.h * s) / 2, source.w * s,
            source.h * s };
    } else if (fit == kFitCover) {
        const float s = std::max(sx, sy);
        const float w = area.w / s, h = area.h / s;
        src = { (source.w - w) / 2, (source.h - h) / 2, w, h };
    } else if (fit == kFitNatural) {
        dst = { area.x + (area.w - source.w) / 2, area.y + (area.h - source.h) / 2, source.w, source.h };
    }
}

Image::Image()
{
    fade.stiffness = 300;
    fade.epsilon = 0.002f;
}

void Image::setPath(std::string path)
{
    if (path == m_path)
        return;
    m_path = std::move(path);
    m_asset.reset();
    m_wasReady = false;
    fade.value = fade.target = 0;
    fade.velocity = 0;
}

void Image::request(UiContext& ctx)
{
    if (m_asset || m_path.empty() || !ctx.assets)
        return;
    m_asset = ctx.assets->image(m_path);
}

Size Image::measure(UiContext& ctx, float, float)
{
    request(ctx);
    if (m_asset && m_asset->ready())
        return { float(m_asset->width), float(m_asset->height) };
    return {};
}

void Image::update(UiContext& ctx, float dt)
{
    request(ctx);
    time += dt;
    const bool ready = m_asset && m_asset->ready();
    if (ready && !m_wasReady) {
        fade.value = fadeIn ? 0.0f : 1.0f;
        fade.velocity = 0;
        m_wasReady = true;
        markStyleDirty(); // the measured size changed
    }
    fade.target = ready ? 1.0f : 0.0f;
    fade.step(dt);
}

void Image::drawPlaceholder(UiContext& ctx)
{
    const Theme& theme = *ctx.theme;
    Color c;
    if (m_asset && m_asset->state == ImageAsset::Failed) {
        c = theme.color("errorContainer");
        c.a *= 0.5f;
    } else {
        const float weight = 0.5f + 0.5f * std::sin(3.2f * time);
        c = mix(theme.color("surfaceContainerHigh"), theme.color("surfaceContainerHighest"), weight);
    }
    ctx.renderer->fillRoundRect(rect, std::max(0.0f, radiusSpring.value), c);
}

void Image::drawPicture(UiContext& ctx)
{
    Renderer& r = *ctx.renderer;
    const Transform& t = r.transform();
    Rect src, dst;
    fitImage(resolved.fit.valueOr(kFitCover), { float(m_asset->width), float(m_asset->height) }, rect, src, dst);
    const SDL_Rect s { int(std::lround(src.x)), int(std::lround(src.y)), std::max(1, int(std::lround(src.w))),
        std::max(1, int(std::lround(src.h))) };
    const SDL_Rect d { int(std::lround(t.tx + dst.x * t.scale)), int(std::lround(t.ty + dst.y * t.scale)),
        int(std::lround(dst.w * t.scale)), int(std::lround(dst.h * t.scale)) };
    r.pushClip(rect);
    if (r.recording()) {
        const uint8_t alpha = colorByte(fade.value * 255 * t.opacity);
        r.note(m_asset.get());
        r.note(m_asset->texture);
        r.note(s);
        r.note(d);
        r.note(alpha);
        r.popClip();
        return;
    }
    r.drawImage(m_asset->texture, m_asset->serial, s, d, colorByte(fade.value * 255 * t.opacity));
    r.popClip();
}

void Image::roundCorners(UiContext& ctx)
{
    const float radius = std::min(radiusSpring.value, std::min(rect.w, rect.h) / 2);
    if (radius <= 0.5f)
        return;
    ctx.renderer->coverCorners(rect.x, rect.y, rect.w, rect.h, radius, backdropColor(this, *ctx.theme));
}

void Image::draw(UiContext& ctx)
{
    if (!ctx.renderer || !ctx.theme)
        return;
    if (fade.value < 0.999f)
        drawPlaceholder(ctx);
    if (m_asset && m_asset->ready() && fade.value > 0 && ctx.renderer->sdlRenderer())
        drawPicture(ctx);
    roundCorners(ctx);
}

std::shared_ptr<Image> image(std::string path)
{
    auto img = std::make_shared<Image>();
    img->setPath(std::move(path));
    return img;
}

} // namespace vell

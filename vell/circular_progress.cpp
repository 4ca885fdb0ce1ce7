#include "vell/circular_progress.h"

#include "vell/arc_coverage.h"
#include "vell/renderer.h"
#include "vell/ui_context.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace vell {

namespace {

constexpr float kPi = 3.14159265359f;
constexpr float kWaveAmplitude = 1.5f;
constexpr int kWaves = 9;

// Source-over of a coverage-weighted colour onto a straight-alpha ARGB pixel.
uint32_t blendOver(uint32_t dst, Color c, uint8_t coverage)
{
    const float sa = c.a / 255.0f * coverage / 255.0f;
    if (sa <= 0)
        return dst;
    const float da = (dst >> 24) / 255.0f;
    const float oa = sa + da * (1 - sa);
    auto channel = [&](float s, int shift) {
        const float d = float((dst >> shift) & 0xFF);
        return uint32_t(std::clamp((s * sa + d * da * (1 - sa)) / oa, 0.0f, 255.0f) + 0.5f);
    };
    return (uint32_t(oa * 255 + 0.5f) << 24) | (channel(c.r, 16) << 16) | (channel(c.g, 8) << 8) | channel(c.b, 0);
}

} // namespace

CircularProgress::CircularProgress()
{
    shownProgress.stiffness = 260;
    shownProgress.epsilon = 0.0005f;
}

Size CircularProgress::measure(UiContext&, float, float) { return { diameter, diameter }; }

void CircularProgress::update(UiContext&, float dt)
{
    shownProgress.target = progress;
    shownProgress.step(dt);
    time += dt;
}

void CircularProgress::indicatorArc(float& start, float& sweep) const
{
    if (indeterminate) {
        const float f = 1.4f * time;
        start = f * 2 * kPi * 0.9f;
        sweep = ((0.5f + 0.5f * std::sin(2 * f)) * 0.55f + 0.12f) * 2 * kPi;
        return;
    }
    start = -kPi / 2;
    sweep = shownProgress.value < 0 ? 0 : std::clamp(shownProgress.value, 0.0f, 1.0f) * 2 * kPi;
}

void CircularProgress::draw(UiContext& ctx)
{
    if (!ctx.renderer || !ctx.renderer->sdlRenderer())
        return;
    Renderer& r = *ctx.renderer;
    const Transform& t = r.transform();
    const float sideLogical = std::min(rect.w, rect.h);
    const int side = int(std::ceil(sideLogical * t.scale));
    if (side <= 0)
        return;

    ArcShape arc;
    arc.cx = arc.cy = side / 2.0f;
    arc.thickness = thickness * t.scale;
    arc.radius = side / 2.0f - arc.thickness / 2 - (wavy ? kWaveAmplitude * t.scale : 0);
    arc.start = 0;
    arc.sweep = 2 * kPi;
    ArcShape trackArc = arc;
    indicatorArc(arc.start, arc.sweep);
    if (wavy) {
        arc.waveAmplitude = kWaveAmplitude * t.scale;
        arc.waves = kWaves;
        arc.wavePhase = 4 * time;
    }
    if (r.recording()) {
        // The clip tells the recording where the ring can draw (a pixel of rounding around rect).
        r.pushClip(rect.x - 1, rect.y - 1, rect.w + 2, rect.h + 2);
        r.note(rect);
        r.note(side);
        r.note(arc);
        r.note(trackColorValue());
        r.note(fillColorValue());
        r.popClip();
        return;
    }
    const std::vector<uint8_t> track = arcCoverage(side, trackArc);
    const std::vector<uint8_t> indicator = arcCoverage(side, arc);

    const Color trackColor = trackColorValue(), fill = fillColorValue();
    m_pixels.assign(size_t(side) * size_t(side), 0);
    for (size_t i = 0; i < m_pixels.size(); ++i) {
        if (track[i])
            m_pixels[i] = blendOver(m_pixels[i], trackColor, track[i]);
        if (indicator[i])
            m_pixels[i] = blendOver(m_pixels[i], fill, indicator[i]);
    }
    // A texture made for this one copy: the widget never holds SDL resources,
    // so it can outlive the renderer safely.
    SDL_Texture* texture
        = SDL_CreateTexture(r.sdlRenderer(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, side, side);
    if (!texture)
        return;
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_UpdateTexture(texture, nullptr, m_pixels.data(), side * 4);
    SDL_SetTextureAlphaMod(texture, uint8_t(std::clamp(t.opacity * 255.0f, 0.0f, 255.0f)));
    const float cx = rect.x + rect.w / 2, cy = rect.y + rect.h / 2;
    const SDL_Rect dst { int(std::lround(t.tx + cx * t.scale - side / 2.0f)),
        int(std::lround(t.ty + cy * t.scale - side / 2.0f)), side, side };
    r.flushBackground();
    SDL_RenderCopy(r.sdlRenderer(), texture, nullptr, &dst);
    SDL_DestroyTexture(texture);
}

std::shared_ptr<CircularProgress> circularProgress(float progress)
{
    auto c = std::make_shared<CircularProgress>();
    c->progress = progress;
    c->shownProgress.value = c->shownProgress.target = progress;
    return c;
}

} // namespace vell

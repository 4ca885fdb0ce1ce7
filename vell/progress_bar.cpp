#include "vell/progress_bar.h"

#include "vell/renderer.h"
#include "vell/ui_context.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vell {

namespace {
constexpr float kTrackGap = 4; // between the fill and the track
constexpr float kPhaseSpeed = 5; // radians per second
} // namespace

ProgressBar::ProgressBar()
{
    shownProgress.stiffness = 260;
    shownProgress.epsilon = 0.0005f;
    amplitude.stiffness = 260;
    amplitude.epsilon = 0.005f;
}

Size ProgressBar::measure(UiContext&, float availW, float)
{
    const float wave = wavy ? 2 * waveAmplitude : 0;
    return { isUnbounded(availW) ? 200.0f : availW, thickness + wave + 2 };
}

float ProgressBar::amplitudeTarget() const
{
    const float p = shownProgress.value;
    const bool waving = wavy && (indeterminate || (p > 0.02f && p < 0.995f));
    return waving ? waveAmplitude : 0.0f;
}

void ProgressBar::update(UiContext&, float dt)
{
    shownProgress.target = progress;
    shownProgress.step(dt);
    amplitude.target = amplitudeTarget();
    amplitude.step(dt);
    phase = std::fmod(phase + kPhaseSpeed * dt, 2 * float(M_PI) * 64);
    time += dt;
}

void ProgressBar::drawFill(UiContext& ctx, float x, float length, float midY)
{
    if (length <= 0)
        return;
    Renderer& r = *ctx.renderer;
    const Color fill = fillColorValue();
    if (amplitude.value > 0.1f) {
        r.drawWave(x, midY, length, amplitude.value, wavelength, phase, thickness, fill);
        const float twoPi = 2 * float(M_PI);
        const float y0 = midY + amplitude.value * std::sin(phase);
        const float y1 = midY + amplitude.value * std::sin(twoPi / wavelength * length + phase);
        r.fillCircle(x, y0, thickness / 2, fill);
        r.fillCircle(x + length, y1, thickness / 2, fill);
        return;
    }
    r.fillRoundRect(x, midY - thickness / 2, length, thickness, thickness / 2, fill);
}

void ProgressBar::drawDeterminate(UiContext& ctx, float midY)
{
    Renderer& r = *ctx.renderer;
    const Rect c = contentRect();
    const float filled = std::clamp(shownProgress.value, 0.0f, 1.0f) * c.w;
    const float trackStart = c.x + filled + (filled > 0 ? kTrackGap : 0);
    const float trackLength = c.x + c.w - trackStart;
    if (trackLength > 0)
        r.fillRoundRect(trackStart, midY - thickness / 2, trackLength, thickness, thickness / 2, trackColorValue());
    drawFill(ctx, c.x, filled, midY);
    if (filled < c.w - 0.5f) {
        const float dot = thickness / 2 > 2 ? 2.0f : 1.0f;
        r.fillCircle(c.x + c.w - thickness / 2, midY, dot, fillColorValue());
    }
}

void ProgressBar::drawIndeterminate(UiContext& ctx, float midY)
{
    Renderer& r = *ctx.renderer;
    const Rect c = contentRect();
    const float f = std::fmod(0.9f * time, 2.0f);
    float start = 0, end = 0;
    if (f < 1) {
        end = (1 - std::pow(1 - f, 2.2f)) * c.w;
    } else {
        start = (1 - std::pow(2 - f, 2.2f)) * 0.9f * c.w;
        end = c.w;
    }
    if (start > 4)
        r.fillRoundRect(c.x, midY - thickness / 2, start - kTrackGap, thickness, thickness / 2, trackColorValue());
    const float trackStart = c.x + end + kTrackGap;
    if (c.x + c.w - trackStart > 0)
        r.fillRoundRect(trackStart, midY - thickness / 2, c.x + c.w - trackStart, thickness, thickness / 2,
            trackColorValue());
    drawFill(ctx, c.x + start, end - start, midY);
}

void ProgressBar::draw(UiContext& ctx)
{
    if (!ctx.renderer)
        return;
    const Rect c = contentRect();
    const float midY = c.y + c.h / 2;
    if (indeterminate)
        drawIndeterminate(ctx, midY);
    else
        drawDeterminate(ctx, midY);
}

float devicePixelFraction(float fraction, float length, float scale)
{
    const float pixels = length * scale;
    if (pixels < 1)
        return std::clamp(fraction, 0.0f, 1.0f);
    return std::floor(std::clamp(fraction, 0.0f, 1.0f) * pixels) / pixels;
}

double secondsToNextDevicePixel(float fraction, float length, float scale, double duration)
{
    // In float, as devicePixelFraction rounds, so both agree on where the pixels fall.
    const float pixels = length * scale;
    if (pixels < 1 || duration <= 0 || fraction >= 1)
        return std::numeric_limits<double>::infinity();
    const float f = std::clamp(fraction, 0.0f, 1.0f);
    const float next = (std::floor(f * pixels) + 1) / pixels;
    return std::max(0.0, double(next - f) * duration);
}

std::shared_ptr<ProgressBar> progressBar(float progress)
{
    auto bar = std::make_shared<ProgressBar>();
    bar->progress = progress;
    bar->shownProgress.value = bar->shownProgress.target = progress;
    return bar;
}

} // namespace vell

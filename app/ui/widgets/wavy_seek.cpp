#include "app/ui/widgets/wavy_seek.h"

#include "vell/progress_bar.h"
#include "vell/renderer.h"
#include "vell/ui_context.h"

#include <algorithm>
#include <cmath>

namespace cad {
namespace {

constexpr int32_t kButtonLeft = 2;
constexpr int32_t kButtonRight = 3;
constexpr float kHeight = 40;
constexpr float kInset = 3;     // the handle's centre never comes closer to an end
constexpr float kThickness = 6; // track and wave
constexpr float kGap = 7;       // between the handle and the track on each side
constexpr float kHandleHeight = 30;
constexpr float kWavelength = 30;
constexpr float kWaveAmplitude = 3.4f;
constexpr float kPhaseSpeed = 5.5f;
constexpr float kTwoPi = 6.2831853f;

vell::Spring spring(float initial, float stiffness, float damping)
{
    vell::Spring s;
    s.value = s.target = initial;
    s.epsilon = 0.002f;
    s.stiffness = stiffness;
    s.damping = damping;
    return s;
}

struct Track {
    float left, width, length, centreY;
};

Track trackOf(const vell::Widget& w)
{
    const vell::Rect c = w.contentRect();
    Track t { c.x, c.w, std::max(c.w - 2 * kInset, 1.0f), c.y + std::max(c.h, 0.0f) / 2 };
    if (c.w <= 0) {
        t.width = 0;
        t.length = 1;
    }
    return t;
}

} // namespace

WavySeek::WavySeek()
    : progress(spring(0, 900, 0.95f))
    , amplitude(spring(0, 220, 0.85f))
    , handleWidth(spring(4, 520, 0.5f))
{
    focusable = true;
}

vell::Size WavySeek::measure(vell::UiContext&, float availW, float)
{
    return { vell::isUnbounded(availW) ? 300.0f : availW, kHeight };
}

float WavySeek::fractionAt(float x) const
{
    const Track t = trackOf(*this);
    return std::clamp((x - t.left - kInset) / t.length, 0.0f, 1.0f);
}

bool WavySeek::onButton(vell::UiContext&, int32_t button)
{
    if (disabled || (button != kButtonLeft && button != kButtonRight))
        return false;
    value = std::clamp(value + (button == kButtonLeft ? -kButtonStep : kButtonStep), 0.0f, 1.0f);
    progress.value = progress.target = value;
    progress.velocity = 0;
    if (onSeek)
        onSeek(value);
    return true;
}

void WavySeek::onPointerDown(vell::UiContext&, vell::Point position)
{
    if (disabled)
        return;
    pressed = true;
    dragging = true;
    value = fractionAt(position.x);
}

void WavySeek::onPointerMove(vell::UiContext&, vell::Point position)
{
    if (dragging)
        value = fractionAt(position.x);
}

void WavySeek::release()
{
    if (!dragging)
        return;
    dragging = false;
    pressed = false;
    if (onSeek)
        onSeek(value);
}

void WavySeek::onPointerUp(vell::UiContext&, bool, vell::Point) { release(); }

// A drag the shell takes away still seeks where the handle was left.
void WavySeek::onPointerCancel(vell::UiContext&) { release(); }

void WavySeek::update(vell::UiContext& ctx, float dt)
{
    // Playback moves the handle a sliver per frame: it follows in whole device pixels
    // without its spring, so frames between two pixels draw the same picture. Seeks,
    // new songs and drags keep the spring.
    constexpr float kFollow = 0.005f;
    const float length = trackOf(*this).length, scale = ctx.renderer ? ctx.renderer->scale() : 1.0f;
    // A pixel behind still follows (an unplaced bar has no pixels).
    const float near = length * scale >= 1 ? std::max(kFollow, 2 / (length * scale)) : kFollow;
    const bool follow = playing && !dragging && std::fabs(value - progress.value) < near;
    progress.target = follow ? vell::devicePixelFraction(value, length, scale) : value;
    if (dragging || follow) {
        progress.value = progress.target;
        progress.velocity = 0;
    }
    if (follow)
        ctx.requestFrameIn(vell::secondsToNextDevicePixel(value, length, scale, duration));
    progress.step(dt);
    const bool moving = dragging || playing;
    amplitude.target = moving ? kWaveAmplitude : 0;
    amplitude.step(dt);
    handleWidth.target = dragging ? 2 : 4;
    handleWidth.step(dt);
    // While playing the wave travels with the handle (see draw), not with the clock.
    if (dragging)
        phase = std::fmod(phase + kPhaseSpeed * dt, kTwoPi * 64);
}

void WavySeek::draw(vell::UiContext& ctx)
{
    if (!ctx.renderer)
        return;
    vell::Renderer& r = *ctx.renderer;
    const Track t = trackOf(*this);
    const float played = t.length * std::clamp(progress.value, 0.0f, 1.0f);
    const float handle = handleWidth.value;
    const float half = handle > 1 ? handle / 2 : 0.5f;
    const float x = t.left + kInset + played;
    const float half6 = kThickness / 2;

    const float wave = x - half - kGap - t.left;
    if (wave > 1) {
        const vell::Color fill = fillColorValue();
        const float a = amplitude.value;
        // Anchored at the handle: the wave flows into it as the played part grows.
        const float wavePhase = phase - wave * kTwoPi / kWavelength;
        if (a > 0.1f) {
            r.drawWave(t.left, t.centreY, wave, a, kWavelength, wavePhase, kThickness, fill);
            r.fillCircle(t.left, t.centreY + a * std::sin(wavePhase), half6, fill);
            r.fillCircle(t.left + wave, t.centreY + a * std::sin(wave * kTwoPi / kWavelength + wavePhase), half6, fill);
        } else {
            r.fillRoundRect(t.left, t.centreY - half6, wave, kThickness, half6, fill);
        }
    }
    const float rest = x + half + kGap;
    if (t.left + t.width > rest)
        r.fillRoundRect(rest, t.centreY - half6, t.left + t.width - rest, kThickness, half6, trackColorValue());
    r.fillRoundRect(x - half, t.centreY - kHandleHeight / 2, std::max(handle, 1.0f), kHandleHeight, half,
        thumbColorValue());
}

} // namespace cad

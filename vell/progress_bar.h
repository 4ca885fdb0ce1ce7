#pragma once
// vell::ProgressBar ("progress") — a horizontal bar: determinate (a fill up to
// `progress`, optionally drawn as a sine wave that flattens near empty and
// full) or indeterminate (a segment sweeping along the track).
//   auto bar = progressBar();
//   bar->progress = 0.4f;
//   bar->wavy = true;

#include "vell/widget_t.h"

namespace vell {

class ProgressBar : public WidgetT<ProgressBar, Widget> {
public:
    static constexpr const char* kTypeName = "progress";

    ProgressBar();

    Size measure(UiContext& ctx, float availW, float availH) override;
    void update(UiContext& ctx, float dt) override;
    void draw(UiContext& ctx) override;

    // Amplitude the wave heads for this frame (0 when it should lie flat).
    float amplitudeTarget() const;

    float progress = 0; // 0..1
    float thickness = 4;
    float waveAmplitude = 3;
    float wavelength = 32;
    bool wavy = false;
    bool indeterminate = false;

    Spring shownProgress;
    Spring amplitude;
    float phase = 0;
    float time = 0;

private:
    void drawDeterminate(UiContext& ctx, float midY);
    void drawIndeterminate(UiContext& ctx, float midY);
    // A straight bar or a sine line from x over `length`, with round caps.
    void drawFill(UiContext& ctx, float x, float length, float midY);
};

std::shared_ptr<ProgressBar> progressBar(float progress = 0);

// `fraction` of a bar `length` logical pixels long, rounded down to whole device pixels at
// `scale`: a bar that follows playback with it changes its picture only when it grows by a
// pixel, so the frames in between present nothing.
float devicePixelFraction(float fraction, float length, float scale);
// Seconds until such a bar, standing for `duration` seconds, grows by its next device pixel;
// infinite when it never will (no length, no duration, already full).
double secondsToNextDevicePixel(float fraction, float length, float scale, double duration);

} // namespace vell

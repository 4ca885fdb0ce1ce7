#pragma once
// cad::WavySeek ("wavyseek") — the now-playing seek bar: the played part is a sine
// wave while the music plays (flattening into a bar when it pauses), then a gap, a
// tall narrow handle, a gap and the rest of the track. Dragging moves the handle
// without seeking until release; Left/Right on the focused bar step by 3 % and seek
// at once. A disabled bar (nothing to seek in yet) ignores input. The owner sets `value` and
// `playing` each frame unless `dragging`. While playing, the handle follows in whole device
// pixels and the wave travels with it, so the bar is redrawn only when it moves by a pixel.
//
//   auto seek = std::make_shared<WavySeek>();
//   seek->onSeek = [](float f) { player.seekFraction(f); };

#include "vell/widget_t.h"

#include <functional>

namespace cad {

class WavySeek : public vell::WidgetT<WavySeek, vell::Widget> {
public:
    static constexpr const char* kTypeName = "wavyseek";
    static constexpr float kButtonStep = 0.03f;

    WavySeek();

    bool interactive() const override { return true; }
    vell::Size measure(vell::UiContext& ctx, float availW, float availH) override;
    void update(vell::UiContext& ctx, float dt) override;
    void draw(vell::UiContext& ctx) override;
    bool onButton(vell::UiContext& ctx, int32_t button) override;
    void onPointerDown(vell::UiContext& ctx, vell::Point position) override;
    void onPointerMove(vell::UiContext& ctx, vell::Point position) override;
    void onPointerUp(vell::UiContext& ctx, bool inside, vell::Point position) override;
    void onPointerCancel(vell::UiContext& ctx) override;
    bool wantsDrag(vell::Point, vell::Point) override { return true; }

    // The fraction a pointer x stands for, from the last layout.
    float fractionAt(float x) const;

    std::function<void(float fraction)> onSeek;
    float value = 0;
    bool dragging = false;
    bool playing = false;
    double duration = 0; // seconds the whole bar stands for: while playing it asks for its next pixel's frame
    vell::Spring progress;
    vell::Spring amplitude;
    vell::Spring handleWidth;
    float phase = 0;

private:
    void release();
};

} // namespace cad

#pragma once
// vell::Slider ("slider") — picks a value in [min, max], continuous (step 0)
// or snapped to steps. Left/Right move it by one step (a twentieth of the
// range when continuous); the pointer sets it directly and drags it.
//
//   auto volume = slider(0, 100, 80, 5);
//   volume->onChange = [](float v) { preview(v); };  // every change
//   volume->onCommit = [](float v) { save(v); };     // after a press or at drag end

#include "vell/widget_t.h"

#include <functional>

namespace vell {

class Slider : public WidgetT<Slider, Widget> {
public:
    static constexpr const char* kTypeName = "slider";

    Slider();

    Size measure(UiContext& ctx, float availW, float availH) override;
    void update(UiContext& ctx, float dt) override;
    void draw(UiContext& ctx) override;
    bool onButton(UiContext& ctx, int32_t button) override;
    void onPointerDown(UiContext& ctx, Point position) override;
    void onPointerMove(UiContext& ctx, Point position) override;
    void onPointerUp(UiContext& ctx, bool inside, Point position) override;
    void onPointerCancel(UiContext& ctx) override;
    // A slider keeps its gesture: a horizontal drag never scrolls its container.
    bool wantsDrag(Point position, Point pressPosition) override;

    // Clamps and snaps; when the result differs it is stored and, when
    // `notify`, onChange runs and the action is emitted with the value.
    void setValue(UiContext* ctx, float v, bool notify = true);
    // `v` clamped to the range and snapped to the step.
    float snapped(float v) const;
    float value() const { return m_value; }
    // (value - min) / (max - min), clamped to [0, 1].
    float fraction() const;

    float min = 0, max = 1, step = 0;
    float trackThickness = 10;
    std::function<void(float)> onChange;
    std::function<void(float)> onCommit; // after a button change and at drag end
    bool dragging = false;
    Spring shownFraction;
    Spring thumbWidth;

private:
    void setFromPointer(UiContext& ctx, Point position);
    float m_value = 0;
};

std::shared_ptr<Slider> slider(float min, float max, float value, float step = 0);

} // namespace vell

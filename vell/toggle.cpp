#include "vell/toggle.h"

#include "vell/renderer.h"
#include "vell/text_line.h"

#include <algorithm>

namespace vell {

namespace {
constexpr float kWidth = 52, kHeight = 32;
constexpr float kThumbInset = 16;
constexpr int32_t kCheckGlyph = 0xE5CA;
} // namespace

Toggle::Toggle()
{
    thumbSize.stiffness = 520;
    thumbSize.damping = 0.7f;
    thumbSize.epsilon = 0.02f;
    thumbSize.value = thumbSize.target = 16;
}

Size Toggle::measure(UiContext&, float, float) { return { kWidth, kHeight }; }

void Toggle::update(UiContext& ctx, float dt)
{
    CheckableT::update(ctx, dt);
    thumbSize.target = pressed ? 28.0f : (checked ? 24.0f : 16.0f);
    thumbSize.step(dt);
}

void Toggle::draw(UiContext& ctx)
{
    if (!ctx.renderer)
        return;
    Renderer& r = *ctx.renderer;
    const float diameter = std::max(4.0f, thumbSize.value);
    const float t = std::clamp(checkedSpring.value, -0.2f, 1.2f);
    const float left = rect.x + kThumbInset;
    const float right = rect.x + rect.w - kThumbInset;
    const Point centre { left + (right - left) * t, rect.y + rect.h / 2 };
    r.fillCircle(centre, diameter / 2, thumbColorValue());
    if (checked && checkedSpring.value > 0.55f) {
        const std::string mark = utf8(kCheckGlyph);
        const float size = std::max(6.0f, diameter * 0.66f);
        const Size s = r.measureText(mark, kIconFont, size);
        r.drawText(mark, kIconFont, size, 0, centre.x - s.w / 2, centre.y - s.h / 2, trackColorValue());
    }
}

std::shared_ptr<Toggle> toggle(bool checked)
{
    auto t = std::make_shared<Toggle>();
    t->checked = checked;
    t->checkedSpring.value = t->checkedSpring.target = checked ? 1.0f : 0.0f;
    t->thumbSize.value = t->thumbSize.target = checked ? 24.0f : 16.0f;
    return t;
}

} // namespace vell

#include "vell/checkbox.h"

#include "vell/renderer.h"
#include "vell/text_line.h"

#include <algorithm>
#include <cmath>

namespace vell {

namespace {
constexpr float kSide = 24;
constexpr int32_t kCheckGlyph = 0xE5CA;
} // namespace

Size Checkbox::measure(UiContext&, float, float) { return { kSide, kSide }; }

void Checkbox::draw(UiContext& ctx)
{
    const float a = checkedSpring.value;
    if (!ctx.renderer || a <= 0.02f)
        return;
    Color color = textColor();
    if (1.5f * a <= 1)
        color.a *= 1.5f * a;
    const float size = std::max(6.0f, a > 0.1f ? float(std::lround(18 * a)) : 2.0f);
    const std::string mark = utf8(kCheckGlyph);
    Renderer& r = *ctx.renderer;
    const Size s = r.measureText(mark, kIconFont, size);
    r.drawText(mark, kIconFont, size, 0, rect.x + (rect.w - s.w) / 2, rect.y + (rect.h - s.h) / 2, color);
}

std::shared_ptr<Checkbox> checkbox(bool checked)
{
    auto c = std::make_shared<Checkbox>();
    c->checked = checked;
    c->checkedSpring.value = c->checkedSpring.target = checked ? 1.0f : 0.0f;
    return c;
}

} // namespace vell

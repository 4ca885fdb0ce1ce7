#include "vell/glyph.h"

#include "vell/renderer.h"
#include "vell/text_line.h"
#include "vell/ui_context.h"

#include <algorithm>
#include <cmath>

namespace vell {

void Glyph::setCodePoint(int32_t codePoint)
{
    m_codePoint = codePoint;
    m_text = codePoint > 0 ? utf8(uint32_t(codePoint)) : std::string();
}

Size Glyph::measure(UiContext& ctx, float, float)
{
    if (!ctx.renderer || m_text.empty())
        return {};
    return ctx.renderer->measureText(m_text, kIconFont, std::max(4.0f, std::round(textSize)));
}

void Glyph::draw(UiContext& ctx)
{
    if (!ctx.renderer || m_text.empty())
        return;
    const float size = std::max(4.0f, std::round(textSize));
    const Size s = ctx.renderer->measureText(m_text, kIconFont, size);
    const Rect c = contentRect();
    ctx.renderer->drawText(m_text, kIconFont, size, 0, c.x + (c.w - s.w) / 2, c.y + (c.h - s.h) / 2, textColor());
}

std::shared_ptr<Glyph> glyph(int32_t codePoint)
{
    auto g = std::make_shared<Glyph>();
    g->setCodePoint(codePoint);
    return g;
}

} // namespace vell

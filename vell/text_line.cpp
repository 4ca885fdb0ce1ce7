#include "vell/text_line.h"

#include "vell/renderer.h"
#include "vell/ui_context.h"

namespace vell {

int32_t TextLine::effectiveFont() const { return resolved.font.valueOr(fontKind); }

bool TextLine::effectiveWrap() const { return resolved.wrap.valueOr(wrap); }

Size TextLine::measure(UiContext& ctx, float availW, float) {
    if (!ctx.renderer)
        return {};
    float wrapWidth = effectiveWrap() && !isUnbounded(availW) ? availW : 0;
    return ctx.renderer->measureText(text, effectiveFont(), textSize, wrapWidth);
}

void TextLine::draw(UiContext& ctx) {
    if (!ctx.renderer || text.empty())
        return;
    Rect content = contentRect();
    float wrapWidth = effectiveWrap() ? content.w : 0;
    ctx.renderer->drawText(text, effectiveFont(), textSize, wrapWidth, content.x, content.y, textColor());
}

std::shared_ptr<TextLine> textLine(std::string text, const std::string& styleClass) {
    auto line = std::make_shared<TextLine>();
    line->text = std::move(text);
    if (!styleClass.empty())
        line->addClass(styleClass);
    return line;
}

std::shared_ptr<TextLine> iconGlyph(uint32_t codePoint, const std::string& styleClass) {
    auto glyph = textLine(utf8(codePoint), styleClass);
    glyph->fontKind = 1;
    return glyph;
}

std::string utf8(uint32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp <= 0x10FFFF) {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
    return out;
}

} // namespace vell

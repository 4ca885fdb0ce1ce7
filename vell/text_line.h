#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "vell/widget_t.h"

namespace vell {

// A run of text the shell's own parts need (titles, dialog text, toasts, hint
// keys). Styled as a "label": text colour, size and font kind come from the
// resolved style; `fontKind` applies when the style sets no font. Wraps to the
// available width when `wrap` is set.
class TextLine : public WidgetT<TextLine, Widget> {
public:
    static constexpr const char* kTypeName = "label";

    std::string text;
    int32_t fontKind = 0; // 0 text font, 1 icon font
    bool wrap = false;

    Size measure(UiContext& ctx, float availW, float availH) override;
    void draw(UiContext& ctx) override;

private:
    int32_t effectiveFont() const;
    bool effectiveWrap() const;
};

std::shared_ptr<TextLine> textLine(std::string text, const std::string& styleClass = {});
// A single icon-font glyph for a code point.
std::shared_ptr<TextLine> iconGlyph(uint32_t codePoint, const std::string& styleClass = {});

// UTF-8 encoding of one code point (icons are given as code points).
std::string utf8(uint32_t codePoint);

} // namespace vell

#pragma once
// vell::Glyph ("glyph") — one icon-font code point drawn as text at the
// resolved text size (24 from the "glyph" class), centred in its box.
//   auto icon = glyph(0xE88A); // home

#include "vell/widget_t.h"

#include <cstdint>

namespace vell {

class Glyph : public WidgetT<Glyph, Widget> {
public:
    static constexpr const char* kTypeName = "glyph";

    Size measure(UiContext& ctx, float availW, float availH) override;
    void draw(UiContext& ctx) override;

    void setCodePoint(int32_t codePoint);
    int32_t codePoint() const { return m_codePoint; }

private:
    int32_t m_codePoint = 0;
    std::string m_text; // UTF-8 of the code point
};

std::shared_ptr<Glyph> glyph(int32_t codePoint);

} // namespace vell

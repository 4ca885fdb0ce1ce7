#pragma once
// vell::Label ("label") — a run of UTF-8 text in the resolved text colour,
// size and font kind. One line by default, shortened with "…" when the space
// is too narrow; wraps to the available width when the style sets `wrap`.
//
//   auto title = label("Now playing")->withClass("title");
//   title->setText("Paused");

#include "vell/widget_t.h"

#include <functional>
#include <string>
#include <string_view>

namespace vell {

class Label : public WidgetT<Label, Widget> {
public:
    static constexpr const char* kTypeName = "label";

    Size measure(UiContext& ctx, float availW, float availH) override;
    void update(UiContext& ctx, float dt) override;
    void draw(UiContext& ctx) override;

    void setText(std::string text);
    const std::string& text() const { return m_text; }
    // What is drawn: the text, or an ellipsized prefix of it.
    const std::string& shownText() const { return m_layout.shown; }
    bool wrappedLastLayout() const { return m_layout.wrapped; }

    // Font kind used when the style sets none (Glyph uses the icon font).
    int32_t defaultFont = 0;

private:
    struct LayoutKey {
        float width = -1;
        float size = 0;
        int32_t font = 0;
        uint32_t generation = 0;
        bool wrap = false;
        bool operator==(const LayoutKey&) const = default;
    };
    struct Layout {
        LayoutKey key;
        bool valid = false;
        Size size;
        std::string shown;
        bool wrapped = false;
        float wrapWidth = 0;
    };

    // Lays the text out for an available width, reusing the last result (or the
    // one before, so measuring and drawing at different widths do not thrash).
    const Layout& layout(UiContext& ctx, float availW);
    Layout compute(UiContext& ctx, const LayoutKey& key) const;
    LayoutKey keyFor(const UiContext& ctx, float availW) const;
    float pixelSize() const;

    std::string m_text;
    Layout m_layout;   // most recent
    Layout m_previous; // the one before
};

std::shared_ptr<Label> label(std::string text);
std::shared_ptr<Label> label(std::string text, const std::string& className);

// The longest prefix of `text`, cut only between UTF-8 characters, that fits
// `maxWidth` with "…" appended, followed by "…". `measure` gives the width of a
// string. Returns the text unchanged when it already fits.
std::string ellipsize(std::string_view text, float maxWidth, const std::function<float(std::string_view)>& measure);

} // namespace vell

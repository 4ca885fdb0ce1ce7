#pragma once
// cad::CollectionHeader — the header of an album or playlist: its cover beside a
// text column (title, artist, caption) that ends with the Play, Shuffle and
// Download buttons. When the page is too narrow for the cover and the buttons
// side by side, the cover shrinks and the buttons go under it and the text, so
// the songs below keep their room on a short screen too.
//
//   auto header = std::make_shared<CollectionHeader>();
//   header->show(cover, text, buttons);   // again on every rebuild

#include "vell/flex.h"
#include "vell/widget_t.h"

namespace cad {

class CollectionHeader : public vell::ContainerT<CollectionHeader, vell::Flex> {
public:
    static constexpr const char* kTypeName = "box";
    static constexpr float kCover = 190;        // beside the text
    static constexpr float kStackedCover = 120; // with the buttons under it
    static constexpr float kGap = 24;           // between the cover and the text

    // True when `width` (the header's content width) cannot hold the full cover,
    // the gap and the buttons row of width `buttons` side by side.
    static bool stacksAt(float width, float buttons);

    CollectionHeader();
    // Replaces the header's content: `cover` beside `text`, `buttons` last.
    void show(vell::WidgetPtr cover, vell::WidgetPtr text, vell::WidgetPtr buttons);
    // Decides the arrangement again when the header's width changes.
    void update(vell::UiContext& ctx, float dt) override;

    bool stacked() const { return m_stacked; }

private:
    void arrangeParts(bool stacked);

    vell::WidgetPtr m_cover, m_text, m_buttons;
    bool m_stacked = false;
    float m_fittedWidth = -1;
};

} // namespace cad

#include "app/ui/app_styles.h"

#include "vell/style_sheet.h"

namespace cad {

using vell::Align;
using vell::colorToken;
using vell::Direction;
using vell::Justify;
using vell::SizeSpec;
using vell::StyleClass;
using vell::StyleStates;

namespace {

StyleStates& add(std::vector<StyleClass>& out, const char* name)
{
    out.push_back({ name, {} });
    return out.back().states;
}

void textClass(std::vector<StyleClass>& out, const char* name, float size, const char* color = nullptr)
{
    vell::Style& s = add(out, name).normal;
    s.textSize = size;
    if (color)
        s.color = colorToken(color);
}

void addButtons(std::vector<StyleClass>& out)
{
    {
        StyleStates& c = add(out, "button.tile");
        c.normal.width = SizeSpec::fixed(200);
        c.normal.direction = Direction::Column;
        c.normal.gap = 6;
        c.normal.padding = vell::uniformEdges(10);
        c.normal.align = Align::Start;
        c.normal.justify = Justify::Start;
        c.normal.minHeight = 0;
        c.normal.radius = 22;
        c.normal.background = colorToken("surfaceContainer");
        c.normal.color = colorToken("onSurface");
        c.hovered.background = colorToken("surfaceContainerHigh");
        c.focused.background = colorToken("surfaceContainerHighest");
        c.pressed.background = colorToken("surfaceContainerHighest");
        c.pressed.scale = 0.96f;
        c.pressed.radius = 16;
    }
    {
        StyleStates& c = add(out, "button.chip");
        c.normal.minHeight = 38;
        c.normal.gap = 6;
        c.normal.padding = vell::symmetricEdges(16, 6);
        c.normal.background = colorToken("surfaceContainerHigh");
        c.normal.color = colorToken("onSurface");
        // Focus shows as the ring alone, so a focused checked chip keeps its colours.
        for (vell::Style* s : { &c.hovered, &c.pressed })
            s->background = colorToken("surfaceContainerHighest");
        c.pressed.scale = 0.94f;
        c.checked.background = colorToken("primary");
        c.checked.color = colorToken("onPrimary");
    }
    {
        StyleStates& c = add(out, "button.mini");
        c.normal.padding = vell::uniformEdges(6);
        c.normal.gap = 12;
        c.normal.radius = 16;
        c.normal.minHeight = 0;
        c.normal.justify = Justify::Start;
        c.normal.background = vell::transparentColor();
        c.normal.color = colorToken("onSurface");
        vell::applyOverlayLayers(c, "onSurface");
        c.pressed.scale = 0.97f;
    }
}

void addInputs(std::vector<StyleClass>& out)
{
    {
        StyleStates& c = add(out, "textfield");
        c.normal.width = SizeSpec::fill();
        c.normal.padding = vell::symmetricEdges(16, 13);
        c.normal.radius = 16;
        c.normal.borderWidth = 2;
        c.normal.borderColor = colorToken("outlineVariant");
        c.normal.background = colorToken("surfaceContainerHigh");
        c.normal.color = colorToken("onSurface");
        c.normal.textSize = 17;
        c.hovered.borderColor = colorToken("outline");
        c.focused.borderColor = colorToken("primary");
        c.pressed.scale = 0.99f;
    }
    {
        StyleStates& c = add(out, "wavyseek");
        c.normal.width = SizeSpec::fill();
        c.normal.fillColor = colorToken("primary");
        c.normal.trackColor = colorToken("track");
        c.normal.thumbColor = colorToken("primary");
        c.focused.scale = 1;
    }
}

void addPanels(std::vector<StyleClass>& out)
{
    {
        vell::Style& s = add(out, "banner").normal;
        s.direction = Direction::Row;
        s.align = Align::Center;
        s.gap = 12;
        s.padding = vell::symmetricEdges(18, 12);
        s.radius = 20;
        s.background = colorToken("tertiaryContainer");
        s.color = colorToken("onTertiaryContainer");
    }
    {
        vell::Style& s = add(out, "error-banner").normal;
        s.padding = vell::symmetricEdges(16, 10);
        s.background = colorToken("errorContainer");
        s.color = colorToken("error");
    }
    {
        vell::Style& s = add(out, "setting-row").normal;
        s.direction = Direction::Row;
        s.align = Align::Center;
        s.gap = 14;
        s.minHeight = 48;
    }
}

// Cover art: a rounded placeholder square whose note glyph gives way to the picture.
void addCovers(std::vector<StyleClass>& out)
{
    {
        vell::Style& s = add(out, "cover").normal;
        s.direction = Direction::Stack;
        s.radius = 14;
        s.background = colorToken("surfaceContainerHigh");
    }
    {
        vell::Style& s = add(out, "cover-placeholder").normal;
        s.alignSelf = Align::Center;
        s.alignSelfY = Align::Center;
        s.color = colorToken("onSurfaceVariant", 0.45f);
    }
    {
        vell::Style& s = add(out, "cover-image").normal;
        s.width = SizeSpec::fill();
        s.height = SizeSpec::fill();
    }
}

} // namespace

std::vector<StyleClass> appStyles()
{
    std::vector<StyleClass> out;
    addButtons(out);
    addInputs(out);
    textClass(out, "row-title", 17);
    textClass(out, "tile-title", 15);
    textClass(out, "section-title", 22, "onSurface");
    textClass(out, "hero-title", 34);
    {
        // Lyrics: the current line is recoloured by the view.
        vell::Style& s = add(out, "lyrics-line").normal;
        s.textSize = 24;
        s.color = colorToken("onSurfaceVariant");
        s.wrap = true;
        s.textAlign = vell::kTextAlignCenter;
        s.width = SizeSpec::fill();
    }
    addPanels(out);
    addCovers(out);
    return out;
}

} // namespace cad

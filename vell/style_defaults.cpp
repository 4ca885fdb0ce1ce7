// The built-in style classes: the toolkit's look as plain data.

#include "vell/style_sheet.h"

#include "vell/renderer.h"

namespace vell {

namespace {

ColorRefPtr tok(std::string_view name, float alpha = 1) { return colorToken(name, alpha); }

void textClass(StyleSheet& sheet, std::string_view name, float size, const char* color = nullptr)
{
    Style& s = sheet.get(name).normal;
    s.textSize = size;
    if (color)
        s.color = tok(color);
}

void installText(StyleSheet& sheet)
{
    textClass(sheet, "title", 28);
    textClass(sheet, "headline", 22);
    textClass(sheet, "subtitle", 18, "onSurfaceVariant");
    textClass(sheet, "body", 16);
    textClass(sheet, "caption", 13, "onSurfaceVariant");
    textClass(sheet, "hint-label", 13, "onSurfaceVariant");
    textClass(sheet, "music-title", 18);
    textClass(sheet, "view-title", 22, "onSurface");
    textClass(sheet, "toast-title", 16);
    textClass(sheet, "toast-body", 14);
    sheet.get("toast-body").normal.wrap = true;
    Style& glyph = sheet.get("glyph").normal;
    glyph.textSize = 24;
    glyph.font = kIconFont;
}

void installButtons(StyleSheet& sheet)
{
    {
        Style& s = sheet.get("button").normal;
        s.direction = Direction::Row;
        s.align = Align::Center;
        s.justify = Justify::Center;
        s.gap = 8;
        s.padding = symmetricEdges(24, 10);
        s.minHeight = 48;
        s.radius = 999;
        s.background = tok("primary");
        s.color = tok("onPrimary");
        sheet.stateLayers("button", "primary", "onPrimary");
    }
    {
        Style& s = sheet.get("button.tonal").normal;
        s.background = tok("secondaryContainer");
        s.color = tok("onSecondaryContainer");
        sheet.stateLayers("button.tonal", "secondaryContainer", "onSecondaryContainer");
    }
    {
        StyleStates& c = sheet.get("button.outlined");
        c.normal.background = transparentColor();
        c.normal.color = tok("primary");
        c.normal.borderWidth = 1.5f;
        c.normal.borderColor = tok("outline");
        applyOverlayLayers(c, "primary");
        c.focused.borderColor = tok("primary");
    }
    {
        StyleStates& c = sheet.get("button.text");
        c.normal.background = transparentColor();
        c.normal.color = tok("primary");
        c.normal.padding = symmetricEdges(16, 10);
        applyOverlayLayers(c, "primary");
    }
    {
        StyleStates& c = sheet.get("button.icon");
        c.normal.background = transparentColor();
        c.normal.color = tok("onSurfaceVariant");
        c.normal.padding = uniformEdges(12);
        c.normal.minWidth = 48;
        c.normal.minHeight = 48;
        applyOverlayLayers(c, "onSurface");
        c.pressed.scale = 0.9f;
        c.pressed.radius = 14;
        c.checked.background = tok("secondaryContainer");
        c.checked.color = tok("onSecondaryContainer");
    }
    {
        StyleStates& c = sheet.get("button.icon-filled");
        c.normal.padding = uniformEdges(16);
        c.normal.minWidth = 56;
        c.normal.minHeight = 56;
        c.normal.background = tok("primary");
        c.normal.color = tok("onPrimary");
        applyStateLayers(c, "primary", "onPrimary");
        c.pressed.scale = 0.9f;
        c.pressed.radius = 16;
    }
    {
        StyleStates& c = sheet.get("button.nav");
        c.normal.background = transparentColor();
        c.normal.color = tok("onSurfaceVariant");
        c.normal.padding = uniformEdges(16);
        c.normal.minWidth = 56;
        c.normal.minHeight = 56;
        c.normal.radius = 20;
        applyOverlayLayers(c, "onSurface");
        c.pressed.radius = 12;
        c.checked.background = tok("secondaryContainer");
        c.checked.color = tok("onSecondaryContainer");
        c.checked.radius = 999;
    }
    {
        StyleStates& c = sheet.get("button.list");
        c.normal.justify = Justify::Start;
        c.normal.padding = symmetricEdges(18, 12);
        c.normal.minHeight = 56;
        c.normal.gap = 16;
        c.normal.radius = 20;
        c.normal.background = transparentColor();
        c.normal.color = tok("onSurface");
        c.hovered.background = tok("onSurface", 0.08f);
        for (Style* s : { &c.focused, &c.pressed }) {
            s->background = tok("primaryContainer");
            s->color = tok("onPrimaryContainer");
        }
        c.pressed.scale = 0.98f;
        c.pressed.radius = 14;
        c.checked.background = tok("secondaryContainer");
        c.checked.color = tok("onSecondaryContainer");
    }
}

// Toggles, checkboxes, radio items and the progress family.
void installControls(StyleSheet& sheet)
{
    {
        StyleStates& c = sheet.get("toggle");
        c.normal.background = tok("surfaceContainerHighest");
        c.normal.borderWidth = 2;
        c.normal.borderColor = tok("outline");
        c.normal.radius = 999;
        c.normal.trackColor = tok("primary");
        c.normal.thumbColor = tok("outline");
        c.hovered.borderColor = tok("onSurfaceVariant");
        c.checked.background = tok("primary");
        c.checked.borderColor = tok("primary");
        c.checked.trackColor = tok("primary");
        c.checked.thumbColor = tok("onPrimary");
    }
    for (const char* name : { "checkbox", "radio" }) {
        StyleStates& c = sheet.get(name);
        c.normal.background = transparentColor();
        c.normal.borderWidth = 2;
        c.normal.borderColor = tok("onSurfaceVariant");
        c.hovered.background = tok("onSurface", 0.08f);
        c.pressed.scale = 0.9f;
        c.checked.borderColor = tok("primary");
    }
    {
        StyleStates& c = sheet.get("checkbox");
        c.normal.radius = 6;
        c.normal.color = tok("onPrimary");
        c.checked.background = tok("primary");
    }
    {
        StyleStates& c = sheet.get("radio");
        c.normal.radius = 999;
        c.normal.fillColor = tok("primary");
    }
    for (const char* name : { "progress", "circular-progress", "slider" }) {
        Style& s = sheet.get(name).normal;
        s.fillColor = tok("primary");
        s.trackColor = tok("secondaryContainer");
    }
    sheet.get("progress").normal.trackColor = tok("track");
    sheet.get("slider").normal.trackColor = tok("track");
    Style& slider = sheet.get("slider").normal;
    slider.width = SizeSpec::fill();
    slider.thumbColor = tok("primary");
}

void installSurfaces(StyleSheet& sheet)
{
    {
        Style& s = sheet.get("card").normal;
        s.background = tok("surfaceContainer");
        s.radius = 24;
        s.padding = uniformEdges(16);
        s.gap = 8;
    }
    {
        Style& s = sheet.get("divider").normal;
        s.width = SizeSpec::fill();
        s.height = SizeSpec::fixed(1);
        s.background = tok("outlineVariant");
    }
    {
        Style& s = sheet.get("hintbar").normal;
        s.direction = Direction::Row;
        s.gap = 20;
        s.align = Align::Center;
        s.justify = Justify::Center;
    }
    {
        Style& s = sheet.get("hint").normal;
        s.direction = Direction::Row;
        s.gap = 8;
        s.align = Align::Center;
    }
    {
        Style& s = sheet.get("hint-key").normal;
        s.background = tok("surfaceContainerHighest");
        s.color = tok("onSurface");
        s.radius = 999;
        s.padding = symmetricEdges(10, 3);
        s.textSize = 12;
    }
    {
        Style& s = sheet.get("toast").normal;
        s.background = tok("inverseSurface");
        s.color = tok("onInverseSurface");
        s.radius = 20;
        s.padding = symmetricEdges(20, 16);
        s.gap = 4;
        s.maxWidth = 360;
    }
    {
        Style& s = sheet.get("dialog").normal;
        s.background = tok("surfaceContainerHigh");
        s.color = tok("onSurface");
        s.radius = 28;
        s.padding = uniformEdges(24);
        s.gap = 16;
        s.minWidth = 320;
        s.maxWidth = 520;
    }
}

// A column or row filling its parent on both axes.
Style& fillingBox(StyleSheet& sheet, std::string_view name, Direction direction)
{
    Style& s = sheet.get(name).normal;
    s.direction = direction;
    s.width = SizeSpec::fill();
    s.height = SizeSpec::fill();
    return s;
}

// A bar across the top or bottom of the main area.
Style& shellBar(StyleSheet& sheet, std::string_view name, float minHeight, float radius)
{
    Style& s = sheet.get(name).normal;
    s.direction = Direction::Row;
    s.align = Align::Center;
    s.padding = symmetricEdges(18, 6);
    s.minHeight = minHeight;
    s.width = SizeSpec::fill();
    s.background = tok("surfaceContainer");
    s.radius = radius;
    return s;
}

void installShell(StyleSheet& sheet)
{
    {
        Style& s = sheet.get("shell-root").normal;
        s.direction = Direction::Row;
        s.padding = uniformEdges(12);
        s.gap = 12;
        s.background = tok("background");
        s.color = tok("onSurface");
    }
    fillingBox(sheet, "shell-main", Direction::Column).gap = 10;
    shellBar(sheet, "shell-top", 56, 24).gap = 12;
    {
        Style& s = fillingBox(sheet, "shell-body", Direction::Column);
        s.background = tok("surface");
        s.radius = 24;
        s.clip = true;
    }
    shellBar(sheet, "shell-bottom", 36, 18).justify = Justify::Center;
    {
        Style& s = sheet.get("shell-nav").normal;
        s.direction = Direction::Column;
        s.width = SizeSpec::fixed(84);
        s.height = SizeSpec::fill();
        s.align = Align::Center;
        s.gap = 12;
    }
    {
        Style& s = sheet.get("shell-nav-header").normal;
        s.direction = Direction::Column;
        s.align = Align::Center;
        s.justify = Justify::Center;
        s.minHeight = 56;
    }
    {
        Style& s = fillingBox(sheet, "shell-nav-body", Direction::Column);
        s.align = Align::Center;
        s.justify = Justify::Center;
        s.gap = 10;
        s.padding = uniformEdges(10);
        s.background = tok("surfaceContainer");
        s.radius = 32;
    }
    {
        Style& s = sheet.get("shell-drawer").normal;
        s.direction = Direction::Column;
        s.width = SizeSpec::fixed(300);
        s.height = SizeSpec::fill();
        s.padding = uniformEdges(16);
        s.gap = 6;
        s.background = tok("surfaceContainer");
        s.radius = 28;
        s.color = tok("onSurface");
    }
}

} // namespace

void StyleSheet::installDefaults()
{
    installText(*this);
    installButtons(*this);
    installControls(*this);
    installSurfaces(*this);
    installShell(*this);
}

} // namespace vell

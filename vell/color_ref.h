#pragma once
// A colour as written in a style: a theme token or a literal, with an alpha
// multiplier and an optional mix toward another colour. Resolved through the
// theme every frame, so mode and accent changes recolour without restyling.

#include "vell/geometry.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vell {

class Theme;
struct ColorRef;

// Colour references are immutable once built and shared between records.
using ColorRefPtr = std::shared_ptr<const ColorRef>;

struct ColorRef {
    std::string token;   // empty when literal
    Color literalColor;  // used when `literal`
    bool literal = false;
    bool set = false;    // an unset reference resolves to transparent
    float alpha = 1;     // multiplies the resolved alpha
    ColorRefPtr mix;     // when present, move toward it by `mixAmount`
    float mixAmount = 0;

    // Token colour for the theme's mode (or the literal), mixed, then alpha-scaled.
    // Unknown tokens give opaque magenta.
    Color resolve(const Theme& theme) const;
};

// Builders for style colours.
ColorRefPtr colorToken(std::string_view token, float alphaMultiplier = 1);
ColorRefPtr colorLiteral(Color color);
ColorRefPtr transparentColor();
// `base` moved toward `toward` by `amount` (0 keeps base, 1 gives toward).
// A mix already on `base` is replaced, its alpha multiplier kept.
ColorRefPtr colorMix(const ColorRefPtr& base, const ColorRefPtr& toward, float amount);

// "#rgb", "#rrggbb" or "#rrggbbaa" (leading '#' optional). Empty on bad input.
std::optional<Color> parseHexColor(std::string_view text);

// parseHexColor for trusted literals; bad input gives opaque magenta.
Color hexColor(std::string_view text);

inline constexpr Color kMagenta { 255, 0, 255, 255 };

} // namespace vell

#include "vell/color_ref.h"

#include "vell/theme.h"

namespace vell {

Color ColorRef::resolve(const Theme& theme) const
{
    if (!set)
        return {};
    Color c = literal ? literalColor : theme.color(token);
    if (mix && mixAmount != 0) {
        Color other = mix->resolve(theme);
        auto toward = [&](float a, float b) { return a + (b - a) * mixAmount; };
        c = { toward(c.r, other.r), toward(c.g, other.g), toward(c.b, other.b), toward(c.a, other.a) };
    }
    c.a *= alpha;
    return c;
}

ColorRefPtr colorToken(std::string_view token, float alphaMultiplier)
{
    auto ref = std::make_shared<ColorRef>();
    ref->token = std::string(token);
    ref->set = true;
    ref->alpha = alphaMultiplier;
    return ref;
}

ColorRefPtr colorLiteral(Color color)
{
    auto ref = std::make_shared<ColorRef>();
    ref->literalColor = color;
    ref->literal = true;
    ref->set = true;
    return ref;
}

ColorRefPtr transparentColor()
{
    return colorLiteral({ 0, 0, 0, 0 });
}

ColorRefPtr colorMix(const ColorRefPtr& base, const ColorRefPtr& toward, float amount)
{
    auto ref = std::make_shared<ColorRef>(base ? *base : ColorRef {});
    ref->mix = toward;
    ref->mixAmount = amount;
    return ref;
}

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<Color> parseHexColor(std::string_view text)
{
    if (!text.empty() && text.front() == '#')
        text.remove_prefix(1);
    std::string digits;
    if (text.size() == 3) {
        for (char c : text)
            digits += std::string(2, c);
    } else if (text.size() == 6 || text.size() == 8) {
        digits = std::string(text);
    } else {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (char c : digits) {
        int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value << 4 | uint32_t(d);
    }
    auto byte = [&](int shift) { return float((value >> shift) & 0xff); };
    if (digits.size() == 8)
        return Color { byte(24), byte(16), byte(8), byte(0) };
    return Color { byte(16), byte(8), byte(0), 255 };
}

Color hexColor(std::string_view text)
{
    return parseHexColor(text).value_or(kMagenta);
}

} // namespace vell

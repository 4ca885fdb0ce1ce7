#include "vell/theme.h"

#include "vell/color_ref.h"

#include <algorithm>

namespace vell {

namespace {

struct TokenEntry {
    const char* name;
    const char* dark;
    const char* light;
};

// Same in both modes.
constexpr std::pair<const char*, const char*> kRawPalette[] = {
    { "ash", "#251e2e" }, { "ashDark", "#1f1927" }, { "ashDarker", "#130f18" }, { "ashDarkest", "#0e0713" },
    { "purple", "#c6c1f0" }, { "purpleDark", "#ada5f1" }, { "purpleDarker", "#9d92ef" },
    { "purpleDarkest", "#907ded" }, { "sPurple", "#cab9ef" }, { "sPurpleDark", "#b896f0" },
    { "sPurpleDarker", "#b283ed" }, { "sPurpleDarkest", "#a771eb" }, { "hPurple", "#cb6af5" },
    { "purpleAshSpectrum0", "#a399c8" }, { "purpleAshSpectrum1", "#7b6d8b" },
    { "purpleAshSpectrum2", "#6f5873" }, { "purpleAshSpectrum3", "#3a3246" }, { "purpleText", "#d7cdf4" },
    { "purpleGlow", "#58336e" }, { "blue", "#b0cdea" }, { "blueDark", "#9bbcef" }, { "blueDarker", "#90b5ed" },
    { "blueDarkest", "#70a2ed" }, { "hBlue", "#93b5ff" }, { "green", "#c0e8b8" }, { "greenDark", "#a0e277" },
    { "greenDarker", "#91d368" }, { "greenDarkest", "#75c245" }, { "sGreen", "#b6fc9f" }, { "red", "#e8b8b8" },
    { "redDark", "#eb9896" }, { "redDarker", "#ee716e" }, { "redDarkest", "#dd5d59" }, { "hRed", "#ff5f5f" },
    { "yellow", "#e8e0b8" }, { "yellowDark", "#f5d27a" }, { "yellowDarker", "#f2c452" },
    { "yellowDarkest", "#f1ba32" }, { "hYellow", "#f1c949" }, { "warnRaw", "#fab78e" },
};

constexpr std::pair<const char*, Color> kTranslucent[] = {
    { "warnBack", { 250, 179, 135, 38 } },
    { "errorBack", { 250, 117, 125, 38 } },
    { "successBack", { 166, 227, 161, 38 } },
};

constexpr TokenEntry kSemantic[] = {
    { "background", "#130f18", "#f8f5fd" },
    { "surface", "#1f1927", "#f3effa" },
    { "surfaceContainer", "#251e2e", "#ece7f7" },
    { "surfaceContainerHigh", "#2f2739", "#e3dcf1" },
    { "surfaceContainerHighest", "#3a3246", "#d9d1ea" },
    { "onSurface", "#d7cdf4", "#251e2e" },
    { "onSurfaceVariant", "#a399c8", "#5b4f6b" },
    { "outline", "#7b6d8b", "#8a7d9a" },
    { "outlineVariant", "#3a3246", "#cfc6e0" },
    { "primary", "#c6c1f0", "#6a52d9" },
    { "onPrimary", "#251e2e", "#ffffff" },
    { "primaryContainer", "#58336e", "#e0d9fb" },
    { "onPrimaryContainer", "#ecdfff", "#2a1b6b" },
    { "secondary", "#b896f0", "#8a4fd1" },
    { "onSecondary", "#251e2e", "#ffffff" },
    { "secondaryContainer", "#3f3352", "#eadcfa" },
    { "onSecondaryContainer", "#e6d9fb", "#3a1f66" },
    { "tertiary", "#9bbcef", "#3f78d0" },
    { "onTertiary", "#130f18", "#ffffff" },
    { "tertiaryContainer", "#2b3f61", "#d6e4fb" },
    { "onTertiaryContainer", "#d8e6ff", "#0e2a57" },
    { "error", "#eb9896", "#c43d3a" },
    { "onError", "#130f18", "#ffffff" },
    { "errorContainer", "#5a2a2c", "#f9d6d5" },
    { "success", "#b6fc9f", "#3f8f2a" },
    { "warn", "#fab78e", "#c26a2a" },
    { "inverseSurface", "#d7cdf4", "#251e2e" },
    { "onInverseSurface", "#251e2e", "#f3effa" },
    { "focusRing", "#cb6af5", "#6a52d9" },
    { "track", "#3f3352", "#bdaee3" },
    { "scrim", "#000000", "#000000" },
    { "glow", "#58336e", "#cbb8f5" },
};

constexpr int kAccentTokenCount = 9;
// "track" is the empty part of sliders and progress bars: secondaryContainer in
// the dark mode; in the light mode that pale tone vanishes on the surfaces, so
// the track takes a deeper one.
constexpr const char* kAccentTokens[kAccentTokenCount] = {
    "primary", "onPrimary", "primaryContainer", "onPrimaryContainer",
    "secondary", "secondaryContainer", "onSecondaryContainer", "focusRing", "track",
};

// [accent][token] = { dark, light }, tokens in kAccentTokens order.
constexpr std::pair<const char*, const char*> kAccents[4][kAccentTokenCount] = {
    { // Vell
        { "#c6c1f0", "#6a52d9" }, { "#251e2e", "#ffffff" }, { "#58336e", "#e0d9fb" }, { "#ecdfff", "#2a1b6b" },
        { "#b896f0", "#8a4fd1" }, { "#3f3352", "#eadcfa" }, { "#e6d9fb", "#3a1f66" }, { "#cb6af5", "#6a52d9" },
        { "#3f3352", "#bdaee3" } },
    { // Sakura
        { "#ffb1c8", "#b4235a" }, { "#3a0b1f", "#ffffff" }, { "#6b2442", "#ffd9e3" }, { "#ffd9e3", "#3e001e" },
        { "#e8b6c8", "#8c4a63" }, { "#4a2e3a", "#f7dce6" }, { "#f7dce6", "#3a1b27" }, { "#ff7fa8", "#b4235a" },
        { "#4a2e3a", "#e2a9be" } },
    { // Mint
        { "#8fe0bd", "#00795a" }, { "#00382a", "#ffffff" }, { "#0f5a45", "#b6f2d8" }, { "#b6f2d8", "#002116" },
        { "#a5cfbd", "#3f6757" }, { "#2b4a3e", "#d1ebe0" }, { "#d1ebe0", "#0b2a1f" }, { "#5ee0b0", "#00795a" },
        { "#2b4a3e", "#98c8b4" } },
    { // Ocean
        { "#9bc4ff", "#1f5fbf" }, { "#00315e", "#ffffff" }, { "#1c4a80", "#d6e6ff" }, { "#d6e6ff", "#001b3d" },
        { "#b0c6e8", "#4b6086" }, { "#2e4260", "#dae5f8" }, { "#dae5f8", "#0d1b33" }, { "#62a8ff", "#1f5fbf" },
        { "#2e4260", "#a6bde6" } },
};

} // namespace

void Theme::buildPalettes()
{
    for (const auto& [name, hex] : kRawPalette)
        setToken(name, hexColor(hex), hexColor(hex));
    for (const auto& [name, color] : kTranslucent)
        setToken(name, color, color);
    for (const auto& entry : kSemantic)
        setToken(entry.name, hexColor(entry.dark), hexColor(entry.light));
}

bool Theme::setToken(std::string_view name, std::string_view darkHex, std::string_view lightHex)
{
    auto dark = parseHexColor(darkHex);
    auto light = parseHexColor(lightHex);
    if (!dark || !light)
        return false;
    setToken(name, *dark, *light);
    return true;
}

void Theme::setToken(std::string_view name, Color dark, Color light)
{
    auto it = m_tokens.find(name);
    if (it == m_tokens.end())
        m_tokens.emplace(std::string(name), TokenColors { dark, light });
    else
        it->second = { dark, light };
    ++m_changes;
}

bool Theme::hasToken(std::string_view name) const
{
    return m_tokens.find(name) != m_tokens.end();
}

Color Theme::color(std::string_view name, int32_t mode) const
{
    auto it = m_tokens.find(name);
    if (it == m_tokens.end())
        return kMagenta;
    return mode == kThemeLight ? it->second.light : it->second.dark;
}

void Theme::setMode(int32_t mode)
{
    bool changed = mode != m_mode;
    m_mode = mode;
    ++m_changes;
    if (changed && onModeChange)
        onModeChange(mode);
}

void Theme::setAccent(int index)
{
    m_accent = std::clamp(index, 0, 3);
    for (int i = 0; i < kAccentTokenCount; ++i)
        setToken(kAccentTokens[i], kAccents[m_accent][i].first, kAccents[m_accent][i].second);
}

const std::array<const char*, 4>& Theme::accentNames()
{
    static const std::array<const char*, 4> names { "Vell", "Sakura", "Mint", "Ocean" };
    return names;
}

} // namespace vell

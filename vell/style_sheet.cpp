#include "vell/style_sheet.h"

namespace vell {

namespace {

constexpr float kHoverLayer = 0.08f;
constexpr float kFocusLayer = 0.12f;
constexpr float kPressLayer = 0.16f;
constexpr float kStateLayerPressScale = 0.95f;

} // namespace

void applyStateLayers(StyleStates& states, std::string_view baseToken, std::string_view contentToken)
{
    auto base = colorToken(baseToken);
    auto content = colorToken(contentToken);
    states.hovered.background = colorMix(base, content, kHoverLayer);
    states.focused.background = colorMix(base, content, kFocusLayer);
    states.pressed.background = colorMix(base, content, kPressLayer);
    states.pressed.scale = kStateLayerPressScale;
}

void applyOverlayLayers(StyleStates& states, std::string_view token)
{
    states.hovered.background = colorToken(token, kHoverLayer);
    states.focused.background = colorToken(token, kFocusLayer);
    states.pressed.background = colorToken(token, kPressLayer);
}

StyleStates& StyleSheet::get(std::string_view name)
{
    ++m_version;
    auto it = m_classes.find(name);
    if (it == m_classes.end())
        it = m_classes.emplace(std::string(name), StyleStates {}).first;
    return it->second;
}

const StyleStates* StyleSheet::find(std::string_view name) const
{
    auto it = m_classes.find(name);
    return it == m_classes.end() ? nullptr : &it->second;
}

void StyleSheet::merge(std::string_view name, const StyleStates& states)
{
    get(name).merge(states);
}

void StyleSheet::stateLayers(std::string_view className, std::string_view baseToken, std::string_view contentToken)
{
    applyStateLayers(get(className), baseToken, contentToken);
}

void StyleSheet::overlayLayers(std::string_view className, std::string_view token)
{
    applyOverlayLayers(get(className), token);
}

} // namespace vell

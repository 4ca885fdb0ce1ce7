#pragma once
// The "Interface size" setting: a percentage of the design size, or 0 for the
// size picked from the screen (Auto).
//
//   engine.setUiScale(interfaceScale(store.uiScale));   // 0 = automatic

#include <array>
#include <cstdint>
#include <string>

namespace cad {

// The choices the settings page offers, Auto first.
inline constexpr std::array<int32_t, 6> kInterfaceSizes { 0, 75, 100, 125, 150, 200 };

// The UI scale for a stored percentage: 0 (automatic) for 0 and for anything
// outside 75..200, which a hand-edited config.json may hold.
float interfaceScale(int32_t percent);

// "Auto" or the percentage, "125%".
std::string interfaceSizeLabel(int32_t percent);

} // namespace cad

#pragma once
// Named colour tokens with a dark and a light value, the current mode and
// accent. Style colours refer to tokens by name and are resolved here.

#include "vell/geometry.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vell {

inline constexpr int32_t kThemeDark = 0;
inline constexpr int32_t kThemeLight = 1;

class Theme {
public:
    struct TokenColors {
        Color dark;
        Color light;
    };

    // Fills the token table: raw palette, fixed translucent tokens, then the
    // semantic tokens (later entries replace earlier ones).
    void buildPalettes();

    // Sets or replaces a token. The hex form returns false and changes
    // nothing when either value is not a valid hex colour.
    bool setToken(std::string_view name, std::string_view darkHex, std::string_view lightHex);
    void setToken(std::string_view name, Color dark, Color light);
    bool hasToken(std::string_view name) const;

    // The token's colour for the current mode (or the given one); unknown
    // tokens give opaque magenta so mistakes are visible rather than fatal.
    Color color(std::string_view name) const { return color(name, m_mode); }
    Color color(std::string_view name, int32_t mode) const;

    // 0 dark, 1 light. Bumps the change counter; the listener runs only
    // when the mode actually changed.
    void setMode(int32_t mode);
    int32_t mode() const { return m_mode; }

    // Applies an accent palette row; the index is clamped to 0..3.
    void setAccent(int index);
    int accent() const { return m_accent; }
    static const std::array<const char*, 4>& accentNames();

    // Incremented by every token or mode change.
    uint64_t changeCounter() const { return m_changes; }

    // Called with the new mode when the mode changes.
    std::function<void(int32_t)> onModeChange;

private:
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view> {}(s); }
    };
    std::unordered_map<std::string, TokenColors, NameHash, std::equal_to<>> m_tokens;
    int32_t m_mode = kThemeDark;
    int m_accent = 0;
    uint64_t m_changes = 0;
};

} // namespace vell

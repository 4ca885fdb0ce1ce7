#pragma once
// Style classes by name, each six state records. Widgets merge the classes
// named after their type and their class list (see Widget::restyle), and
// recompute only when the sheet's version changes.

#include "vell/style.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vell {

// The state-layer helpers on a bare set of records (see StyleSheet).
void applyStateLayers(StyleStates& states, std::string_view baseToken, std::string_view contentToken);
void applyOverlayLayers(StyleStates& states, std::string_view token);

class StyleSheet {
public:
    // Write access to a class, created empty when missing. Bumps the version,
    // since the caller may change the records through the reference.
    StyleStates& get(std::string_view name);
    // Read access without creating; null when the class does not exist.
    const StyleStates* find(std::string_view name) const;
    // Merges every set property of the six records into the class.
    void merge(std::string_view name, const StyleStates& states);
    void merge(const StyleClass& styleClass) { merge(styleClass.name, styleClass.states); }

    // The built-in classes ("button", "card", "shell-root", ...).
    void installDefaults();

    // Hovered, focused and pressed backgrounds of `className` become
    // `baseToken` mixed toward `contentToken` by 0.08, 0.12 and 0.16;
    // pressed scale 0.95.
    void stateLayers(std::string_view className, std::string_view baseToken, std::string_view contentToken);
    // Hovered, focused and pressed backgrounds become `token` with alpha
    // multiplied by 0.08, 0.12 and 0.16.
    void overlayLayers(std::string_view className, std::string_view token);

    // Incremented whenever a class is created, merged or handed out for writing.
    uint64_t version() const { return m_version; }
    size_t size() const { return m_classes.size(); }

private:
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view> {}(s); }
    };
    std::unordered_map<std::string, StyleStates, NameHash, std::equal_to<>> m_classes;
    uint64_t m_version = 0;
};

} // namespace vell

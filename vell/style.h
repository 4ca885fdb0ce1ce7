#pragma once
// Style records: plain data describing layout and look. Every property is a
// value plus a "set" flag, so records can be layered (classes, then inline)
// with set properties winning.

#include "vell/color_ref.h"
#include "vell/geometry.h"

#include <cstdint>
#include <string>

namespace vell {

// A value with a flag telling whether it was set. Assigning a T sets it.
//   Optional<float> gap; gap = 8;   // gap.set == true, gap.value == 8
template <class T>
struct Optional {
    T value {};
    bool set = false;

    Optional() = default;
    Optional(const T& v) : value(v), set(true) { }
    Optional& operator=(const T& v)
    {
        value = v;
        set = true;
        return *this;
    }

    explicit operator bool() const { return set; }
    const T& valueOr(const T& fallback) const { return set ? value : fallback; }
    void reset() { *this = Optional(); }

    // Takes the other's value only when it is set.
    void mergeFrom(const Optional& other)
    {
        if (other.set)
            *this = other;
    }
};

enum class SizeMode : int32_t { Auto = 0, Fixed = 1, Percent = 2, Fill = 3 };

// How one axis is sized. For Fill inside a row or column, `value` is the flex
// weight (at least 0.0001).
struct SizeSpec {
    SizeMode mode = SizeMode::Auto;
    float value = 0;

    static SizeSpec autoSize() { return {}; }
    static SizeSpec fixed(float px) { return { SizeMode::Fixed, px }; }
    static SizeSpec percent(float pct) { return { SizeMode::Percent, pct }; }
    static SizeSpec fill(float weight = 1) { return { SizeMode::Fill, weight }; }
    bool operator==(const SizeSpec&) const = default;
};

enum class Direction : int32_t { Row = 0, Column = 1, Stack = 2 };
enum class Align : int32_t { Start = 0, Center = 1, End = 2, Stretch = 3 };
enum class Justify : int32_t { Start = 0, Center = 1, End = 2, SpaceBetween = 3, SpaceAround = 4, SpaceEvenly = 5 };

// Values of the `textAlign` property.
inline constexpr int32_t kTextAlignStart = 0;
inline constexpr int32_t kTextAlignCenter = 1;
inline constexpr int32_t kTextAlignEnd = 2;

// Values of the `fit` property (image placement); any other value stretches.
inline constexpr int32_t kFitContain = 0;
inline constexpr int32_t kFitCover = 1;
inline constexpr int32_t kFitNatural = 3;

inline Edges uniformEdges(float v) { return { v, v, v, v }; }
inline Edges symmetricEdges(float horizontal, float vertical) { return { horizontal, vertical, horizontal, vertical }; }

// One style record. Used for a state of a style class and for a widget's
// inline style; the widget's resolved style is the same record with the
// layers merged.
struct Style {
    // Layout.
    Optional<SizeSpec> width, height;
    Optional<float> minWidth, minHeight, maxWidth, maxHeight;
    Optional<Edges> margin;
    Optional<Edges> padding;
    Optional<float> gap;
    Optional<Direction> direction; // Column when unset
    Optional<Align> align;         // cross-axis placement of children
    Optional<Justify> justify;     // main-axis distribution of children
    Optional<Align> alignSelf;     // overrides the parent's align; horizontal placement in a stack
    Optional<Align> alignSelfY;    // vertical placement in a stack
    Optional<float> offsetX, offsetY;

    // Colours, resolved through the theme every frame.
    Optional<ColorRefPtr> background;
    Optional<ColorRefPtr> color; // text
    Optional<ColorRefPtr> borderColor;
    Optional<ColorRefPtr> fillColor;  // indicator: progress fill, slider fill, radio dot
    Optional<ColorRefPtr> trackColor; // progress and slider track, toggle track accent
    Optional<ColorRefPtr> thumbColor; // slider and toggle thumb

    // Scalar visuals.
    Optional<float> borderWidth;
    Optional<float> radius;
    Optional<float> opacity;
    Optional<float> textSize;
    Optional<int32_t> font;      // 0 text font, 1 icon font (kTextFont, kIconFont in renderer.h)
    Optional<int32_t> textAlign; // kTextAlignStart, Center or End
    Optional<float> scale;
    Optional<bool> wrap;
    Optional<bool> clip;
    Optional<int32_t> fit;

    // Copies every property that is set in `other`.
    void merge(const Style& other);
};

// Indices of the six state records, in the order they are applied.
enum class StyleState : int32_t { Normal = 0, Hovered = 1, Checked = 2, Focused = 3, Pressed = 4, Disabled = 5 };
inline constexpr int kStyleStateCount = 6;

// Bits of the state mask a widget's style is resolved for.
inline constexpr uint32_t kStateHovered = 1;
inline constexpr uint32_t kStateChecked = 2;
inline constexpr uint32_t kStateFocusVisible = 4;
inline constexpr uint32_t kStatePressed = 8;
inline constexpr uint32_t kStateDisabled = 16;

// The six state records of a style class or of a widget's inline style.
struct StyleStates {
    Style normal, hovered, checked, focused, pressed, disabled;

    Style& operator[](StyleState state);
    const Style& operator[](StyleState state) const;

    // Merges each of the six records of `other` into the matching record.
    void merge(const StyleStates& other);

    // Merges into `out` the records whose condition holds for `mask`, in
    // state order (normal always, then hovered, checked, focused, pressed,
    // disabled), so later states win.
    void applyTo(Style& out, uint32_t mask) const;
};

// A named style class, as passed in the engine settings' style overrides.
struct StyleClass {
    std::string name;
    StyleStates states;
};

} // namespace vell

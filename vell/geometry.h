#pragma once

namespace vell {

// A colour: four floats on the 0 to 255 scale (r, g, b, a).
struct Color {
    float r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Color&) const = default;
};

// Logical-pixel geometry of the layout space.
struct Point {
    float x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    float w = 0, h = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    float x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Rect&) const = default;

    // Left and top inclusive, right and bottom exclusive.
    bool contains(Point p) const { return p.x >= x && p.y >= y && p.x < x + w && p.y < y + h; }
    float right() const { return x + w; }
    float bottom() const { return y + h; }
};

// Margins and paddings: left, top, right, bottom.
struct Edges {
    float left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Edges&) const = default;
};

// Sizes at or above this mean "unbounded" while measuring; kUnbounded stands for one.
inline constexpr float kUnboundedThreshold = 5e8f;
inline constexpr float kUnbounded = 1e9f;
inline bool isUnbounded(float size) { return size >= kUnboundedThreshold; }

} // namespace vell

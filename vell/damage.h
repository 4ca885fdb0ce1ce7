#pragma once
// What changed between two frames, from the drawing calls each one recorded:
// the areas to redraw so the new frame's pixels come out as if it had been
// drawn whole. Pure functions over call lists, so the rule is tested without
// a window.
//
//   auto areas = damagedAreas(lastFrame, thisFrame);
//   for (const DeviceRect& area : areas) ... redraw the tree clipped to area ...

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vell/geometry.h"

namespace vell {

// A rectangle in device pixels.
struct DeviceRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const DeviceRect&) const = default;
    bool empty() const { return w <= 0 || h <= 0; }
    int right() const { return x + w; }
    int bottom() const { return y + h; }
};

// The overlap of two rectangles; empty (w or h 0) when they do not meet.
DeviceRect intersect(const DeviceRect& a, const DeviceRect& b);
// The smallest rectangle holding both; an empty one counts as nothing.
DeviceRect unite(const DeviceRect& a, const DeviceRect& b);

// One drawing call of a frame: a hash of everything that decides its pixels
// (kind, arguments, transform, clip) and the device area it can touch.
struct DrawnCall {
    uint64_t hash = 0;
    DeviceRect area;
};

// The areas where `before` and `after` can differ. A call of one frame that
// has no equal (same hash and area) in the other, in the same order relative
// to the calls matched so far, damages its area; wherever no such call
// reaches, both frames ran the same calls in the same order and so drew the
// same pixels. Overlapping or touching areas are merged; more than `maxAreas`
// become their union. Empty when nothing changed.
std::vector<DeviceRect> damagedAreas(const std::vector<DrawnCall>& before, const std::vector<DrawnCall>& after,
                                     size_t maxAreas = 4);

} // namespace vell

#pragma once
#include "vell/pad_button.h"

namespace vell {

// What focus navigation needs to know of a scroll container: whether it can
// scroll on each axis (its content exceeds the viewport by more than 0.5 px on
// an axis it allows) and how far one d-pad press scrolls it. Scroll containers
// implement it next to Widget; focus navigation finds them with dynamic_cast.
class Scrollable {
public:
    virtual ~Scrollable() = default;
    virtual bool canScrollX() const = 0;
    virtual bool canScrollY() const = 0;
    virtual float scrollStep() const = 0;

    bool canScroll() const { return canScrollX() || canScrollY(); }

    // Whether content remains beyond the viewport toward `direction` (Up,
    // Down, Left, Right), so a d-pad press that way should stay inside.
    virtual bool hasContentToward(int direction) const {
        return direction == Left || direction == Right ? canScrollX() : canScrollY();
    }
};

} // namespace vell

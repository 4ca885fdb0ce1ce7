#pragma once
#include <cstdint>

namespace vell {

// The logical buttons every input source is folded into. The names are the
// default display names; Settings::buttonNames can replace them.
enum PadButton : int32_t {
    Up = 0,
    Down = 1,
    Left = 2,
    Right = 3,
    Cross = 4,   // confirm
    Circle = 5,  // back
    Square = 6,
    Triangle = 7,
    L = 8,
    R = 9,
    L2 = 10,
    R2 = 11,
    Start = 12,
    Select = 13,
};

inline constexpr int kPadButtonCount = 14;

// Default display name of a logical button ("Up", "Cross", ...); "" when out of range.
const char* padButtonName(int button);

// True for the four directions, the only buttons that auto-repeat.
inline bool isDirection(int button) { return button >= Up && button <= Right; }

} // namespace vell

#include "vell/pad_button.h"

namespace vell {

const char* padButtonName(int button) {
    static const char* const names[kPadButtonCount] = {
        "Up", "Down", "Left", "Right", "Cross", "Circle", "Square",
        "Triangle", "L", "R", "L2", "R2", "Start", "Select"};
    if (button < 0 || button >= kPadButtonCount)
        return "";
    return names[button];
}

} // namespace vell

#pragma once

#include <cstdint>
#include <string>

namespace vell {

// One entry of the hint bar: a logical button and what it does here.
// `shortLabel` (one word, may be empty) is shown instead of `label` when the
// full hints do not fit the bar.
struct Hint {
    int32_t button = 0;
    std::string label;
    std::string shortLabel {}; // an initializer, so brace lists may leave it out
    bool operator==(const Hint&) const = default;
};

} // namespace vell

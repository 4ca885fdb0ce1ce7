#pragma once

#include <cstdint>
#include <string>

namespace vell {

// One entry of the hint bar: a logical button and what it does here.
struct Hint {
    int32_t button = 0;
    std::string label;
    bool operator==(const Hint&) const = default;
};

} // namespace vell

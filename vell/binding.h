#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace vell {

// One button binding: while no dialog or drawer is open, pressing `button`
// runs `action`. `showHint` lists it in the hint bar under `label`.
struct Binding {
    int32_t button = 0;
    std::string label;
    std::function<void()> action;
    bool showHint = false;
};

// One entry of the hint bar: a logical button and what it does here.
struct Hint {
    int32_t button = 0;
    std::string label;
    bool operator==(const Hint&) const = default;
};

} // namespace vell

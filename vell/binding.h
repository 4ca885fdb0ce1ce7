#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "vell/hint.h"

namespace vell {

// One button binding: while no dialog or drawer is open, pressing `button`
// runs `action`. `showHint` lists it in the hint bar under `label`. A global
// binding marked `first` runs (and is listed) before the current view's own
// bindings: for a passing offer that must answer wherever the user is.
// `shortLabel` is the hint's one-word form for a narrow hint bar (empty: `label`).
struct Binding {
    int32_t button = 0;
    std::string label;
    std::function<void()> action;
    bool showHint = false;
    bool first = false;
    std::string shortLabel {}; // an initializer, so brace lists may leave it out
};

} // namespace vell

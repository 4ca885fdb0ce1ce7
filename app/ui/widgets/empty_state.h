#pragma once
#include "vell/widget.h"

#include <cstdint>
#include <string>

namespace cad {

// The centred placeholder (an icon over a caption) a page shows while it has
// no content of its own.
vell::WidgetPtr emptyState(int32_t icon, const std::string& text);

} // namespace cad

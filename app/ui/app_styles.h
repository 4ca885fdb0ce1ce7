#pragma once
// The application's own style classes (tiles, chips, the mini player, text
// fields, banners...). Passed to the engine in Settings::styleOverrides, so
// they are merged over the toolkit's built-in classes.

#include "vell/style.h"

#include <vector>

namespace cad {

std::vector<vell::StyleClass> appStyles();

} // namespace cad

#pragma once
#include "vell/view.h"

namespace cad {

// The view shown while the first ping with saved credentials is under way:
// titled "Sonaria", a spinner over "Connecting..." centred in the body.
vell::ViewPtr connectingView();

} // namespace cad

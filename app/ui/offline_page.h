#pragma once
// cad::OfflinePage — the "Offline" navigation page. Its content is not built yet: it
// shows an empty state.

#include "app/ui/page.h"

namespace cad {

class OfflinePage : public Page {
public:
    OfflinePage();
};

} // namespace cad

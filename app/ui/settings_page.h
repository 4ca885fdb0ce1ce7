#pragma once
// cad::SettingsPage — the "Settings" navigation page. Its content is not built yet: it
// shows an empty state.

#include "app/ui/page.h"

namespace cad {

class SettingsPage : public Page {
public:
    SettingsPage();
};

} // namespace cad

#pragma once
// cad::SearchPage — the "Search" navigation page. Its content is not built yet: it
// shows an empty state.

#include "app/ui/page.h"

namespace cad {

class SearchPage : public Page {
public:
    SearchPage();
};

} // namespace cad

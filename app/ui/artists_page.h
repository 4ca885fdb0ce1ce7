#pragma once
// cad::ArtistsPage — the "Artists" navigation page. Its content is not built yet: it
// shows an empty state, and reloads on show by its rule like every server page.

#include "app/ui/server_page.h"

namespace cad {

class ArtistsPage : public ServerPage {
public:
    ArtistsPage();
};

} // namespace cad

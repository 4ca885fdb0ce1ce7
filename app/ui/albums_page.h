#pragma once
// cad::AlbumsPage — the "Albums" navigation page. Its content is not built yet: it
// shows an empty state, and reloads on show by its rule like every server page.

#include "app/ui/server_page.h"

namespace cad {

class AlbumsPage : public ServerPage {
public:
    AlbumsPage();
};

} // namespace cad

#pragma once
// cad::PlaylistsPage — the "Playlists" navigation page: the server's playlists,
// one row each; a row opens the playlist. Reloads on show after an
// online/offline change.

#include "app/ui/list_page.h"

namespace cad {

class PlaylistsPage : public ListPage<Playlist> {
public:
    PlaylistsPage();

protected:
    void request(Done done) override;
};

} // namespace cad

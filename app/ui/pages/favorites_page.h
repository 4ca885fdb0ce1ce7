#pragma once
// cad::FavoritesPage — the "Favorites" navigation page: starred albums on a shelf
// and starred songs as rows, with "Play favorites" and "Shuffle". Reloads every
// time it is shown, so stars set elsewhere appear on return; a shown list stays
// while it reloads.

#include "app/net/subsonic.h"
#include "app/ui/server_page.h"
#include "app/ui/song_actions.h"

namespace cad {

class FavoritesPage : public ServerPage {
public:
    FavoritesPage();
    void start() override;

    std::shared_ptr<vell::Widget> content;
    std::shared_ptr<vell::Widget> reloadButton;
    Subsonic::SearchResult result;
    // The songs of the last reply, shared by the song rows.
    SongList songs = std::make_shared<std::vector<Song>>();

protected:
    void load() override;

private:
    void received(bool ok, const Subsonic::SearchResult& reply, const std::string& error);
};

} // namespace cad

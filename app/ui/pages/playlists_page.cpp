#include "app/ui/pages/playlists_page.h"

#include "app/ui/widgets/album_tile.h"

namespace cad {

PlaylistsPage::PlaylistsPage()
    : ListPage("Playlists", { 0xE03D, "No playlists yet", "Couldn't load playlists: " }, 68)
{
    rows.make = [list = items](int index) { return playlistRow(list, index); };
}

void PlaylistsPage::request(Done done)
{
    services().subsonic.playlists(std::move(done));
}

} // namespace cad

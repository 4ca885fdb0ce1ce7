#include "app/ui/pages/artists_page.h"

#include "app/ui/widgets/album_tile.h"

namespace cad {

ArtistsPage::ArtistsPage()
    : ListPage("Artists", { 0xE7FD, "No artists", "Couldn't load artists: " }, 64)
{
    rows.make = [list = items](int index) { return artistRow(list, index); };
}

void ArtistsPage::request(Done done)
{
    services().subsonic.artists(std::move(done));
}

} // namespace cad

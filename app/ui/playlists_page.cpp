#include "app/ui/playlists_page.h"

#include "app/ui/empty_state.h"

namespace cad {

PlaylistsPage::PlaylistsPage()
    : ServerPage("Playlists", true, RefreshRule::OnlineChanged)
{
    root->add(emptyState(0xE03D, "Nothing here yet"));
}

} // namespace cad

#include "app/ui/artists_page.h"

#include "app/ui/empty_state.h"

namespace cad {

ArtistsPage::ArtistsPage()
    : ServerPage("Artists", true, RefreshRule::OnlineChanged)
{
    root->add(emptyState(0xE7FD, "Nothing here yet"));
}

} // namespace cad

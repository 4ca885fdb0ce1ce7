#include "app/ui/albums_page.h"

#include "app/ui/empty_state.h"

namespace cad {

AlbumsPage::AlbumsPage()
    : ServerPage("Albums", true, RefreshRule::OnlineChanged)
{
    root->add(emptyState(0xE019, "Nothing here yet"));
}

} // namespace cad

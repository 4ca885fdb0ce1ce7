#include "app/ui/favorites_page.h"

#include "app/ui/empty_state.h"

namespace cad {

FavoritesPage::FavoritesPage()
    : ServerPage("Favorites", true, RefreshRule::Always)
{
    root->add(emptyState(0xE87D, "Nothing here yet"));
}

} // namespace cad

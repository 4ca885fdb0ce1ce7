#include "app/ui/home_page.h"

#include "app/ui/empty_state.h"

namespace cad {

HomePage::HomePage()
    : ServerPage("Home", true, RefreshRule::Stale)
{
    root->add(emptyState(0xE88A, "Nothing here yet"));
}

} // namespace cad

#include "app/ui/offline_page.h"

#include "app/ui/empty_state.h"

namespace cad {

OfflinePage::OfflinePage()
    : Page("Offline", true)
{
    root->add(emptyState(0xE90A, "Nothing here yet"));
}

} // namespace cad

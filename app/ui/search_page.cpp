#include "app/ui/search_page.h"

#include "app/ui/empty_state.h"

namespace cad {

SearchPage::SearchPage()
    : Page("Search", true)
{
    root->add(emptyState(0xE8B6, "Nothing here yet"));
}

} // namespace cad

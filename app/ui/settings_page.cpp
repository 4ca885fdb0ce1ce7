#include "app/ui/settings_page.h"

#include "app/ui/empty_state.h"

namespace cad {

SettingsPage::SettingsPage()
    : Page("Settings", true)
{
    root->add(emptyState(0xE8B8, "Nothing here yet"));
}

} // namespace cad

#include "app/ui/now_playing_page.h"

#include "app/ui/empty_state.h"

namespace cad {

NowPlayingPage::NowPlayingPage()
    : Page("Now playing", false)
{
    root->add(emptyState(0xE405, "Nothing here yet"));
}

} // namespace cad

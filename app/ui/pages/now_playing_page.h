#pragma once
// cad::NowPlayingPage — the "Now playing" navigation page: one NowPlayingPanel, a
// queue button after the title, L2/R2 seeking 10 s back and forward (not
// listed in the hint bar) and Triangle showing the lyrics (listed). No mini player at its foot.

#include "app/ui/widgets/now_playing_panel.h"
#include "app/ui/page.h"

namespace cad {

class NowPlayingPage : public Page {
public:
    NowPlayingPage();

    std::shared_ptr<NowPlayingPanel> panel;
};

} // namespace cad

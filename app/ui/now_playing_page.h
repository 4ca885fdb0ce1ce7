#pragma once
// cad::NowPlayingPage — the "Now playing" navigation page. Its content is not built yet: it
// shows an empty state.

#include "app/ui/page.h"

namespace cad {

class NowPlayingPage : public Page {
public:
    NowPlayingPage();
};

} // namespace cad

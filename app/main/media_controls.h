#pragma once
// The player on the desktop's media controls (MPRIS over the session bus): the
// controller starts it once the player exists, calls frame() every frame and stop()
// before the player goes. Without a session bus (many handhelds) it logs one line and
// stays off.

#include "app/player/mpris_service.h"

#include <string>

namespace vell {
class Engine;
}

namespace cad {

class PlayerCore;

class MediaControls {
public:
    // The bus name taken, or kNoBusNote when there are no media controls.
    std::string start(PlayerCore& player, vell::Engine& engine);
    // Answers the bus's requests, then announces what changed.
    void frame();
    void stop();

private:
    void raiseWindow();

    PlayerCore* m_player = nullptr;
    vell::Engine* m_engine = nullptr;
    MprisService m_service;
};

} // namespace cad

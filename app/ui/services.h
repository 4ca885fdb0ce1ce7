#pragma once
// cad::Services — the process-wide services every page and the controller share:
// the HTTP client, the Subsonic client, the settings store, the cover cache, the
// offline downloads and a pointer to the player. Created on the
// first call of services() (thread-safe first construction), destroyed at exit.
// UI thread only, apart from what Net itself documents as thread-safe.
//
//   auto& s = cad::services();
//   s.subsonic.ping([](bool ok, const std::string& error) { ... });

#include "app/core/store.h"
#include "app/net/covers.h"
#include "app/net/net.h"
#include "app/net/subsonic.h"
#include "app/player/downloads.h"
#include "app/player/lyrics_cache.h"

namespace vell {
class Engine;
}

namespace cad {

class PlayerCore;

struct Services {
    Services() = default;
    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;

    // Net's construction runs curl_global_init.
    Net net;
    Subsonic subsonic { net };
    Store store;
    Covers covers { net, subsonic, store };
    Downloads downloads { net, subsonic, store, covers };
    LyricsCache lyrics { subsonic, store };

    // The play queue, owned by the controller and created after the engine it plays
    // through; null before that (and in tests that build no player).
    PlayerCore* player = nullptr;
    // Set once the engine has initialised.
    vell::Engine* engine = nullptr;
    // The program's online state, recomputed by the controller.
    bool online = false;
};

Services& services();

} // namespace cad

#pragma once
// cad::Services — the process-wide services every page and the controller share:
// the HTTP client, the Subsonic client and the settings store. Created on the
// first call of services() (thread-safe first construction), destroyed at exit.
// UI thread only, apart from what Net itself documents as thread-safe.
//
//   auto& s = cad::services();
//   s.subsonic.ping([](bool ok, const std::string& error) { ... });

#include "app/core/store.h"
#include "app/net/covers.h"
#include "app/net/net.h"
#include "app/net/subsonic.h"

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
    // Not built yet: the cover cache (cad::Covers) and the download queue
    // (cad::Downloads) join here, after the store, when their layers land.

    // The play queue, created by the controller after the engine; null until then
    // (and while the player layer is not built).
    PlayerCore* player = nullptr;
    // Set once the engine has initialised.
    vell::Engine* engine = nullptr;
    // The program's online state, recomputed by the controller.
    bool online = false;
};

Services& services();

} // namespace cad

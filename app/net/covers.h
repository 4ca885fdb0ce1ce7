#pragma once
// cad::Covers — the disk cache of server cover art: one file per cover id and pixel
// size under dataDir()/covers, fetched with Net::download on the request pool.
// UI thread only (its download completions run there too).
//
//   if (covers.ready(song.coverArt, 300)) image->setPath(covers.path(song.coverArt, 300));
//
// Download completions that arrive after reset() (or after the Covers is gone) are ignored.

#include "app/core/monotonic_clock.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace cad {

class Net;
class Subsonic;
class Store;

class Covers {
public:
    Covers(Net& net, Subsonic& subsonic, Store& store);

    // True when the file for `id` at `size` is on disk. Otherwise starts its download
    // (one per id and size; a failed one is tried again 20 s after it ended) unless
    // offline or without credentials, and returns false. An empty id gives false.
    bool ready(const std::string& id, int size);

    // dataDir() + "/covers/" + id (bytes other than ASCII letters, digits and '-'
    // become '_') + "_" + size + ".jpg".
    static std::string path(const std::string& id, int size);

    // Forgets every cover's state, so files are looked at again (after the cache
    // folder was emptied, or when the account changes).
    void reset();

    // Set by the controller whenever the online state changes.
    bool offline = false;
    // Seconds on a monotonic clock; tests replace it.
    std::function<double()> clock = monotonicSeconds;

private:
    enum State { Downloading = 0, Present = 1, Failed = 2 };
    Net& m_net;
    Subsonic& m_subsonic;
    Store& m_store;
    std::unordered_map<std::string, int> m_state;
    std::unordered_map<std::string, double> m_attempt; // clock() when the last attempt ended
    // Bumped by reset(): completions of downloads started before it are stale.
    unsigned m_generation = 0;
    // Completions hold it weakly, so one delivered after the Covers is destroyed does nothing.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);

    void startDownload(const std::string& id, int size, const std::string& key);
};

} // namespace cad

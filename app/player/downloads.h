#pragma once
// cad::Downloads — songs saved for offline listening. Keeps the list of download jobs,
// runs at most two at a time (the controller calls schedule() every frame), and records
// each finished file in the store's offline library (offline.json). UI thread only;
// transfers run on the Net's downloadPool.
//
//   downloads.toggle(album.songs);   // what every download button does
//   ... each frame: downloads.schedule();
//   downloads.deleteAll();           // the "Delete all downloads?" answer

#include "app/core/library.h"
#include "app/net/transfer.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cad {

class Net;
class Subsonic;
class Store;
class Covers;

class Downloads {
public:
    struct Item {
        enum State : int { Waiting = 1, Downloading = 2, Failed = 4 };
        Song song;
        int state = Waiting;
        std::shared_ptr<Transfer> transfer; // null unless downloading
        std::string error;                  // the last failure's text
    };

    // After every finished transfer (ok, failed or cancelled).
    std::function<void(const Song&, bool ok, const std::string& error)> onFinished;
    // Shows a toast (title, detail, icon, seconds); the controller installs it.
    std::function<void(const std::string&, const std::string&, unsigned, float)> onToast;
    // Whether the program is online (cad::Services::online); the controller installs it.
    std::function<bool()> isOnline;

    Downloads(Net& net, Subsonic& subsonic, Store& store, Covers& covers);

    // Cancels (some song waiting or downloading), removes (every song saved) or queues
    // the missing songs (online) / says "You're offline". Nothing for an empty list.
    void toggle(const std::vector<Song>& songs);
    // Starts waiting items in queue order while fewer than two download; does nothing
    // while offline.
    void schedule();
    void start(const std::shared_ptr<Item>& item);
    // Cancels everything and deletes every offline file.
    void deleteAll();
    // Raises the cancel flag of every running transfer (sign-out, shutdown).
    void cancelAll();

    // dataDir()/offline/<safe id>.<safe suffix>
    static std::string filePath(const Song& song);
    // The item for a song id, or null.
    std::shared_ptr<Item> find(const std::string& id) const;
    // Items waiting or downloading.
    int pending() const;

    std::vector<std::shared_ptr<Item>> items;
    int changeCount = 0;

private:
    Net& m_net;
    Subsonic& m_subsonic;
    Store& m_store;
    Covers& m_covers;
};

} // namespace cad

#pragma once
// cad::Downloads — songs saved for offline listening. Keeps the list of download jobs,
// runs at most two at a time (the controller calls schedule() every frame), and records
// each finished file in the store's offline library (offline.json). The list itself is
// saved with offline.json on every change, so it survives a quit or a kill. UI thread
// only; transfers run on the Net's downloadPool.
//
//   downloads.restore();             // at start-up, after store.load()
//   downloads.onToast = [](auto& title, auto& detail, unsigned icon, float s) { ... };
//   downloads.isOnline = [] { return services().online; };
//   downloads.onFinished = DownloadToasts(...);   // app/player/download_toasts.h
//   downloads.toggle(album.songs);   // what every download button does
//   ... each frame: net.poll(); downloads.schedule();
//   downloads.deleteAll();           // the "Delete all downloads?" answer
//   downloads.suspend();             // at exit: the list is kept for the next run
//
// Files are only ever deleted directly inside dataDir()/offline: a library entry whose
// path points elsewhere is dropped from the library but its file is left alone.

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

    // After every finished transfer (ok, failed or cancelled; a cancelled one reports
    // ok false and the error "cancelled"). Items finished this way are already updated,
    // so pending() counts what is left.
    std::function<void(const Song&, bool ok, const std::string& error)> onFinished;
    // Shows a toast (title, detail, icon code point, seconds); the controller installs it.
    std::function<void(const std::string&, const std::string&, unsigned, float)> onToast;
    // Whether the program is online (cad::Services::online, false while offline mode is
    // forced); the controller installs it. Unset counts as offline.
    std::function<bool()> isOnline;

    Downloads(Net& net, Subsonic& subsonic, Store& store, Covers& covers);
    Downloads(const Downloads&) = delete;
    Downloads& operator=(const Downloads&) = delete;

    // Cancels (some song waiting or downloading), removes (every song saved) or queues
    // the missing songs (online) / says "You're offline". Nothing for an empty list.
    // Songs with an empty id are never queued.
    void toggle(const std::vector<Song>& songs);
    // Starts waiting items in queue order while fewer than two download; does nothing
    // while offline.
    void schedule();
    void start(const std::shared_ptr<Item>& item);
    // Cancels everything, deletes every offline file (and stray files left in the
    // offline folder) and empties the library; toasts "Downloads deleted".
    void deleteAll();
    // Raises the cancel flag of every running transfer and drops the waiting and failed
    // items (sign-out). Running items go when their transfer reports back.
    void cancelAll();
    // Rebuilds the list from the store's saved downloads, in their order: waiting ones
    // start through schedule() when online, failed ones stay failed until retried.
    // Songs already in the library and repeated ids are skipped.
    void restore();
    // Shutdown: saves the list with running items as waiting, then raises the cancel
    // flag of every running transfer. Their "cancelled" completions change nothing, so
    // the next run downloads them again from the start; a song that finished anyway is
    // recorded as usual.
    void suspend();

    // dataDir()/offline/<safe id>.<safe suffix>
    static std::string filePath(const Song& song);
    // The item for a song id, or null.
    std::shared_ptr<Item> find(const std::string& id) const;
    // Items waiting or downloading.
    int pending() const;
    // Items downloading.
    int running() const;

    std::vector<std::shared_ptr<Item>> items;
    int changeCount = 0;

private:
    void cancel(const std::vector<Song>& songs);
    void remove(const std::vector<Song>& songs);
    void queue(const std::vector<Song>& songs);
    void finish(const std::shared_ptr<Item>& item, const std::string& path, bool ok, std::string error);
    void erase(const std::shared_ptr<Item>& item);
    // Copies the list into the store's saved downloads; persist() also writes offline.json.
    void syncStore();
    void persist();
    bool online() const { return isOnline && isOnline(); }
    void toast(const std::string& title, const std::string& detail, unsigned icon) const;

    Net& m_net;
    Subsonic& m_subsonic;
    Store& m_store;
    Covers& m_covers;
    bool m_suspended = false;
    // Completions hold a weak reference: one arriving after this object is gone is dropped.
    std::shared_ptr<char> m_alive = std::make_shared<char>();
};

} // namespace cad

#include "app/player/downloads.h"

#include "app/core/platform.h"
#include "app/core/safe_name.h"
#include "app/core/store.h"
#include "app/net/covers.h"
#include "app/net/net.h"
#include "app/net/subsonic.h"

#include <algorithm>
#include <filesystem>

namespace cad {

namespace {

namespace fs = std::filesystem;

constexpr unsigned kIconDelete = 0xE872;
constexpr unsigned kIconCloudDownload = 0xE2C4;
constexpr unsigned kIconCloudOff = 0xE2C1;
constexpr float kConfirmSeconds = 3.5f;
constexpr int kMaxRunning = 2;
const char* const kCancelled = "cancelled";

std::string offlineDir()
{
    return platform::dataDir() + "/offline";
}

// offline.json may be damaged or edited: only a name directly inside our own folder
// is ours to delete.
bool insideOfflineFolder(const std::string& file)
{
    const fs::path path(file);
    const fs::path name = path.filename();
    if (name.empty() || name == "." || name == "..")
        return false;
    std::error_code ec;
    const fs::path parent = fs::canonical(path.parent_path(), ec);
    if (ec)
        return false;
    const fs::path folder = fs::canonical(offlineDir(), ec);
    return !ec && parent == folder;
}

void removeOwnFile(const std::string& file)
{
    if (!insideOfflineFolder(file))
        return;
    platform::removeFile(file);
    platform::removeFile(lyricsPathFor(file)); // saved beside it by the lyrics view

}

bool active(const Downloads::Item& item)
{
    return item.state == Downloads::Item::Waiting || item.state == Downloads::Item::Downloading;
}

} // namespace

Downloads::Downloads(Net& net, Subsonic& subsonic, Store& store, Covers& covers)
    : m_net(net)
    , m_subsonic(subsonic)
    , m_store(store)
    , m_covers(covers)
{
}

std::string Downloads::filePath(const Song& song)
{
    return offlineDir() + "/" + safeFileStem(song.id) + "." + safeSuffix(song.suffix);
}

std::shared_ptr<Downloads::Item> Downloads::find(const std::string& id) const
{
    if (id.empty())
        return nullptr;
    for (const auto& item : items) {
        if (item->song.id == id)
            return item;
    }
    return nullptr;
}

int Downloads::pending() const
{
    return static_cast<int>(std::count_if(items.begin(), items.end(),
        [](const std::shared_ptr<Item>& item) { return active(*item); }));
}

int Downloads::running() const
{
    return static_cast<int>(std::count_if(items.begin(), items.end(),
        [](const std::shared_ptr<Item>& item) { return item->state == Item::Downloading; }));
}

void Downloads::toggle(const std::vector<Song>& songs)
{
    if (songs.empty())
        return;
    const bool anyActive = std::any_of(songs.begin(), songs.end(), [&](const Song& song) {
        const auto item = find(song.id);
        return item && active(*item);
    });
    const bool allSaved = std::all_of(songs.begin(), songs.end(),
        [&](const Song& song) { return m_store.offlineEntry(song.id) != nullptr; });
    if (anyActive)
        cancel(songs);
    else if (allSaved)
        remove(songs);
    else if (online())
        queue(songs);
    else
        toast("You're offline", "Connect to the server to download", kIconCloudOff);
}

void Downloads::cancel(const std::vector<Song>& songs)
{
    for (const Song& song : songs) {
        const auto item = find(song.id);
        if (!item)
            continue;
        // A running item goes when its transfer reports back.
        if (item->transfer) {
            item->transfer->cancel = true;
            continue;
        }
        erase(item);
        ++changeCount;
    }
    persist();
}

void Downloads::remove(const std::vector<Song>& songs)
{
    for (const Song& song : songs) {
        const auto sameId = [&](const OfflineEntry& entry) { return entry.song.id == song.id; };
        for (const OfflineEntry& entry : m_store.offline) {
            if (sameId(entry))
                removeOwnFile(entry.file);
        }
        std::erase_if(m_store.offline, sameId);
        ++m_store.offlineCount;
        ++changeCount;
    }
    m_store.saveOffline();
    toast(songs.size() > 1 ? "Removed downloads" : "Removed download", "", kIconDelete);
}

void Downloads::queue(const std::vector<Song>& songs)
{
    for (const Song& song : songs) {
        // An empty id has no file name and no download URL.
        if (song.id.empty() || m_store.offlineEntry(song.id))
            continue;
        if (const auto item = find(song.id)) {
            if (item->state == Item::Failed) {
                item->state = Item::Waiting;
                item->error.clear();
                item->transfer.reset();
                ++changeCount;
            }
            continue;
        }
        items.push_back(std::make_shared<Item>(Item{ song, Item::Waiting, nullptr, {} }));
        ++changeCount;
    }
    persist();
    const std::string what = songs.size() == 1 ? songs.front().title : std::to_string(songs.size()) + " songs";
    toast("Downloading " + what, "", kIconCloudDownload);
}

void Downloads::schedule()
{
    if (!online())
        return;
    int running = this->running();
    for (const auto& item : items) {
        if (running >= kMaxRunning)
            break;
        if (item->state != Item::Waiting)
            continue;
        start(item);
        ++running;
    }
}

void Downloads::start(const std::shared_ptr<Item>& item)
{
    item->state = Item::Downloading;
    ++changeCount;
    const std::string path = filePath(item->song);
    std::weak_ptr<Item> weakItem = item;
    std::weak_ptr<char> alive = m_alive;
    item->transfer = m_net.download(m_subsonic.downloadUrl(item->song), path,
        [this, weakItem, alive, path](bool ok, const std::string& error) {
            const auto self = alive.lock();
            const auto finished = weakItem.lock();
            if (self && finished)
                finish(finished, path, ok, error);
        },
        false);
}

void Downloads::finish(const std::shared_ptr<Item>& item, const std::string& path, bool ok, std::string error)
{
    // Erased meanwhile (a widget may still hold it): the result is nobody's.
    if (std::find(items.begin(), items.end(), item) == items.end())
        return;
    // Stopped for exit: the item stays saved as waiting for the next run.
    if (!ok && error == kCancelled && m_suspended) {
        item->state = Item::Waiting;
        item->transfer.reset();
        return;
    }
    // The user cancelled before this result arrived: the song must not come back.
    if (ok && !m_suspended && item->transfer && item->transfer->cancel) {
        const OfflineEntry* saved = m_store.offlineEntry(item->song.id);
        if (!saved || saved->file != path)
            removeOwnFile(path);
        ok = false;
        error = kCancelled;
    }
    const Song song = item->song;
    if (ok) {
        erase(item);
        syncStore();
        m_store.addOffline(song, path); // writes the list too
        // Covers are fetched now so they show while offline.
        if (!song.coverArt.empty()) {
            m_covers.ready(song.coverArt, 300);
            m_covers.ready(song.coverArt, 600);
        }
    } else {
        if (error == kCancelled) {
            erase(item);
        } else {
            item->state = Item::Failed;
            item->error = error;
            item->transfer.reset();
        }
        persist();
    }
    ++changeCount;
    if (onFinished)
        onFinished(song, ok, error);
}

void Downloads::erase(const std::shared_ptr<Item>& item)
{
    std::erase(items, item);
}

void Downloads::cancelAll()
{
    for (const auto& item : items) {
        if (item->transfer)
            item->transfer->cancel = true;
    }
    std::erase_if(items, [](const std::shared_ptr<Item>& item) { return !item->transfer; });
    ++changeCount;
    persist();
}

void Downloads::restore()
{
    items.clear();
    for (const SavedDownload& saved : m_store.downloads) {
        if (saved.song.id.empty() || find(saved.song.id) || m_store.offlineEntry(saved.song.id))
            continue;
        const int state = saved.failed ? Item::Failed : Item::Waiting;
        items.push_back(std::make_shared<Item>(Item{ saved.song, state, nullptr, saved.failed ? saved.error : "" }));
    }
    ++changeCount;
}

void Downloads::suspend()
{
    // Ones the user cancelled already are not brought back.
    std::erase_if(items, [](const std::shared_ptr<Item>& item) { return item->transfer && item->transfer->cancel; });
    m_suspended = true;
    persist();
    for (const auto& item : items) {
        if (item->transfer)
            item->transfer->cancel = true;
    }
}

void Downloads::syncStore()
{
    m_store.downloads.clear();
    for (const auto& item : items) {
        // A cancelled transfer is on its way out, unless it was stopped for exit.
        if (!m_suspended && item->transfer && item->transfer->cancel)
            continue;
        const bool failed = item->state == Item::Failed;
        m_store.downloads.push_back({ item->song, failed, failed ? item->error : "" });
    }
}

void Downloads::persist()
{
    syncStore();
    m_store.saveOffline();
}

void Downloads::deleteAll()
{
    cancelAll();
    for (const OfflineEntry& entry : m_store.offline)
        removeOwnFile(entry.file);
    m_store.offline.clear();
    ++m_store.offlineCount;
    m_store.saveOffline();

    // Finished files no entry lists (a crash between rename and save, a damaged
    // offline.json). Temporaries stay with the transfers still writing them; leftovers
    // of an earlier run go with the start-up sweep of temporaries.
    for (const auto& file : platform::listFiles(offlineDir())) {
        if (file.regular && !file.path.ends_with(".part"))
            platform::removeFile(file.path);
    }
    toast("Downloads deleted", "", kIconDelete);
}

void Downloads::toast(const std::string& title, const std::string& detail, unsigned icon) const
{
    if (onToast)
        onToast(title, detail, icon, kConfirmSeconds);
}

} // namespace cad

#include "app/player/lyrics_cache.h"

#include "app/core/platform.h"
#include "app/core/store.h"
#include "app/net/subsonic.h"

#include <algorithm>
#include <functional>
#include <set>

namespace cad {

LyricsCache::LyricsCache(Subsonic& subsonic, Store& store)
    : m_subsonic(subsonic)
    , m_store(store)
{
}

const LyricsCache::Entry& LyricsCache::get(const Song& song)
{
    auto found = m_entries.find(song.id);
    if (found != m_entries.end())
        return found->second;
    Entry& entry = m_entries[song.id];
    if (readSaved(song, entry)) {
        ++changeCount;
        return entry;
    }
    fetch(song);
    return m_entries[song.id];
}

void LyricsCache::retry(const Song& song)
{
    auto found = m_entries.find(song.id);
    if (found != m_entries.end() && found->second.state != Failed)
        return;
    m_entries.erase(song.id);
    get(song);
}

void LyricsCache::clear()
{
    m_entries.clear();
    m_waiting.clear();
    m_support = NotAsked;
    m_supportServer.clear();
    m_queueHash = 0;
    ++changeCount;
}

void LyricsCache::forgetFailures()
{
    if (std::erase_if(m_entries, [](const auto& item) { return item.second.state == Failed; }) > 0)
        ++changeCount;
}

bool LyricsCache::readSaved(const Song& song, Entry& entry) const
{
    const OfflineEntry* download = m_store.offlineEntry(song.id);
    if (!download)
        return false;
    bool parsed = false;
    const Json saved = parse(platform::readFile(lyricsPathFor(download->file)), parsed);
    if (!parsed || !saved.isObject())
        return false;
    entry.state = Ready;
    entry.all = structuredLyricsFromJson(saved);
    entry.chosen = chooseLyrics(entry.all, language);
    return true;
}

void LyricsCache::fetch(const Song& song)
{
    Entry& entry = m_entries[song.id];
    if (offline || !m_store.hasCredentials()) {
        entry.state = Failed;
        entry.error = "Lyrics aren't available offline";
        ++changeCount;
        return;
    }
    entry.state = Loading;
    entry.error.clear();
    ++changeCount;

    const std::string server = m_store.url + "\n" + m_store.user;
    if (server != m_supportServer) {
        m_supportServer = server;
        m_support = NotAsked;
    }
    if (m_support == NotAsked || m_support == Asking) {
        m_waiting.push_back(song);
        if (m_support == Asking)
            return;
        m_support = Asking;
        std::weak_ptr<char> alive = m_lifetime;
        m_subsonic.openSubsonicExtensions(
            [this, alive](bool ok, const std::vector<std::string>& names, const std::string&) {
                if (alive.expired())
                    return;
                // A server without OpenSubsonic fails the call: it has getLyrics only.
                const bool lyrics = ok && std::find(names.begin(), names.end(), "songLyrics") != names.end();
                m_support = lyrics ? Structured : PlainOnly;
                std::vector<Song> waiting;
                waiting.swap(m_waiting);
                for (const Song& next : waiting)
                    fetch(next);
            });
        return;
    }

    ++requests;
    std::weak_ptr<char> alive = m_lifetime;
    auto done = [this, alive, id = song.id](bool ok, const std::vector<Lyrics>& all, const std::string& error) {
        if (!alive.expired())
            finish(id, ok, all, error);
    };
    if (m_support == Structured)
        m_subsonic.lyricsBySongId(song.id, done);
    else
        m_subsonic.lyrics(song.artist, song.title, done);
}

void LyricsCache::finish(const std::string& id, bool ok, std::vector<Lyrics> all, const std::string& error)
{
    auto found = m_entries.find(id);
    if (found == m_entries.end())
        return; // the song left the queue meanwhile
    Entry& entry = found->second;
    ++changeCount;
    if (!ok) {
        entry.state = Failed;
        entry.error = error;
        return;
    }
    entry.state = Ready;
    entry.all = std::move(all);
    entry.chosen = chooseLyrics(entry.all, language);
    saveBesideDownload(id, entry);
}

void LyricsCache::saveBesideDownload(const std::string& id, const Entry& entry) const
{
    const OfflineEntry* download = m_store.offlineEntry(id);
    if (!download || entry.state != Ready)
        return;
    const std::string path = lyricsPathFor(download->file);
    if (!platform::fileExists(path))
        platform::writeFileAtomic(path, lyricsListToJson(entry.all).dump(-1));
}

void LyricsCache::follow(const std::vector<Song>& queue, int offlineCount)
{
    size_t hash = queue.size();
    for (const Song& song : queue)
        hash = hash * 31 + std::hash<std::string> {}(song.id);
    if (hash != m_queueHash) {
        m_queueHash = hash;
        std::set<std::string> keep;
        for (const Song& song : queue)
            keep.insert(song.id);
        // Songs still loading stay: their reply is on its way and costs nothing to keep.
        std::erase_if(m_entries, [&](const auto& item) { return !keep.count(item.first) && item.second.state != Loading; });
    }
    if (offlineCount != m_offlineCount) {
        m_offlineCount = offlineCount;
        for (const auto& [id, entry] : m_entries)
            saveBesideDownload(id, entry);
    }
}

} // namespace cad

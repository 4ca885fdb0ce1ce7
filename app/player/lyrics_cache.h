#pragma once
// cad::LyricsCache — the lyrics of the songs in the play queue, each fetched once.
// A downloaded song reads them from the file saved beside it (lyricsPathFor) and gets
// that file written once they are known, so they show offline. Online, the server is
// asked with getLyricsBySongId when it announces the "songLyrics" extension, otherwise
// with getLyrics by artist and title. UI thread only.
//
//   const LyricsCache::Entry& entry = cache.get(song); // starts the fetch when unknown
//   if (entry.state == LyricsCache::Ready && entry.chosen >= 0) show(entry.all[entry.chosen]);
//   ... on Retry: cache.retry(song);
//   ... each frame: cache.follow(player.queue, store.offlineCount);

#include "app/core/library.h"
#include "app/net/lyrics.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace cad {

class Store;
class Subsonic;

class LyricsCache {
public:
    enum State { Unknown, Loading, Ready, Failed };

    struct Entry {
        State state = Unknown;
        std::vector<Lyrics> all; // empty when the song has none
        int chosen = -1;         // the entry to show (chooseLyrics), -1 when none
        std::string error;       // why it failed
    };

    LyricsCache(Subsonic& subsonic, Store& store);
    LyricsCache(const LyricsCache&) = delete;
    LyricsCache& operator=(const LyricsCache&) = delete;

    // The song's entry; an unknown song's lyrics are read or fetched now.
    const Entry& get(const Song& song);
    // Fetches a failed song's lyrics again.
    void retry(const Song& song);
    // Forgets everything, replies on their way included (signing out).
    void clear();
    // Forgets every failure, so those songs are fetched again when next shown (back online).
    void forgetFailures();
    // Forgets songs no longer in `queue` and saves known lyrics beside new downloads;
    // cheap when neither changed since the last call.
    void follow(const std::vector<Song>& queue, int offlineCount);

    bool offline = false;              // set by the controller with the online state
    std::string language = systemLanguage();
    int changeCount = 0;               // bumped whenever an entry changes
    int requests = 0;                  // lyrics requests sent (tests)

private:
    void fetch(const Song& song);
    void finish(const std::string& id, bool ok, std::vector<Lyrics> all, const std::string& error);
    void saveBesideDownload(const std::string& id, const Entry& entry) const;
    bool readSaved(const Song& song, Entry& entry) const;

    Subsonic& m_subsonic;
    Store& m_store;
    std::map<std::string, Entry> m_entries;
    // Whether the server announced "songLyrics": unknown until asked, once per sign-in.
    enum Support { NotAsked, Asking, Structured, PlainOnly } m_support = NotAsked;
    std::string m_supportServer; // url + user the support was learnt from
    std::vector<Song> m_waiting;  // songs waiting for the extensions answer
    size_t m_queueHash = 0;
    int m_offlineCount = -1;
    std::shared_ptr<char> m_lifetime = std::make_shared<char>();
};

} // namespace cad

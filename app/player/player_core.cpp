#include "app/player/player_core.h"

#include "app/core/json.h"
#include "app/core/platform.h"
#include "app/core/safe_name.h"
#include "app/core/store.h"
#include "app/net/net.h"
#include "app/net/subsonic.h"
#include "app/player/stream_cache_trim.h"
#include "vell/music_player.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

namespace cad {

namespace {

using vell::MusicState;

std::string quoted(const std::string& title)
{
    return "\"" + title + "\"";
}

std::string tracksDir()
{
    return platform::cacheDir() + "/tracks";
}

int64_t wallClockMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

PlayerCore::PlayerCore(Net& net, Subsonic& subsonic, Store& store, vell::MusicPlayer& music)
    : m_net(net)
    , m_subsonic(subsonic)
    , m_store(store)
    , m_music(music)
    , m_rng(std::random_device("default")())
{
    m_music.onFinished = [this] { trackFinished(); };
    m_music.onAdvanced = [this](const std::string& path) { trackAdvanced(path); };
}

PlayerCore::~PlayerCore()
{
    m_music.onFinished = nullptr;
    m_music.onAdvanced = nullptr;
}

const Song* PlayerCore::current() const
{
    if (index < 0 || index >= static_cast<int>(queue.size()))
        return nullptr;
    return &queue[static_cast<size_t>(index)];
}

bool PlayerCore::isOnline() const
{
    return !offline && !m_store.offlineForced;
}

std::string PlayerCore::account() const
{
    if (m_subsonic.url().empty() && m_subsonic.user().empty())
        return {};
    return m_subsonic.url() + "\n" + m_subsonic.user();
}

std::string PlayerCore::cachePath(const Song& song) const
{
    const int kbps = m_store.streamKbps;
    const std::string extension = kbps > 0 ? std::string("mp3") : safeSuffix(song.suffix);
    return tracksDir() + "/" + safeFileStem(song.id) + "_" + std::to_string(kbps) + "." + extension;
}

std::string PlayerCore::localPath(const Song& song) const
{
    if (song.id.empty())
        return {};
    if (const OfflineEntry* entry = m_store.offlineEntry(song.id))
        return entry->file;
    const std::string cached = cachePath(song);
    if (platform::fileExists(cached) && platform::fileSize(cached) > 0)
        return cached;
    return {};
}

// ---- transport

void PlayerCore::cancelStream()
{
    if (m_streamTransfer)
        m_streamTransfer->cancel = true;
    m_streamTransfer.reset();
    fetching = false;
}

void PlayerCore::shuffleAround(int p)
{
    const int n = static_cast<int>(queue.size());
    p = std::clamp(p, 0, n - 1);
    std::vector<Song> order{queue[static_cast<size_t>(p)]};
    for (int k = 0; k < n; ++k) {
        if (k != p)
            order.push_back(queue[static_cast<size_t>(k)]);
    }
    std::shuffle(order.begin() + 1, order.end(), m_rng);
    queue = std::move(order);
    index = 0;
}

void PlayerCore::setQueue(std::vector<Song> songs, int i)
{
    if (songs.empty())
        return;
    queue = std::move(songs);
    unshuffled = queue;
    const int n = static_cast<int>(queue.size());
    if (shuffle)
        shuffleAround(std::max(i, 0));
    else
        index = std::clamp(i, 0, n - 1);
    ++changeCount;
    playIndex(index);
}

void PlayerCore::playIndex(int i)
{
    if (queue.empty())
        return;
    index = std::clamp(i, 0, static_cast<int>(queue.size()) - 1);
    const Song song = queue[static_cast<size_t>(index)];
    ++playGeneration;
    scrobbled = false;
    nowPlayingSent = false;
    playedSeconds = 0;
    startedAt = wallClockMs();
    active = false;
    awaitingStart = false;
    m_startedCacheFile.clear();
    cancelStream();
    m_music.stop();
    ++changeCount;

    if (song.id.empty()) {
        // Nothing names the song on the server or on disk.
        failCurrent("Couldn't load " + quoted(song.title) + " (no song id)");
        return;
    }
    const std::string path = localPath(song);
    if (!path.empty()) {
        startFile(song, path, m_store.offlineEntry(song.id) == nullptr);
        return;
    }
    if (isOnline()) {
        fetchCurrent(song);
        return;
    }
    failCurrent(quoted(song.title) + " is not available offline");
}

void PlayerCore::failCurrent(const std::string& message)
{
    ++changeCount;
    active = false;
    fetching = false;
    awaitingStart = false;
    if (onMessage)
        onMessage(message);
}

void PlayerCore::startFile(const Song& song, const std::string& path, bool cacheFile)
{
    platform::touchFile(path);
    m_music.play(path);
    if (m_music.duration() <= 0)
        m_music.setDuration(song.duration);
    m_startedCacheFile = cacheFile ? path : std::string();
    applyNormalisation();
    ++changeCount;
    active = true;
    awaitingStart = true;
    prefetch();
}

void PlayerCore::fetchCurrent(const Song& song)
{
    fetching = true;
    const int generation = playGeneration;
    const std::string path = cachePath(song);
    m_streamTransfer = fetchToCache(song, [this, generation, song, path](bool ok, const std::string& error) {
        if (generation != playGeneration)
            return;
        fetching = false;
        m_streamTransfer.reset();
        if (ok) {
            // Already sounding from the growing file, which now sits at its cache name.
            platform::touchFile(path);
            m_startedCacheFile = path;
            ++changeCount;
            prefetch();
            return;
        }
        if (error == "cancelled")
            return;
        m_music.stop();
        failCurrent("Couldn't load " + quoted(song.title) + " (" + error + ")");
    });
    // Sound starts with the first bytes: the player follows the transfer's temporary file,
    // which is renamed to `path` once complete.
    const std::shared_ptr<Transfer> transfer = m_streamTransfer;
    m_music.playGrowing(transfer->partPath, path, [transfer] { return !transfer->done.load(); });
    if (m_music.duration() <= 0)
        m_music.setDuration(song.duration);
    applyNormalisation();
    ++changeCount;
    active = true;
    awaitingStart = true;
}

std::shared_ptr<Transfer> PlayerCore::fetchToCache(const Song& song, std::function<void(bool, const std::string&)> done)
{
    // Net writes its own temporary and renames it into place, so a fetch to
    // the same path (the prefetch and the play) never sees half a file.
    const std::string path = cachePath(song);
    std::weak_ptr<char> alive = m_lifetime;
    auto finished = [path, alive, done = std::move(done)](bool ok, const std::string& error) {
        if (ok)
            trimStreamCache(tracksDir(), kStreamCacheLimit, path);
        if (done && !alive.expired())
            done(ok, error);
    };
    return m_net.fetchStream(m_subsonic.streamUrl(song, m_store.streamKbps), path, std::move(finished));
}

void PlayerCore::prefetch()
{
    if (!isOnline() || queue.size() <= 1)
        return;
    size_t next = static_cast<size_t>(index) + 1;
    if (next >= queue.size()) {
        if (repeat != All)
            return;
        next = 0;
    }
    const Song& candidate = queue[next];
    if (candidate.id.empty() || !localPath(candidate).empty() || m_prefetchId == candidate.id)
        return;
    if (m_prefetchTransfer)
        m_prefetchTransfer->cancel = true;
    m_prefetchId = candidate.id;
    // Queued for the join at once: waiting for the next half-second check could leave a
    // short song without its successor when it ends.
    m_prefetchTransfer = fetchToCache(candidate, [this](bool ok, const std::string&) {
        if (ok)
            queueFollowing();
    });
}

void PlayerCore::trackFinished()
{
    active = false;
    if (repeat == One) {
        playIndex(index);
        return;
    }
    const int n = static_cast<int>(queue.size());
    const int i = index + 1;
    if (i < n) {
        playIndex(i);
        return;
    }
    if (repeat == All && n > 0) {
        playIndex(0);
        return;
    }
    ++changeCount;
}

void PlayerCore::applyNormalisation()
{
    // A song without loudness data sits this far below full scale, near where normalised
    // songs land, so the two kinds play side by side at about the same loudness.
    constexpr double kPreGainDb = -6.0;
    const Song* song = current();
    const int mode = m_store.normalisation;
    const std::string key = m_music.path() + "\n" + std::to_string(mode) + (m_music.loaded() ? "+" : "-");
    if (!song || key == m_normalisedFor)
        return;
    m_normalisedFor = key;
    if (mode == NormaliseOff) {
        m_music.setNormalisation(0, 0);
        return;
    }
    // The server's values first, then the file's own tags.
    const vell::FileGains& tags = m_music.fileGains();
    const auto pick = [](std::optional<double> server, double tag) {
        return server ? server : std::isfinite(tag) ? std::optional<double>(tag) : std::nullopt;
    };
    const ReplayGain& rg = song->replayGain;
    const auto trackGain = pick(rg.trackGain, tags.trackGain);
    const auto albumGain = pick(rg.albumGain, tags.albumGain);
    const auto trackPeak = pick(rg.trackPeak, tags.trackPeak);
    const auto albumPeak = pick(rg.albumPeak, tags.albumPeak);
    const bool album = mode == NormaliseAlbum && albumGain;
    const auto gain = album ? albumGain : trackGain ? trackGain : albumGain;
    if (!gain) {
        m_music.setNormalisation(kPreGainDb, 0);
        return;
    }
    const auto peak = album || !trackGain ? (albumPeak ? albumPeak : trackPeak) : (trackPeak ? trackPeak : albumPeak);
    m_music.setNormalisation(*gain, peak.value_or(0));
}

int PlayerCore::followingIndex() const
{
    const int n = static_cast<int>(queue.size());
    if (repeat == One || index < 0 || n == 0)
        return -1;
    if (index + 1 < n)
        return index + 1;
    return repeat == All ? 0 : -1;
}

void PlayerCore::queueFollowing()
{
    if (!active || m_music.state() != MusicState::Playing)
        return;
    const int i = followingIndex();
    const std::string path = i >= 0 ? localPath(queue[static_cast<size_t>(i)]) : std::string();
    if (path != m_music.queuedNext())
        m_music.queueNext(path);
}

void PlayerCore::trackAdvanced(const std::string& path)
{
    const int i = followingIndex();
    const Song* song = i >= 0 ? &queue[static_cast<size_t>(i)] : nullptr;
    if (!song || localPath(*song) != path) {
        // The queue changed after the file was queued: follow the rules from scratch.
        m_music.stop();
        trackFinished();
        return;
    }
    // What playIndex does, except that the music is already playing.
    index = i;
    ++playGeneration;
    scrobbled = false;
    nowPlayingSent = false;
    playedSeconds = 0;
    startedAt = wallClockMs();
    cancelStream();
    platform::touchFile(path);
    m_startedCacheFile = m_store.offlineEntry(song->id) ? std::string() : path;
    if (m_music.duration() <= 0)
        m_music.setDuration(song->duration);
    m_normalisedFor.clear();
    applyNormalisation();
    ++changeCount;
    active = true;
    awaitingStart = false;
    prefetch();
}

void PlayerCore::next()
{
    if (queue.empty())
        return;
    const int i = index + 1;
    playIndex(i >= static_cast<int>(queue.size()) ? 0 : i);
}

void PlayerCore::previous()
{
    if (queue.empty())
        return;
    if (m_music.position() > 3.0) {
        if (m_music.loaded())
            m_music.seek(0);
        return;
    }
    int i = index - 1;
    if (i < 0)
        i = repeat != Off ? static_cast<int>(queue.size()) - 1 : 0;
    playIndex(i);
}

void PlayerCore::togglePause()
{
    if (queue.empty() || (fetching && !active) || m_music.state() == MusicState::Loading)
        return;
    if (!active) {
        playIndex(std::max(index, 0));
        return;
    }
    if (m_music.state() == MusicState::Playing)
        m_music.pause();
    else if (m_music.state() == MusicState::Paused)
        m_music.resume();
}

void PlayerCore::setShuffle(bool on)
{
    if (on == shuffle)
        return;
    shuffle = on;
    if (queue.empty())
        return;
    if (on) {
        unshuffled = queue;
        shuffleAround(index);
    } else {
        const Song* playing = current();
        const std::optional<std::string> id = playing ? std::optional(playing->id) : std::nullopt;
        queue = unshuffled;
        index = 0;
        for (size_t k = 0; k < queue.size(); ++k) {
            if (queue[k].id == id)
                index = static_cast<int>(k);
        }
    }
    ++changeCount;
}

void PlayerCore::stop()
{
    ++playGeneration;
    cancelStream();
    m_music.stop();
    active = false;
    fetching = false;
    awaitingStart = false;
    ++changeCount;
}

void PlayerCore::cycleRepeat()
{
    repeat = repeat == Off ? All : repeat == All ? One : Off;
    ++changeCount;
}

double PlayerCore::knownDuration() const
{
    if (m_music.duration() > 0)
        return m_music.duration();
    const Song* song = current();
    return song && song->duration > 0 ? song->duration : 0.0;
}

void PlayerCore::seekFraction(float f)
{
    const double d = knownDuration();
    if (!active || d <= 0 || !m_music.loaded())
        return;
    double target = f < 0 ? 0.0 : f > 1 ? d : d * f;
    if (m_music.duration() > 0)
        target = std::min(target, m_music.duration());
    m_music.seek(std::max(target, 0.0));
}

void PlayerCore::seekBy(double seconds)
{
    const double d = knownDuration();
    if (!active || d <= 0)
        return;
    seekFraction(static_cast<float>((m_music.position() + seconds) / d));
}

void PlayerCore::setVolume(float v)
{
    m_music.setVolume(v);
    m_store.volume = m_music.volume();
}

void PlayerCore::addToQueue(const Song& song)
{
    if (queue.empty()) {
        setQueue({song}, 0);
        return;
    }
    queue.push_back(song);
    unshuffled.push_back(song);
    ++changeCount;
}

void PlayerCore::playNext(const Song& song)
{
    if (queue.empty()) {
        setQueue({song}, 0);
        return;
    }
    const size_t at = std::min(static_cast<size_t>(std::max(index + 1, 0)), queue.size());
    queue.insert(queue.begin() + static_cast<std::ptrdiff_t>(at), song);
    unshuffled.push_back(song);
    ++changeCount;
}

void PlayerCore::removeAt(int i)
{
    if (i < 0 || i >= static_cast<int>(queue.size()))
        return;
    const int oldIndex = index;
    const std::string id = queue[static_cast<size_t>(i)].id;
    queue.erase(queue.begin() + i);
    const auto match = std::find_if(unshuffled.begin(), unshuffled.end(), [&](const Song& s) { return s.id == id; });
    if (match != unshuffled.end())
        unshuffled.erase(match);
    if (i < index)
        --index;
    ++changeCount;
    if (queue.empty()) {
        ++playGeneration;
        cancelStream();
        m_music.stop();
        active = false;
        awaitingStart = false;
        index = -1;
        return;
    }
    if (i == oldIndex) {
        index = std::min(oldIndex, static_cast<int>(queue.size()) - 1);
        playIndex(index);
    }
}

void PlayerCore::clear()
{
    ++playGeneration;
    cancelStream();
    m_music.stop();
    active = false;
    awaitingStart = false;
    queue.clear();
    unshuffled.clear();
    ++changeCount;
    index = -1;
    saveQueue();
}

// ---- persistence and the per-frame step

void PlayerCore::saveQueue()
{
    Json songs = Json::array();
    for (const Song& song : queue)
        songs.push(songToJson(song));
    Json state = Json::object();
    state.set("songs", std::move(songs)).set("index", index).set("shuffle", shuffle).set("repeat", repeat);
    platform::writeFileAtomic(platform::dataDir() + "/queue.json", state.dump(-1));
    m_saveTimer = 0;
    savedCount = changeCount;
}

void PlayerCore::restoreQueue()
{
    bool parsed = false;
    const Json state = parse(platform::readFile(platform::dataDir() + "/queue.json"), parsed);
    // Temporaries of fetches that never completed before the last exit.
    for (const auto& file : platform::listFiles(tracksDir())) {
        if (file.regular && isStreamCacheTemporary(file.path))
            platform::removeFile(file.path);
    }
    if (!parsed || !state.isObject())
        return;
    std::vector<Song> songs;
    for (const Json& item : state.get("songs").items)
        songs.push_back(songFromJson(item));
    if (songs.empty())
        return;
    const int n = static_cast<int>(songs.size());
    const int savedIndex = truncateToInt32(state.get("index").asNumber(-1));
    const int savedRepeat = truncateToInt32(state.get("repeat").asNumber(0));
    // "shuffle" is not applied: the saved order comes back as the unshuffled one.
    queue = std::move(songs);
    unshuffled = queue;
    shuffle = false;
    index = savedIndex >= 0 && savedIndex < n ? savedIndex : -1;
    repeat = savedRepeat > 1 ? One : savedRepeat == 1 ? All : Off;
    ++changeCount;
    savedCount = changeCount;
}

void PlayerCore::watchStart()
{
    if (!awaitingStart)
        return;
    const MusicState state = m_music.state();
    if (state == MusicState::Playing) {
        awaitingStart = false;
        return;
    }
    if (state != MusicState::Stopped)
        return;
    if (m_streamTransfer && m_streamTransfer->done.load() && !m_streamTransfer->ok.load())
        return; // the fetch failed: its completion tells why
    awaitingStart = false;
    active = false;
    cancelStream(); // a stream that cannot be played is not worth finishing
    const Song* song = current();
    if (!song)
        return;
    // Only the stream cache copy goes, and only when the mixer could have read it: a
    // later attempt fetches the stream again; a downloaded file is the user's to delete.
    if (!m_startedCacheFile.empty() && m_music.audioOpen())
        platform::removeFile(m_startedCacheFile);
    m_startedCacheFile.clear();
    failCurrent("Couldn't play " + quoted(song->title));
}

void PlayerCore::tick(float /*dt: real time comes from `clock`; the frame's step is capped*/)
{
    // A suspended machine or a stalled frame must not count as listening.
    constexpr double kMaxListeningStep = 5.0;
    const double now = clock();
    const double elapsed = m_ticked ? std::max(0.0, now - m_lastTick) : 0.0;
    m_lastTick = now;
    m_ticked = true;

    watchStart();
    if (m_music.state() == MusicState::Playing && active) {
        countListening(std::min(elapsed, kMaxListeningStep));
        applyNormalisation();
        m_queueTimer += elapsed;
        if (m_queueTimer >= 0.5) {
            m_queueTimer = 0;
            queueFollowing();
        }
    }
    m_flushTimer += elapsed;
    if (m_flushTimer > 20.0) {
        m_flushTimer = 0;
        flushScrobbles();
    }
    m_saveTimer += elapsed;
    if (m_saveTimer > 15.0 && changeCount != savedCount)
        saveQueue();
}

} // namespace cad

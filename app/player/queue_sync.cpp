#include "app/player/queue_sync.h"

#include "app/core/platform.h"
#include "app/core/store.h"
#include "app/net/net.h"
#include "app/player/player_core.h"
#include "vell/music_player.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace cad {
namespace {

using vell::MusicState;

int64_t epochMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// When queue.json was last written: the age of the queue restored from it.
int64_t queueFileMs()
{
    std::error_code error;
    const auto written = std::filesystem::last_write_time(platform::dataDir() + "/queue.json", error);
    if (error)
        return 0;
    using namespace std::chrono;
    return duration_cast<milliseconds>(file_clock::to_sys(written).time_since_epoch()).count();
}

} // namespace

int64_t isoTimeToEpochMs(const std::string& text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second, &used) != 6
        || used != 19 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return -1;
    size_t at = 19;
    int64_t millis = 0;
    if (at < text.size() && text[at] == '.') {
        int64_t scale = 100;
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            millis += (text[at] - '0') * scale;
            scale /= 10;
        }
    }
    int64_t zoneMinutes = 0;
    const std::string zone = text.substr(at);
    if (zone == "Z" || zone.empty()) {
        zoneMinutes = 0;
    } else if (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && zone[3] == ':') {
        int zh = 0, zm = 0;
        if (std::sscanf(zone.c_str() + 1, "%2d:%2d", &zh, &zm) != 2)
            return -1;
        zoneMinutes = (zone[0] == '-' ? -1 : 1) * (zh * 60 + zm);
    } else {
        return -1;
    }
    const int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second - zoneMinutes * 60;
    return seconds * 1000 + millis;
}

QueueSync::QueueSync(Subsonic& subsonic, Store& store, PlayerCore& player)
    : wallClock(epochMs)
    , m_subsonic(subsonic)
    , m_store(store)
    , m_player(player)
{
    m_lastChange = player.changeCount;
    m_lastState = static_cast<int>(player.music().state());
    m_localChangedMs = player.queue.empty() ? 0 : queueFileMs();
}

bool QueueSync::enabled() const
{
    return m_online && m_store.syncPlayQueue && m_store.hasCredentials();
}

void QueueSync::setOnline(bool online)
{
    if (online == m_online)
        return;
    m_online = online;
    m_read = false;
    if (!online) {
        // Replies of the old connection no longer decide anything.
        ++m_epoch;
        m_reading = false;
        m_inFlight = false;
        return;
    }
    m_nextRead = 0;
    read();
}

void QueueSync::read()
{
    if (!enabled() || m_reading)
        return;
    m_reading = true;
    std::weak_ptr<char> alive = m_lifetime;
    const int epoch = m_epoch;
    m_subsonic.playQueue([this, alive, epoch](bool ok, const Subsonic::PlayQueue& queue, const std::string&) {
        if (alive.expired() || epoch != m_epoch)
            return;
        m_reading = false;
        if (!ok) {
            m_nextRead = clock() + kRetrySeconds;
            return;
        }
        m_read = true;
        onQueueRead(queue);
    });
}

void QueueSync::onQueueRead(const Subsonic::PlayQueue& queue)
{
    if (queue.songs.empty() || queue.changedBy == Subsonic::kClientName)
        return;
    const int64_t changed = isoTimeToEpochMs(queue.changed);
    if (changed <= m_localChangedMs)
        return;
    m_offer = queue;
    m_hasOffer = true;
    if (onOffer)
        onOffer(queue);
}

bool QueueSync::accept()
{
    if (!m_hasOffer)
        return false;
    Subsonic::PlayQueue offer = std::move(m_offer);
    dismissOffer();
    int index = 0;
    for (size_t i = 0; i < offer.songs.size(); ++i) {
        if (offer.songs[i].id == offer.current) {
            index = static_cast<int>(i);
            break;
        }
    }
    const bool found = !offer.current.empty() && offer.songs[static_cast<size_t>(index)].id == offer.current;
    m_player.setShuffle(false);
    m_player.setQueue(std::move(offer.songs), index);
    m_resumeGeneration = m_player.playGeneration;
    m_resumeSeconds = found ? static_cast<double>(offer.positionMs) / 1000.0 : 0.0;
    return true;
}

// The accepted song starts playing like any other; as soon as it does it is moved to the
// saved position and paused.
void QueueSync::followResume()
{
    if (m_resumeGeneration < 0)
        return;
    if (m_player.playGeneration != m_resumeGeneration) {
        m_resumeGeneration = -1; // the user went elsewhere first
        return;
    }
    vell::MusicPlayer& music = m_player.music();
    if (music.state() != MusicState::Playing)
        return;
    m_resumeGeneration = -1;
    if (m_resumeSeconds > 0)
        music.seek(m_resumeSeconds);
    music.pause();
}

int64_t QueueSync::positionMs() const
{
    if (m_resumeGeneration >= 0)
        return static_cast<int64_t>(m_resumeSeconds * 1000.0);
    if (!m_player.active)
        return 0;
    return static_cast<int64_t>(m_player.music().position() * 1000.0);
}

void QueueSync::tick()
{
    followResume();
    const double now = clock();
    const int state = static_cast<int>(m_player.music().state());
    const bool playing = state == static_cast<int>(MusicState::Playing);
    if (m_player.changeCount != m_lastChange) {
        m_lastChange = m_player.changeCount;
        m_dirty = true;
    }
    if (state != m_lastState && m_lastState == static_cast<int>(MusicState::Playing)
        && state == static_cast<int>(MusicState::Paused))
        m_dirty = true;
    m_lastState = state;
    if (m_dirty || playing) {
        m_localChangedMs = wallClock();
        m_touched = true;
    }
    if (playing && now - m_lastSave >= kBeatSeconds)
        m_dirty = true;

    if (!enabled())
        return;
    if (!m_read) {
        if (!m_reading && now >= m_nextRead)
            read();
        return;
    }
    if (m_dirty && !m_inFlight && now >= m_nextSend)
        send();
}

void QueueSync::send()
{
    std::vector<std::string> ids;
    ids.reserve(m_player.queue.size());
    for (const Song& song : m_player.queue)
        ids.push_back(song.id);
    const Song* current = m_player.current();
    const double now = clock();
    m_dirty = false;
    m_touched = false;
    m_inFlight = true;
    m_lastSave = now;
    m_nextSend = now + kMinGapSeconds;
    ++saves;
    std::weak_ptr<char> alive = m_lifetime;
    const int epoch = m_epoch;
    m_subsonic.savePlayQueue(ids, current ? current->id : std::string(), positionMs(),
        [this, alive, epoch](bool ok, const std::string&) {
            if (alive.expired() || epoch != m_epoch)
                return;
            m_inFlight = false;
            if (ok)
                return;
            m_dirty = true;
            m_touched = true;
            m_nextSend = clock() + kRetrySeconds;
        });
}

void QueueSync::saveAtQuit(Net& net, double seconds)
{
    if (!enabled() || !m_read)
        return;
    const double deadline = monotonicSeconds() + seconds;
    auto waitForReply = [&] {
        while (m_inFlight && monotonicSeconds() < deadline) {
            net.poll();
            if (m_inFlight)
                SDL_Delay(5);
        }
    };
    waitForReply();
    // Nothing new here: the server may hold a newer queue of another client.
    if (m_inFlight || !m_touched)
        return;
    send();
    waitForReply();
}

} // namespace cad

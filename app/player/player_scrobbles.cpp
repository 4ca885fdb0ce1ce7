#include "app/player/player_core.h"

#include "app/core/json.h"
#include "app/core/store.h"
#include "app/net/subsonic.h"

#include <algorithm>

// The scrobble half of the player: the now-playing notice, the submission at the
// listening threshold, and the pending plays sent one at a time, oldest first.
namespace cad {

void PlayerCore::countListening(double seconds)
{
    playedSeconds += seconds;
    const Song* song = current();
    if (!song)
        return;
    if (!nowPlayingSent) {
        nowPlayingSent = true;
        if (m_store.scrobble && isOnline())
            m_subsonic.scrobble(song->id, 0, false, nullptr);
    }
    const double d = knownDuration();
    const double threshold = d > 0 ? std::min(d / 2, 240.0) : 30.0;
    if (!scrobbled && m_store.scrobble && playedSeconds >= threshold) {
        scrobbled = true;
        submitScrobble(song->id, startedAt);
    }
}

void PlayerCore::submitScrobble(const std::string& id, long long time)
{
    if (!m_store.scrobble)
        return;
    // On disk before anything is sent, so a kill while the request is out loses
    // nothing; the one sender keeps plays in the order they were made.
    m_store.pendingScrobbles.push_back({id, time, account()});
    m_store.saveScrobbles();
    flushScrobbles();
}

void PlayerCore::flushScrobbles()
{
    if (!isOnline() || !m_store.scrobble || flushInFlight)
        return;
    if (m_subsonic.url().empty() || m_subsonic.user().empty() || m_subsonic.token().empty())
        return;
    const std::string mine = account();
    const auto& pending = m_store.pendingScrobbles;
    const auto oldest = std::find_if(pending.begin(), pending.end(),
        [&](const PendingScrobble& entry) { return entry.account.empty() || entry.account == mine; });
    if (oldest == pending.end())
        return;
    sendPending(*oldest);
}

namespace {

// Account-level refusals (wrong credentials, versions, permissions) say nothing
// about the entry itself: it waits for the next attempt instead of being dropped.
bool refusesAccount(const Json& response)
{
    const int code = truncateToInt32(response.get("error").get("code").asNumber(0));
    return code == 20 || code == 30 || (code >= 40 && code <= 50) || code == 60;
}

} // namespace

void PlayerCore::sendPending(const PendingScrobble& entry)
{
    flushInFlight = true;
    Subsonic::Params params = {{"id", entry.id}, {"submission", "true"}};
    if (entry.time > 0)
        params.emplace_back("time", std::to_string(entry.time));
    std::weak_ptr<char> alive = m_lifetime;
    m_subsonic.request("scrobble", params, [this, alive, entry](bool ok, const Json& response, const std::string&) {
        if (alive.expired())
            return;
        flushInFlight = false;
        // A transport failure has no envelope; the server's own "failed" answer does.
        const bool rejected = !ok && response.get("status").asString("") == "failed" && !refusesAccount(response);
        if (!ok && !rejected)
            return;
        auto& pending = m_store.pendingScrobbles;
        const auto sent = std::find(pending.begin(), pending.end(), entry);
        if (sent != pending.end())
            pending.erase(sent);
        m_store.saveScrobbles();
        flushScrobbles();
    });
}

} // namespace cad

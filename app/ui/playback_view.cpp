#include "app/ui/playback_view.h"

#include "app/player/player_core.h"
#include "app/ui/library_text.h"
#include "app/ui/services.h"
#include "vell/music_player.h"

#include <algorithm>

namespace cad {

PlayerCore* activePlayer() { return services().player; }

const Song* playingSong()
{
    const PlayerCore* player = activePlayer();
    return player ? player->current() : nullptr;
}

double displayDuration(const PlayerCore& player)
{
    if (player.music().duration() > 0)
        return player.music().duration();
    const Song* song = player.current();
    return song && song->duration > 0 ? song->duration : 0;
}

float progressFraction(const PlayerCore& player)
{
    const double total = displayDuration(player);
    if (total <= 0)
        return 0;
    return float(std::clamp(player.music().position() / total, 0.0, 1.0));
}

std::string timeText(double seconds)
{
    return songLength(seconds > 0 ? int(seconds) : 0);
}

bool musicPlaying(const PlayerCore& player) { return player.music().state() == vell::MusicState::Playing; }

bool playbackBusy(const PlayerCore& player)
{
    return (player.fetching && !player.active) || player.music().state() == vell::MusicState::Loading
        || player.music().buffering();
}

float fetchShare(const PlayerCore& player)
{
    const Transfer* transfer = player.fetching ? player.streamTransfer() : nullptr;
    if (!transfer || transfer->total.load() <= 0)
        return -1;
    const double share = transfer->received.load() / transfer->total.load();
    if (share >= 1)
        return 1;
    return share > 0.001 ? float(share) : -1;
}

} // namespace cad

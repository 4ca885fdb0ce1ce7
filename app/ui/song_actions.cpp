#include "app/ui/song_actions.h"

#include "app/player/player_core.h"
#include "app/ui/nav.h"
#include "app/ui/services.h"
#include "vell/color_ref.h"
#include "vell/glyph.h"
#include "vell/pad_button.h"

namespace cad {
namespace {

constexpr int32_t kHeartFilled = 0xE87D;
constexpr int32_t kHeartOutlined = 0xE87E;
constexpr unsigned kErrorIcon = 0xE000;
constexpr unsigned kQueueIcon = 0xE03D;

void showHeart(vell::Glyph& heart, bool starred)
{
    heart.setCodePoint(starred ? kHeartFilled : kHeartOutlined);
    heart.style().color = vell::colorToken(starred ? "primary" : "onSurfaceVariant");
}

int setIn(std::vector<Song>& songs, const std::string& id, bool starred)
{
    int changed = 0;
    for (Song& song : songs) {
        if (song.id == id && song.starred != starred) {
            song.starred = starred;
            ++changed;
        }
    }
    return changed;
}

} // namespace

Song& contextSong()
{
    static Song song;
    return song;
}

void applyStarred(const std::string& id, bool starred)
{
    Services& s = services();
    if (PlayerCore* player = s.player) {
        if (setIn(player->queue, id, starred) + setIn(player->unshuffled, id, starred) > 0)
            ++player->changeCount;
    }
    bool offlineChanged = false;
    for (OfflineEntry& entry : s.store.offline) {
        if (entry.song.id == id && entry.song.starred != starred) {
            entry.song.starred = starred;
            offlineChanged = true;
        }
    }
    if (offlineChanged)
        ++s.store.offlineCount;
}

std::shared_ptr<vell::Button> starButton(const SongList& songs, int index)
{
    auto button = vell::button({}, 0, "icon");
    button->style().padding = vell::uniformEdges(8);
    auto heart = vell::glyph(kHeartOutlined);
    const bool starred = songs && index >= 0 && size_t(index) < songs->size() && (*songs)[size_t(index)].starred;
    showHeart(*heart, starred);
    button->add(heart);
    std::weak_ptr<vell::Glyph> weakHeart = heart;
    button->onClick = [songs, index, weakHeart] {
        if (!songs || index < 0 || size_t(index) >= songs->size())
            return;
        Song& song = (*songs)[size_t(index)];
        song.starred = !song.starred;
        if (auto heart = weakHeart.lock())
            showHeart(*heart, song.starred);
        applyStarred(song.id, song.starred);
        services().subsonic.setStarred(song.id, song.starred, [](bool ok) {
            if (!ok)
                toast("Couldn't update favorite", "", kErrorIcon, 3.5f);
        });
    };
    return button;
}

void bindQueueKeys(const std::shared_ptr<vell::View>& view)
{
    if (!view)
        return;
    view->bindings.push_back({ vell::Square, "Add to queue",
        [] {
            const Song& song = contextSong();
            PlayerCore* player = services().player;
            if (song.id.empty() || !player)
                return;
            player->addToQueue(song);
            toast("Added to queue", song.title, kQueueIcon, 3.5f);
        },
        true });
    view->bindings.push_back({ vell::Triangle, "Play next",
        [] {
            const Song& song = contextSong();
            PlayerCore* player = services().player;
            if (song.id.empty() || !player)
                return;
            player->playNext(song);
            toast("Playing next", song.title, kQueueIcon, 3.5f);
        },
        true });
}

} // namespace cad

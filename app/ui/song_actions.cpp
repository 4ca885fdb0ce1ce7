#include "app/ui/song_actions.h"

#include "app/player/player_core.h"
#include "app/ui/nav.h"
#include "app/ui/services.h"
#include "vell/color_ref.h"
#include "vell/glyph.h"
#include "vell/pad_button.h"

#include <unordered_map>

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

// The last favourite change per song id, with a serial that orders changes
// against the rows built before them.
struct StarChange {
    bool starred = false;
    uint64_t serial = 0;
};

std::unordered_map<std::string, StarChange>& starChanges()
{
    static std::unordered_map<std::string, StarChange> changes;
    return changes;
}

uint64_t& starSerial()
{
    static uint64_t serial = 0;
    return serial;
}

// A heart that follows favourite changes made anywhere after its row was
// built (the Now playing panel, another page); rows built later show what
// their reply said.
class StarButton : public vell::Button {
public:
    StarButton(SongList songs, int index)
        : m_songs(std::move(songs)), m_index(index), m_built(starSerial()), m_seen(m_built) { }

    Song* song() const
    {
        if (!m_songs || m_index < 0 || size_t(m_index) >= m_songs->size())
            return nullptr;
        return &(*m_songs)[size_t(m_index)];
    }

    void show(bool starred)
    {
        if (auto heart = std::dynamic_pointer_cast<vell::Glyph>(children.empty() ? nullptr : children.front()))
            showHeart(*heart, starred);
    }

    void update(vell::UiContext& ctx, float dt) override
    {
        vell::Button::update(ctx, dt);
        if (m_seen == starSerial())
            return;
        m_seen = starSerial();
        Song* s = song();
        if (!s)
            return;
        auto it = starChanges().find(s->id);
        if (it == starChanges().end() || it->second.serial <= m_built || s->starred == it->second.starred)
            return;
        s->starred = it->second.starred;
        show(s->starred);
    }

private:
    SongList m_songs;
    int m_index;
    uint64_t m_built;
    uint64_t m_seen;
};

} // namespace

Song& contextSong()
{
    static Song song;
    return song;
}

void applyStarred(const std::string& id, bool starred)
{
    starChanges()[id] = { starred, ++starSerial() };
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
    auto button = std::make_shared<StarButton>(songs, index);
    button->addClass("icon");
    button->style().padding = vell::uniformEdges(8);
    button->add(vell::glyph(kHeartOutlined));
    const Song* song = button->song();
    button->show(song && song->starred);
    std::weak_ptr<StarButton> weak = button;
    button->onClick = [weak] {
        auto self = weak.lock();
        Song* song = self ? self->song() : nullptr;
        if (!song)
            return;
        song->starred = !song->starred;
        self->show(song->starred);
        applyStarred(song->id, song->starred);
        services().subsonic.setStarred(song->id, song->starred, [](bool ok) {
            if (!ok)
                toast("Couldn't update favorite", "", kErrorIcon, 3.5f);
        });
    };
    return button;
}

void playSongs(const SongList& songs, bool shuffle)
{
    PlayerCore* player = services().player;
    if (!player || !songs || songs->empty())
        return;
    player->setShuffle(shuffle);
    player->setQueue(*songs, 0);
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
        true, false, "Add" });
    view->bindings.push_back({ vell::Triangle, "Play next",
        [] {
            const Song& song = contextSong();
            PlayerCore* player = services().player;
            if (song.id.empty() || !player)
                return;
            player->playNext(song);
            toast("Playing next", song.title, kQueueIcon, 3.5f);
        },
        true, false, "Insert" });
}

} // namespace cad

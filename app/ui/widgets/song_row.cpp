#include "app/ui/widgets/song_row.h"

#include "app/player/player_core.h"
#include "app/ui/widgets/cover.h"
#include "app/ui/widgets/download_button.h"
#include "app/ui/library_text.h"
#include "app/ui/widgets/playing_mark.h"
#include "app/ui/services.h"
#include "vell/box.h"
#include "vell/button.h"
#include "vell/label.h"

namespace cad {
namespace {

constexpr int kCoverFetch = 300;
constexpr float kCoverSide = 44;
constexpr float kBadgeSize = 26;
} // namespace

vell::WidgetPtr songRow(const SongList& songs, int index, bool showCover, bool numbered)
{
    if (!songs || index < 0 || size_t(index) >= songs->size())
        return nullptr;
    const Song& song = (*songs)[size_t(index)];
    auto row = vell::button({}, 0, "list");
    row->add(playingMark(song.id, numbered ? std::max(0, song.track) : 0));
    if (showCover) {
        auto cover = coverImage(song.coverArt, kCoverFetch, kCoverSide);
        cover->style().radius = 10;
        row->add(cover);
    }
    auto texts = vell::box();
    texts->style().width = vell::SizeSpec::fill();
    texts->style().gap = 2;
    texts->add({ vell::label(song.title, "row-title"), vell::label(songCaption(song), "caption") });
    row->add({ texts, vell::label(songLength(song.duration), "caption"), starButton(songs, index),
        downloadButton({ song }, kBadgeSize) });

    row->onClick = [songs, index] {
        if (PlayerCore* player = services().player)
            player->setQueue(*songs, index);
    };
    row->onFocus = [songs, index] {
        if (size_t(index) < songs->size())
            contextSong() = (*songs)[size_t(index)];
    };
    return row;
}

} // namespace cad

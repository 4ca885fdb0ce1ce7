#include "app/ui/widgets/album_tile.h"

#include "app/ui/widgets/cover.h"
#include "app/ui/device_profile.h"
#include "app/ui/library_text.h"
#include "app/ui/nav.h"
#include "vell/box.h"
#include "vell/button.h"
#include "vell/color_ref.h"
#include "vell/glyph.h"
#include "vell/label.h"

namespace cad {
namespace {

constexpr int kCoverFetch = 300;
constexpr int32_t kPerson = 0xE7FD;

std::shared_ptr<vell::Box> texts(const std::string& title, const std::string& caption)
{
    auto column = vell::box();
    column->style().width = vell::SizeSpec::fill();
    column->style().gap = 2;
    column->add({ vell::label(title, "row-title"), vell::label(caption, "caption") });
    return column;
}

template <class List>
bool inRange(const List& list, int index)
{
    return list && index >= 0 && size_t(index) < list->size();
}

} // namespace

vell::WidgetPtr albumTile(const Album& album)
{
    const float width = deviceProfile().tileWidth;
    auto tile = vell::button({}, 0, "tile");
    tile->style().width = vell::SizeSpec::fixed(width);
    auto cover = coverImage(album.coverArt, kCoverFetch, width - 20);
    cover->style().radius = 14;
    tile->add({ cover, vell::label(album.name, "tile-title"), vell::label(albumCaption(album), "caption") });
    tile->onClick = [id = album.id] {
        if (auto& open = nav().openAlbum)
            open(id);
    };
    return tile;
}

vell::WidgetPtr artistRow(const ArtistList& artists, int index)
{
    if (!inRange(artists, index))
        return nullptr;
    const Artist& artist = (*artists)[size_t(index)];
    auto icon = vell::box();
    icon->style().padding = vell::uniformEdges(8);
    icon->style().radius = 999;
    icon->style().background = vell::colorToken("surfaceContainerHigh");
    icon->add(vell::glyph(kPerson));
    auto row = vell::button({}, 0, "list");
    row->add({ icon, texts(artist.name, albumCount(artist.albumCount)) });
    row->onClick = [id = artist.id] {
        if (auto& open = nav().openArtist)
            open(id);
    };
    return row;
}

vell::WidgetPtr playlistRow(const PlaylistList& playlists, int index)
{
    if (!inRange(playlists, index))
        return nullptr;
    const Playlist& playlist = (*playlists)[size_t(index)];
    auto cover = coverImage(playlist.coverArt, kCoverFetch, 48);
    cover->style().radius = 10;
    auto row = vell::button({}, 0, "list");
    row->add({ cover,
        texts(playlist.name, std::to_string(playlist.songCount) + " songs" + kSeparator + formatLength(playlist.duration)) });
    row->onClick = [id = playlist.id] {
        if (auto& open = nav().openPlaylist)
            open(id);
    };
    return row;
}

} // namespace cad

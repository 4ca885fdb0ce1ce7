#pragma once
// Tiles and rows that open other pages: an album tile (grids and shelves), and
// the rows of the artist and playlist lists.
//
//   shelf->add(albumTile(album));                  // press opens the album page
//   list->factory = [artists](int32_t i) { return artistRow(artists, i); };

#include "app/core/library.h"
#include "vell/widget.h"

#include <memory>
#include <vector>

namespace cad {

using ArtistList = std::shared_ptr<std::vector<Artist>>;
using PlaylistList = std::shared_ptr<std::vector<Playlist>>;

// A "tile" button: the cover, the title and "artist · year". It keeps its own copy
// of the id it opens, so it stays right while the list it came from changes.
vell::WidgetPtr albumTile(const Album& album);
// Person glyph, name and "N albums"; opens the artist page.
vell::WidgetPtr artistRow(const ArtistList& artists, int index);
// Cover, name and "N songs · length"; opens the playlist page.
vell::WidgetPtr playlistRow(const PlaylistList& playlists, int index);

} // namespace cad

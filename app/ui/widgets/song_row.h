#pragma once
// The row of one song in a list (album tracks, playlists, search, favourites,
// offline). Pressing it plays the whole list from this song; focusing it makes it
// the song the queue keys act on.
//
//   auto songs = std::make_shared<std::vector<Song>>(album.songs);
//   list->factory = [songs](int32_t i) { return songRow(songs, i, false, true); };

#include "app/ui/song_actions.h"
#include "vell/widget.h"

namespace cad {

// A "list" button: the track number (when `numbered`), a 44 px cover (when
// `showCover`), title and "artist · album", the length, the heart and the
// download button. Album track lists pass (false, true), every other list (true, false).
vell::WidgetPtr songRow(const SongList& songs, int index, bool showCover, bool numbered);

} // namespace cad

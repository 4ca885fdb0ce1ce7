#pragma once
// What a song row does besides playing: the favourite toggle, the two queue
// keys, and the favourite state shared with the queue and the offline library.
//
//   row->add(starButton(songs, i));   // flips the heart at once, then tells the server
//   bindQueueKeys(view);              // Square "Add to queue", Triangle "Play next"

#include "app/core/library.h"
#include "vell/button.h"
#include "vell/view.h"

#include <memory>
#include <vector>

namespace cad {

// A page's songs, shared by all its rows: a row keeps the list and its own index.
using SongList = std::shared_ptr<std::vector<Song>>;

// The song of the song row that last had focus (empty id before any did). Lives
// until exit, so the queue keys of any page act on it.
Song& contextSong();

// Sets `starred` on every song with this id in the play queue (both orders,
// bumping its change count) and in the offline library. No server call.
void applyStarred(const std::string& id, bool starred);

// The heart of songs[index]: filled in "primary" when starred, outlined otherwise.
// A press flips it at once, spreads it with applyStarred and sends star/unstar; a
// failure only toasts "Couldn't update favorite" (the next reload shows the truth).
// It also follows applyStarred calls made elsewhere after it was built.
std::shared_ptr<vell::Button> starButton(const SongList& songs, int index);

// Replaces the queue with `songs` and plays from the first (shuffled when
// `shuffle`); nothing when there is no player or no song.
void playSongs(const SongList& songs, bool shuffle);

// Appends Square "Add to queue" and Triangle "Play next" to the view's bindings,
// both acting on contextSong() when it has an id.
void bindQueueKeys(const std::shared_ptr<vell::View>& view);

} // namespace cad

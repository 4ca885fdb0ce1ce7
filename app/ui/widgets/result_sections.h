#pragma once
// The sections the search and favourites pages show their results in: a column
// that scrolls, titled groups, a horizontal shelf of album tiles and song rows
// (with covers, without numbers) sharing one list.
//
//   auto column = resultsColumn(*content);
//   column->add({ sectionTitle("Albums"), albumShelf(result.albums) });
//   addSongRows(*column, songs);

#include "app/core/library.h"
#include "app/ui/song_actions.h"
#include "vell/box.h"

#include <memory>
#include <string>
#include <vector>

namespace cad {

// Empties the container and puts a vertically scrolling column (gap 14) into it.
std::shared_ptr<vell::Box> resultsColumn(vell::Widget& container);
// A "section-title" label.
vell::WidgetPtr sectionTitle(const std::string& text);
// A horizontally scrolling row of album tiles.
vell::WidgetPtr albumShelf(const std::vector<Album>& albums);
// "Songs" and one row per song; pressing one plays the list from it.
void addSongRows(vell::Widget& column, const SongList& songs);
// A row of children, centred vertically.
std::shared_ptr<vell::Box> sectionRow(float gap);

} // namespace cad

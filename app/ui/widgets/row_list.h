#pragma once
// cad::RowList — the list view of a page's rows (artists, playlists, songs) that
// survives reloads: showing it again keeps its scroll offset and gives focus back
// to the row index that had it, when that row still exists.
//
//   RowList rows(64);
//   rows.make = [songs](int i) { return songRow(songs, i, false, true); };
//   rows.show(*content, int(songs->size()));   // first load and every reload

#include "vell/list_view.h"

#include <functional>
#include <memory>

namespace cad {

class RowList {
public:
    explicit RowList(float rowHeight);
    ~RowList();
    RowList(const RowList&) = delete;
    RowList& operator=(const RowList&) = delete;

    // Puts the list with `count` rows into `container` (emptied first unless the
    // list is already its last child); every row is made again by `make`.
    void show(vell::Widget& container, int count);
    // The index of the row holding the engine's focus, or -1.
    int focusedRow() const;

    std::function<vell::WidgetPtr(int index)> make;
    std::shared_ptr<vell::ListView> list;

private:
    vell::WidgetPtr build(int index);
    int m_refocus = -1;
};

} // namespace cad

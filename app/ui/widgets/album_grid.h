#pragma once
// cad::AlbumGrid — album tiles in rows of `columns`, built only for the rows near
// the viewport (a vell::ListView of rows). The albums page pages through the
// server with onNearEnd, which runs when one of the last two rows is built.
//
//   AlbumGrid grid;
//   grid.albums->assign(list.begin(), list.end());
//   grid.refresh();                 // row count follows the albums; rows rebuilt
//   grid.onNearEnd = [this] { loadMore(); };
//   page->root->add(grid.list);

#include "app/core/library.h"
#include "vell/list_view.h"

#include <functional>
#include <memory>
#include <vector>

namespace cad {

class AlbumGrid {
public:
    AlbumGrid();
    ~AlbumGrid();
    AlbumGrid(const AlbumGrid&) = delete;
    AlbumGrid& operator=(const AlbumGrid&) = delete;

    // Rows for ceil(albums / columns); every row is built again from the albums.
    void refresh();
    // Rows for the albums appended since; the rows already built stay (a short last
    // row gets the new tiles in place, so a focused tile keeps its focus).
    void grow();
    int rowCount() const;

    std::shared_ptr<vell::ListView> list;
    // Runs while the list lays out: it may start requests but must not change the
    // widget tree (no showMessage on the grid's container).
    std::function<void()> onNearEnd;
    // As many 200-wide tiles as fit the list's width (5 at 1280 x 720), from its layout.
    int columns;
    static int columnsFor(float width);
    std::shared_ptr<std::vector<Album>> albums = std::make_shared<std::vector<Album>>();

private:
    void fitColumns(float width);
    vell::WidgetPtr buildRow(int row);
};

} // namespace cad

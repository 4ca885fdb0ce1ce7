#include "app/ui/widgets/result_sections.h"

#include "app/ui/widgets/album_tile.h"
#include "app/ui/device_profile.h"
#include "app/ui/widgets/song_row.h"
#include "vell/label.h"
#include "vell/scroll_view.h"

namespace cad {

std::shared_ptr<vell::Box> sectionRow(float gap)
{
    auto r = vell::box();
    r->style().direction = vell::Direction::Row;
    r->style().align = vell::Align::Center;
    r->style().gap = gap;
    return r;
}

std::shared_ptr<vell::Box> resultsColumn(vell::Widget& container)
{
    container.clearChildren();
    auto column = vell::box();
    column->style().width = vell::SizeSpec::fill();
    column->style().gap = 14;
    auto scroller = vell::scrollView();
    scroller->style().width = vell::SizeSpec::fill();
    scroller->style().height = vell::SizeSpec::fill();
    scroller->add(column);
    container.addChild(scroller);
    return column;
}

vell::WidgetPtr sectionTitle(const std::string& text) { return vell::label(text, "section-title"); }

vell::WidgetPtr albumShelf(const std::vector<Album>& albums)
{
    auto tiles = sectionRow(deviceProfile().tileGap);
    tiles->style().align = vell::Align::Start;
    for (const Album& album : albums)
        tiles->add(albumTile(album));
    auto strip = vell::scrollView(vell::ScrollCore::kHorizontal);
    strip->style().width = vell::SizeSpec::fill();
    strip->add(tiles);
    return strip;
}

void addSongRows(vell::Widget& column, const SongList& songs)
{
    column.addChild(sectionTitle("Songs"));
    for (int i = 0; i < int(songs->size()); ++i)
        column.addChild(songRow(songs, i, true, false));
}

} // namespace cad

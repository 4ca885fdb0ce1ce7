#include "app/ui/widgets/album_grid.h"

#include "app/ui/widgets/album_tile.h"
#include "app/ui/device_profile.h"
#include "vell/box.h"

#include <algorithm>

namespace cad {

namespace {
constexpr float kRowPadding = 20;
}

AlbumGrid::AlbumGrid()
    : columns(deviceProfile().albumColumns)
{
    list = vell::listView({}, 0, deviceProfile().tileWidth + 54);
    list->style().width = vell::SizeSpec::fill();
    list->style().height = vell::SizeSpec::fill();
    list->factory = [this](int32_t row) { return buildRow(row); };
    list->onWidth = [this](float width) { fitColumns(width); };
}

int AlbumGrid::columnsFor(float width)
{
    const DeviceProfile& profile = deviceProfile();
    const float pitch = profile.tileWidth + profile.tileGap;
    return std::max(1, int((width - 2 * kRowPadding + profile.tileGap) / pitch));
}

// The first album shown stays in its row's place when the count changes.
void AlbumGrid::fitColumns(float width)
{
    const int fitted = columnsFor(width);
    if (fitted == columns)
        return;
    const float pitch = list->rowHeight + list->resolved.gap.valueOr(0);
    const int firstAlbum = int(list->offset().y / pitch) * columns;
    columns = fitted;
    refresh();
    list->scrollTo({ 0, float(firstAlbum / columns) * pitch });
}

// The widget tree may keep the list a little longer than its page keeps the grid.
AlbumGrid::~AlbumGrid()
{
    list->factory = nullptr;
}

int AlbumGrid::rowCount() const
{
    if (columns <= 0)
        return 0;
    return int((albums->size() + size_t(columns) - 1) / size_t(columns));
}

void AlbumGrid::refresh()
{
    list->setCount(rowCount());
    list->reload();
}

void AlbumGrid::grow()
{
    const int before = list->count();
    if (before > 0) {
        auto last = list->rows.find(before - 1);
        if (last != list->rows.end()) {
            const size_t first = size_t(before - 1) * size_t(columns);
            const size_t end = std::min(first + size_t(columns), albums->size());
            for (size_t i = first + last->second->children.size(); i < end; ++i)
                last->second->addChild(albumTile((*albums)[i]));
        }
    }
    list->setCount(rowCount());
}

vell::WidgetPtr AlbumGrid::buildRow(int row)
{
    const size_t first = size_t(row) * size_t(columns);
    if (row < 0 || first >= albums->size())
        return nullptr;
    auto box = vell::box();
    box->style().direction = vell::Direction::Row;
    box->style().gap = deviceProfile().tileGap;
    box->style().padding = vell::symmetricEdges(kRowPadding, 0);
    for (size_t i = first; i < std::min(first + size_t(columns), albums->size()); ++i)
        box->add(albumTile((*albums)[i]));
    if (row >= rowCount() - 2 && onNearEnd)
        onNearEnd();
    return box;
}

} // namespace cad

#include "app/ui/widgets/queue_drawer.h"

#include "app/player/player_core.h"
#include "app/ui/widgets/cover.h"
#include "app/ui/library_text.h"
#include "app/ui/playback_view.h"
#include "app/ui/widgets/playing_mark.h"
#include "app/ui/services.h"
#include "app/ui/widgets/transport.h"
#include "vell/box.h"
#include "vell/button.h"
#include "vell/engine.h"

#include <algorithm>

namespace cad {
namespace {

constexpr int32_t kClose = 0xE5CD;

} // namespace

QueueDrawer::QueueDrawer()
    : rows(kRowHeight)
{
}

void QueueDrawer::build()
{
    style().gap = 8;
    style().width = vell::SizeSpec::fill();
    style().height = vell::SizeSpec::fill();

    count = vell::label("0 songs", "caption");
    auto heading = vell::box();
    heading->style().width = vell::SizeSpec::fill();
    heading->add({ vell::label("Up next", "headline"), count });
    auto clear = playerButton(0, 0, [](PlayerCore& p) { p.clear(); }, "text");
    clear->add(vell::label("Clear queue"));
    auto header = vell::box();
    header->style().direction = vell::Direction::Row;
    header->style().align = vell::Align::Center;
    header->style().width = vell::SizeSpec::fill();
    header->add({ heading, clear });

    holder = vell::box();
    holder->style().width = vell::SizeSpec::fill();
    holder->style().height = vell::SizeSpec::fill();
    rows.list->rowHeight = kRowHeight;
    rows.make = [this](int index) { return makeRow(index); };
    rows.show(*holder, 0);
    add({ header, holder });
}

vell::WidgetPtr QueueDrawer::makeRow(int index)
{
    const PlayerCore* player = activePlayer();
    if (!player || index < 0 || size_t(index) >= player->queue.size())
        return nullptr;
    const Song& song = player->queue[size_t(index)];

    auto cover = coverImage(song.coverArt, 300, 40);
    cover->style().radius = 8;
    auto texts = vell::box();
    texts->style().gap = 1;
    texts->style().width = vell::SizeSpec::fill();
    texts->add({ vell::label(song.title, "row-title"), vell::label(song.artist, "caption") });
    auto play = playerButton(0, 0, [index](PlayerCore& p) { p.playIndex(index); }, "list");
    play->style().width = vell::SizeSpec::fill();
    play->style().padding = vell::symmetricEdges(10, 8);
    play->style().gap = 12;
    play->add({ playingMark(song.id, 0), cover, texts });
    auto remove = playerButton(kClose, 0, [index](PlayerCore& p) { p.removeAt(index); });
    remove->style().padding = vell::uniformEdges(8);

    auto row = vell::box();
    row->style().direction = vell::Direction::Row;
    row->style().align = vell::Align::Center;
    row->style().gap = 2;
    row->style().width = vell::SizeSpec::fill();
    row->add({ play, remove });
    if (index == m_refocus) {
        m_refocus = -1;
        if (vell::Engine* engine = services().engine)
            engine->setFocus(m_refocusRemove ? remove.get() : play.get());
    }
    return row;
}

void QueueDrawer::update(vell::UiContext&, float)
{
    const PlayerCore* player = activePlayer();
    const int change = player ? player->changeCount : 0;
    if (change != lastChange) {
        lastChange = change;
        ++rebuilds;
        const int length = player ? int(player->queue.size()) : 0;
        noteFocus();
        rows.show(*holder, length);
        // Past the end (the last row was removed) the new last row takes the focus.
        m_refocus = m_refocus < 0 ? -1 : std::min(m_refocus, length - 1);
        count->setText(songCount(size_t(length)));
        const int index = player ? player->index : -1;
        m_centre = m_centre || (index >= 0 && index != m_lastIndex);
        m_lastIndex = index;
    }
    centreCurrent();
}

void QueueDrawer::noteFocus()
{
    m_refocus = rows.focusedRow();
    vell::Engine* engine = services().engine;
    if (m_refocus < 0 || !engine)
        return;
    const vell::WidgetPtr& row = rows.list->rows[m_refocus];
    m_refocusRemove = row->children.size() > 1 && engine->focus() == row->children[1].get();
    // The rows are about to be destroyed; this drawer gives the focus back itself.
    engine->setFocus(nullptr);
}

void QueueDrawer::centreCurrent()
{
    const float viewport = rows.list->viewport.h;
    if (!m_centre || viewport <= 0 || m_lastIndex < 0)
        return;
    m_centre = false;
    const float pitch = kRowHeight + rows.list->resolved.gap.valueOr(0);
    const float most = std::max(rows.list->contentHeight() - viewport, 0.0f);
    const float offset = std::clamp(pitch * float(m_lastIndex) - (viewport - kRowHeight) / 2, 0.0f, most);
    rows.list->scrollY.value = rows.list->scrollY.target = offset;
    rows.list->scrollY.velocity = 0;
}

std::shared_ptr<QueueDrawer> queueDrawer()
{
    auto drawer = std::make_shared<QueueDrawer>();
    drawer->build();
    return drawer;
}

} // namespace cad

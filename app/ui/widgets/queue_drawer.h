#pragma once
// cad::QueueDrawer ("queue-drawer") — "Up next" in the shell's side drawer: the
// queue length, "Clear queue", and one row per queued song (pressing it plays that
// position, its cross removes it). Rows are made on demand and all made again when
// the player's changeCount moves; the focused row (by position, clamped to the new
// length) and the scroll offset survive that. When another song becomes current the
// list centres it.
//
//   shell.drawer->addChild(queueDrawer());

#include "app/ui/widgets/row_list.h"
#include "vell/flex.h"
#include "vell/label.h"
#include "vell/widget_t.h"

#include <memory>

namespace cad {

class QueueDrawer : public vell::ContainerT<QueueDrawer, vell::Flex> {
public:
    static constexpr const char* kTypeName = "queue-drawer";
    static constexpr float kRowHeight = 62;

    QueueDrawer();

    bool interactive() const override { return false; }
    void update(vell::UiContext& ctx, float dt) override;
    // Creates the children once, right after construction.
    void build();

    int lastChange = 0;
    int rebuilds = 0; // how often the rows were dropped for a change (tests)

    std::shared_ptr<vell::Label> count;
    std::shared_ptr<vell::Widget> holder;
    RowList rows;

private:
    vell::WidgetPtr makeRow(int index);
    // Scrolls so the current song's row sits in the middle, once the list has a viewport.
    void centreCurrent();
    // Remembers the focused row and button and takes the focus off them.
    void noteFocus();

    int m_refocus = -1;
    bool m_refocusRemove = false;
    int m_lastIndex = -1;
    bool m_centre = false;
};

// A built drawer.
std::shared_ptr<QueueDrawer> queueDrawer();

} // namespace cad

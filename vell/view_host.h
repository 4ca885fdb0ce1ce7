#pragma once
#include <memory>

#include "vell/flex.h"
#include "vell/spring.h"
#include "vell/view.h"
#include "vell/widget_t.h"

namespace vell {

// Hosts the current view's root and animates the change between views: the
// incoming root slides 72 px in from the side it comes from and fades in, the
// outgoing one slides a little the other way and fades out faster. The
// outgoing root is no longer a child (it cannot be hit or focused) but is
// still updated, laid out and drawn until the transition ends.
class ViewHost : public ContainerT<ViewHost, Flex> {
public:
    static constexpr const char* kTypeName = "view-host";
    static constexpr float kSlide = 72.0f;

    ViewHost();

    // Shows `view` with `direction` (+1 forward, -1 back). The old view's
    // onLeave runs first, the new view's onShow last.
    void show(const ViewPtr& view, int direction);

    const ViewPtr& current() const { return m_current; }
    const WidgetPtr& outgoing() const { return m_outgoing; }
    int direction() const { return m_direction; }
    float progress() const { return m_progress.value; }

    void update(UiContext& ctx, float dt) override;
    void arrange(UiContext& ctx, const Rect& content) override;
    void draw(UiContext& ctx) override;

private:
    void applyTransition();

    ViewPtr m_current;
    WidgetPtr m_currentRoot;
    WidgetPtr m_outgoing;
    int m_direction = 1;
    Spring m_progress;
};

std::shared_ptr<ViewHost> viewHost();

} // namespace vell

#include "vell/view_host.h"

#include <algorithm>

namespace vell {

ViewHost::ViewHost() {
    style().direction = Direction::Stack;
    m_progress.value = m_progress.target = 1;
    m_progress.stiffness = 420;
    m_progress.damping = 1;
    m_progress.epsilon = 0.001f;
}

std::shared_ptr<ViewHost> viewHost() { return std::make_shared<ViewHost>(); }

void ViewHost::show(const ViewPtr& view, int direction) {
    if (!view || view == m_current)
        return;
    ViewPtr previous = m_current;
    if (previous && previous->onLeave)
        previous->onLeave(direction);
    if (m_currentRoot) {
        m_outgoing = m_currentRoot;
        removeChild(m_currentRoot.get());
    }
    m_current = view;
    m_currentRoot = view->root;
    m_direction = direction >= 0 ? 1 : -1;
    if (m_currentRoot)
        addChild(m_currentRoot);
    m_progress.velocity = 0;
    m_progress.target = 1;
    m_progress.value = previous ? 0.0f : 1.0f;
    if (!previous)
        m_outgoing.reset();
    applyTransition();
    if (view->onShow)
        view->onShow();
}

void ViewHost::applyTransition() {
    float c = m_progress.value;
    float d = float(m_direction);
    if (m_currentRoot) {
        m_currentRoot->style().offsetX = (1 - c) * kSlide * d;
        m_currentRoot->style().opacity = std::clamp(1.6f * c, 0.0f, 1.0f);
    }
    if (m_outgoing) {
        m_outgoing->style().offsetX = -c * kSlide * 0.6f * d;
        m_outgoing->style().opacity = std::clamp(1 - 1.8f * c, 0.0f, 1.0f);
    }
}

void ViewHost::update(UiContext& ctx, float dt) {
    m_progress.step(dt);
    applyTransition();
    if (!m_outgoing)
        return;
    if (m_progress.atRest() && m_progress.value >= 0.999f) {
        m_outgoing->style().offsetX = 0.0f;
        m_outgoing->style().opacity = 1.0f;
        m_outgoing.reset();
        return;
    }
    m_outgoing->tickTree(ctx, dt);
}

void ViewHost::arrange(UiContext& ctx, const Rect& content) {
    Flex::arrange(ctx, content);
    if (!m_outgoing)
        return;
    Size size = m_outgoing->measureConstrained(ctx, content.w, content.h);
    m_outgoing->place(ctx, {content.x, content.y}, size);
}

void ViewHost::draw(UiContext& ctx) {
    if (m_outgoing)
        m_outgoing->paint(ctx);
}

} // namespace vell

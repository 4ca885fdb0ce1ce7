// Button and pointer dispatch and focus moves of the engine.
#include <cmath>

#include "vell/engine.h"
#include "vell/focus_navigation.h"
#include "vell/scrollable.h"

namespace vell {
namespace {

constexpr float kDragThreshold = 8.0f;
constexpr float kStickSpeed = 900.0f;
constexpr float kWheelStep = -64.0f;

} // namespace

void Engine::setFocus(Widget* widget) {
    if (widget == m_focus)
        return;
    Widget* old = m_focus;
    m_focus = widget;
    if (old) {
        old->focused = false;
        if (old->onBlur)
            old->onBlur();
    }
    if (!widget)
        return;
    widget->focused = true;
    for (Widget* a = widget->parent; a; a = a->parent)
        a->scrollIntoView(widget->rect);
    if (widget->onFocus)
        widget->onFocus();
}

Widget* Engine::scrollTarget() {
    if (Widget* w = scrollableAncestor(m_focus))
        return w;
    if (m_input.active) {
        bool outside = false;
        if (Widget* w = scrollableAncestor(m_shell->hitTest(m_input.pointer, outside)))
            return w;
    }
    return firstScrollable(m_shell->topRoot());
}

// ---- Buttons ----

void Engine::dispatchButtons() {
    for (int button = 0; button < kPadButtonCount; ++button) {
        if (!m_input.triggered(button))
            continue;
        dispatchButton(button);
        if (!m_shell)
            return;
    }
}

bool Engine::runBindings(const std::vector<Binding>& bindings, int button, bool firstOnly) {
    // Copied first: an action may replace the view and its bindings.
    std::vector<std::function<void()>> actions;
    for (const Binding& b : bindings)
        if (b.button == button && b.action && (b.first || !firstOnly))
            actions.push_back(b.action);
    for (auto& action : actions)
        action();
    return !actions.empty();
}

bool Engine::dispatchButton(int button) {
    if (m_focus && m_focus->onButton(m_ctx, button))
        return true;

    bool modal = m_shell->hasOpenLayer() || m_shell->drawerOpen();
    if (button == Circle) {
        if (m_shell->dismissTopLayer())
            return true;
        if (m_shell->drawerOpen()) {
            m_shell->closeDrawer();
            return true;
        }
    }
    if (!modal) {
        if (runBindings(std::vector<Binding>(m_bindings), button, true))
            return true;
        ViewPtr view = m_shell->currentView();
        if (view && runBindings(view->bindings, button))
            return true;
        if (runBindings(std::vector<Binding>(m_bindings), button))
            return true;
    }
    if (isDirection(button)) {
        moveFocus(button);
        return true;
    }
    if (button == Circle && m_shell->viewStack.size() > 1) {
        m_shell->back();
        return true;
    }
    return false;
}

void Engine::moveFocus(int direction) {
    Widget* root = m_shell->topRoot();
    if (!m_focus) {
        setFocus(firstFocusable(root));
        return;
    }
    if (Widget* next = navigate(root, m_focus, direction)) {
        setFocus(next);
        return;
    }
    Widget* target = scrollerToward(m_focus, direction);
    if (!target)
        target = scrollTarget();
    if (auto* scroller = dynamic_cast<Scrollable*>(target))
        target->scrollBy(m_ctx, directionStep(direction, scroller->scrollStep()));
}

// ---- Pointer ----

void Engine::dispatchPointer(float dt) {
    if (m_input.stick.x != 0 || m_input.stick.y != 0) {
        if (Widget* target = scrollTarget())
            target->scrollBy(m_ctx, {m_input.stick.x * kStickSpeed * dt, m_input.stick.y * kStickSpeed * dt});
    }
    if (m_input.active) {
        bool outside = false;
        setHovered(m_shell->hitTest(m_input.pointer, outside));
    }
    if (m_input.pressed)
        pointerPress();
    else if (m_input.down && m_pressed)
        pointerHeld();
    if (m_input.released)
        pointerRelease();
    pointerWheel();
    if (m_input.touch)
        setHovered(nullptr);
}

void Engine::setHovered(Widget* widget) {
    if (widget == m_hovered)
        return;
    if (Widget* old = m_hovered) {
        old->hovered = false;
        if (old->onHover)
            old->onHover(false);
    }
    m_hovered = nullptr;
    if (!widget || !widget->enabled())
        return;
    m_hovered = widget;
    widget->hovered = true;
    if (widget->onHover)
        widget->onHover(true);
}

void Engine::pointerPress() {
    bool outside = false;
    Widget* target = m_shell->hitTest(m_input.pointer, outside);
    if (outside) {
        if (!m_shell->dismissTopLayer() && m_shell->drawerOpen())
            m_shell->closeDrawer();
    }
    m_pressed = target;
    m_pressPosition = m_input.pointer;
    m_dragging = false;
    if (!target)
        return;
    if (target->focusable)
        setFocus(target);
    if (m_pressed)
        m_pressed->onPointerDown(m_ctx, m_input.pointer);
}

void Engine::pointerHeld() {
    Point at = m_input.pointer;
    if (!m_dragging && m_pressed->wantsDrag(at, m_pressPosition))
        m_dragging = true;
    Point movement{at.x - m_pressPosition.x, at.y - m_pressPosition.y};
    if (!m_dragging && std::hypot(movement.x, movement.y) > kDragThreshold) {
        for (Widget* w = m_pressed; w; w = w->parent) {
            if (!w->canDrag(movement))
                continue;
            if (w != m_pressed) {
                m_pressed->onPointerCancel(m_ctx);
                m_pressed = w;
                w->onPointerDown(m_ctx, m_pressPosition);
            }
            m_dragging = true;
            break;
        }
    }
    if (!m_pressed)
        return;
    if (!m_dragging)
        m_pressed->pressed = m_pressed->rect.contains(at);
    m_pressed->onPointerMove(m_ctx, at);
}

void Engine::pointerRelease() {
    Widget* target = m_pressed;
    bool inside = target && !m_dragging && target->rect.contains(m_input.pointer);
    m_pressed = nullptr;
    m_dragging = false;
    if (target)
        target->onPointerUp(m_ctx, inside, m_input.pointer);
}

void Engine::pointerWheel() {
    if (m_input.wheel.x == 0 && m_input.wheel.y == 0)
        return;
    bool outside = false;
    Point delta{m_input.wheel.x * kWheelStep, m_input.wheel.y * kWheelStep};
    for (Widget* w = m_shell->hitTest(m_input.pointer, outside); w; w = w->parent)
        if (w->scrollBy(m_ctx, delta))
            return;
}

} // namespace vell

#include "vell/shell.h"

#include <algorithm>

#include "vell/button.h"
#include "vell/color_ref.h"
#include "vell/focus_navigation.h"
#include "vell/glyph.h"
#include "vell/renderer.h"
#include "vell/spacer.h"
#include "vell/theme.h"
#include "vell/ui_context.h"

namespace vell {
namespace {

Spring makeSpring(float value, float target, float stiffness, float damping, float epsilon) {
    Spring s;
    s.value = value;
    s.target = target;
    s.stiffness = stiffness;
    s.damping = damping;
    s.epsilon = epsilon;
    return s;
}

std::shared_ptr<Box> container(const char* styleClass, Direction direction) {
    auto b = box()->withClass(styleClass);
    b->style().direction = direction;
    return b;
}

Widget* nearestInteractive(Widget* w) {
    for (; w; w = w->parent)
        if (w->interactive())
            return w;
    return nullptr;
}

bool contains(const Widget* root, const Widget* w) {
    return root && w && (root == w || root->isAncestorOf(w));
}

bool canHoldFocus(const Widget* w) {
    return w && w->focusable && w->enabled() && w->visibleInTree();
}

} // namespace

Shell::Shell() {
    root = container("shell-root", Direction::Row);
    nav = container("shell-nav", Direction::Column);
    navHeader = container("shell-nav-header", Direction::Column);
    navBody = container("shell-nav-body", Direction::Column);
    nav->add({navHeader, navBody});

    main = container("shell-main", Direction::Column);
    top = container("shell-top", Direction::Row);
    titleLabel = label("", "view-title");
    top->add({titleLabel, spacer()});
    body = container("shell-body", Direction::Column);
    viewHost = vell::viewHost();
    body->add(viewHost);
    bottom = container("shell-bottom", Direction::Row);
    hints = hintBar();
    bottom->add(hints);
    main->add({top, body, bottom});
    root->add({nav, main});

    drawer = container("shell-drawer", Direction::Column);
    m_drawerSpring = makeSpring(0, 0, 420, 0.5f, 0.001f);
}

// ---- Views ----

void Shell::push(const ViewPtr& view) {
    if (!view)
        return;
    if (!viewStack.empty() && focusGetter)
        viewStack.back()->returnFocus = focusGetter();
    viewStack.push_back(view);
    show(view, 1);
    handOverFocus(view);
}

void Shell::back() {
    if (viewStack.size() <= 1)
        return;
    viewStack.pop_back();
    const ViewPtr& view = viewStack.back();
    show(view, -1);
    handOverFocus(view, view->returnFocus);
}

void Shell::show(const ViewPtr& view, int direction) {
    if (!view)
        return;
    viewHost->show(view, direction);
    setTitle(view->title);
}

void Shell::handOverFocus(const ViewPtr& view, std::weak_ptr<Widget> preferred) {
    restoreFocus.reset();
    m_pendingView = view;
    m_pendingTarget = std::move(preferred);
    m_pendingWait = kFocusHandOverSeconds;
    m_pendingFresh = true;
}

void Shell::setTitle(const std::string& text) {
    titleLabel->setText(text);
}

// ---- Layers ----

WidgetPtr Shell::dialog(const std::string& title, const std::string& text,
                        const std::vector<std::pair<std::string, std::function<void()>>>& buttons) {
    auto panel = container("dialog", Direction::Column);
    panel->add(label(title, "headline"));
    auto message = label(text);
    message->style().wrap = true;
    message->style().color = colorToken("onSurfaceVariant");
    panel->add(message);

    auto row = container("dialog-buttons", Direction::Row);
    row->style().gap = 8.0f;
    row->style().justify = Justify::End;
    row->style().width = SizeSpec::fill();
    Widget* identity = panel.get();
    for (size_t i = 0; i < buttons.size(); ++i) {
        // Only the confirming (last) button is filled; the others are text buttons.
        const bool confirming = i + 1 == buttons.size();
        auto button = vell::button(buttons[i].first, 0, confirming ? "" : "text");
        auto action = buttons[i].second;
        button->onClick = [this, identity, action] {
            closeLayer(identity);
            if (action)
                action();
        };
        row->add(button);
    }
    panel->add(row);
    openLayer(panel);
    return panel;
}

void Shell::openLayer(const WidgetPtr& panel, int32_t kind, bool dismissible,
                      std::function<void()> onClose) {
    if (!panel)
        return;
    Layer layer;
    layer.identity = panel.get();
    layer.panel = panel;
    layer.kind = kind;
    layer.dismissible = dismissible;
    layer.spring = makeSpring(0, 1, 480, 0.5f, 0.002f);
    layer.onClose = std::move(onClose);
    layer.focusTarget = focusGetter ? focusGetter() : nullptr;
    layers.push_back(std::move(layer));
}

void Shell::closeLayer(Widget* identity) {
    std::vector<std::function<void()>> actions;
    for (Layer& layer : layers) {
        if (layer.identity != identity || layer.closing)
            continue;
        layer.closing = true;
        layer.spring.target = 0;
        restoreFocus = layer.focusTarget;
        if (layer.onClose)
            actions.push_back(layer.onClose);
    }
    for (auto& action : actions)
        action();
}

bool Shell::dismissTopLayer() {
    const Layer* layer = topLayer();
    if (!layer)
        return false;
    if (layer->dismissible)
        closeLayer(layer->identity);
    return true;
}

bool Shell::hasOpenLayer() const { return topLayer() != nullptr; }

const Shell::Layer* Shell::topLayer() const {
    for (auto it = layers.rbegin(); it != layers.rend(); ++it)
        if (!it->closing)
            return &*it;
    return nullptr;
}

// ---- Toasts ----

void Shell::toast(const std::string& title, const std::string& bodyText, uint32_t icon, float seconds) {
    toast(title, bodyText, icon, seconds, {});
}

WidgetPtr Shell::toast(const std::string& title, const std::string& bodyText, uint32_t icon, float seconds,
                       std::function<void()> onTap) {
    auto widget = container("toast", Direction::Row);
    widget->style().gap = 14.0f;
    widget->style().align = Align::Center;
    if (icon != 0)
        widget->add(glyph(int32_t(icon)));
    auto texts = container("toast-text", Direction::Column);
    texts->style().gap = 2.0f;
    texts->add(label(title, "toast-title"));
    if (!bodyText.empty())
        texts->add(label(bodyText, "toast-body"));
    widget->add(texts);

    Toast entry;
    entry.widget = widget;
    entry.spring = makeSpring(0, 1, 460, 0.5f, 0.002f);
    entry.remaining = seconds;
    if (onTap) {
        Widget* self = widget.get();
        widget->onClick = [this, self, onTap = std::move(onTap)] {
            closeToast(self);
            onTap();
        };
    }
    toasts.push_back(std::move(entry));
    while (toasts.size() > kMaxToasts)
        toasts.erase(toasts.begin());
    return widget;
}

void Shell::closeToast(const Widget* widget) {
    for (Toast& t : toasts) {
        if (t.widget.get() == widget && !t.closing) {
            t.closing = true;
            t.spring.target = 0;
        }
    }
}

bool Shell::toastShown(const Widget* widget) const {
    return std::any_of(toasts.begin(), toasts.end(),
                       [widget](const Toast& t) { return t.widget.get() == widget && !t.closing; });
}

// ---- Drawer ----

void Shell::openDrawer() {
    if (m_drawerOpen)
        return;
    m_drawerOpen = true;
    m_drawerSpring.target = 1;
    m_drawerFocus = focusGetter ? focusGetter() : nullptr;
}

void Shell::closeDrawer() {
    if (!m_drawerOpen)
        return;
    m_drawerOpen = false;
    m_drawerSpring.target = 0;
    restoreFocus = m_drawerFocus;
    m_drawerFocus.reset();
}

// ---- Per frame ----

// A short screen keeps every rail button: the gaps close up first, then the
// header (the logo) gives its room. Measured from the buttons' last sizes, so a
// rail that fits stays exactly as styled.
void Shell::fitRail(float height) {
    constexpr float kDesignedGap = 10, kTightGap = 4, kChrome = 12 + 20 + 24; // nav gap, padding, margins
    float buttons = 0;
    int count = 0;
    for (const WidgetPtr& child : navBody->children)
        if (child->visible) {
            buttons += child->lastSize.h;
            ++count;
        }
    const float gaps = float(std::max(0, count - 1));
    const float header = std::max(56.0f, navHeader->lastSize.h);
    const bool tight = buttons + gaps * kDesignedGap + header + kChrome > height;
    const bool headerShown = !tight || buttons + gaps * kTightGap + header + kChrome <= height;
    Optional<float>& gap = navBody->style().gap;
    if (gap.set == tight && navHeader->visible == headerShown)
        return;
    if (tight)
        gap = kTightGap;
    else
        gap.reset();
    navHeader->visible = headerShown;
    navBody->markStyleDirty();
}

void Shell::update(UiContext& ctx, float dt) {
    fitRail(ctx.logicalSize.h);
    updateDrawer(ctx, dt);
    updateLayers(ctx, dt);
    updateToasts(ctx, dt);
    layout(ctx);
    restoreFocusIfReady();
    runFocusHandOver(ctx);
}

void Shell::updateDrawer(UiContext& ctx, float dt) {
    m_drawerSpring.step(dt);
    root->tickTree(ctx, dt);
    if (m_drawerOpen || m_drawerSpring.value > 0.002f)
        drawer->tickTree(ctx, dt);
}

void Shell::updateLayers(UiContext& ctx, float dt) {
    for (Layer& layer : layers) {
        layer.spring.step(dt);
        layer.panel->tickTree(ctx, dt);
    }
    std::erase_if(layers, [](const Layer& l) { return l.closing && l.spring.value < 0.01f; });
}

void Shell::updateToasts(UiContext& ctx, float dt) {
    for (Toast& t : toasts) {
        t.spring.step(dt);
        t.widget->tickTree(ctx, dt);
        if (t.closing)
            continue;
        // Real time: the loop may have slept through most of the toast's life.
        t.remaining -= ctx.timerStep(t.fresh);
        if (t.remaining <= 0) {
            t.closing = true;
            t.spring.target = 0;
            ctx.keepAnimating(); // the exit starts with the next step
        } else {
            ctx.requestFrameIn(t.remaining);
        }
    }
    std::erase_if(toasts, [](const Toast& t) { return t.closing && t.spring.value < 0.01f; });
}

void Shell::layout(UiContext& ctx) {
    const float W = ctx.logicalSize.w;
    const float H = ctx.logicalSize.h;
    root->measureConstrained(ctx, W, H);
    root->place(ctx, {0, 0}, {W, H});

    if (m_drawerOpen || m_drawerSpring.value > 0.002f) {
        Edges m = drawer->resolved.margin.valueOr(Edges{12, 12, 12, 12});
        float mh = m.left + m.right;
        float mv = m.top + m.bottom;
        Size size = drawer->measureConstrained(ctx, std::max(0.0f, W - mh), std::max(0.0f, H - mv));
        float x = m.left - (1 - m_drawerSpring.value) * (mh + size.w + 8);
        drawer->place(ctx, {x, m.top}, size);
    }

    for (Layer& layer : layers) {
        Size size = layer.panel->measureConstrained(ctx, 0.9f * W, 0.9f * H);
        layer.panel->place(ctx, {(W - size.w) / 2, (H - size.h) / 2}, size);
    }

    float bottomEdge = H - 18;
    for (auto it = toasts.rbegin(); it != toasts.rend(); ++it) {
        Size size = it->widget->measureConstrained(ctx, std::min(0.6f * W, 360.0f), H);
        it->widget->place(ctx, {W - 18 - size.w, bottomEdge - size.h}, size);
        bottomEdge -= size.h + 10;
    }
}

void Shell::restoreFocusIfReady() {
    if (!restoreFocus)
        return;
    Widget* target = restoreFocus.get();
    if (contains(topRoot(), target) && canHoldFocus(target)) {
        if (focusSetter)
            focusSetter(target);
        restoreFocus.reset();
        return;
    }
    // Once nothing modal is left the target is stale; the engine's repair takes over.
    if (!hasOpenLayer() && !m_drawerOpen)
        restoreFocus.reset();
}

void Shell::runFocusHandOver(UiContext& ctx) {
    if (!m_pendingView)
        return;
    // A view that is no longer shown (gone back from, or replaced) must not
    // pull focus into a tree that has left the screen.
    if (viewHost->current() != m_pendingView) {
        m_pendingView.reset();
        return;
    }
    if (hasOpenLayer() || m_drawerOpen)
        return;
    m_pendingWait -= ctx.timerStep(m_pendingFresh);
    Widget* viewRoot = m_pendingView->root.get();
    WidgetPtr focused = focusGetter ? focusGetter() : nullptr;
    Widget* target = nullptr;
    if (contains(viewRoot, focused.get())) {
        m_pendingView.reset();
        return;
    }
    if (WidgetPtr back = m_pendingTarget.lock(); back && contains(topRoot(), back.get()) && canHoldFocus(back.get()))
        target = back.get();
    if (!target)
        target = firstFocusable(m_pendingView->contentArea());
    if (!target && m_pendingWait <= 0)
        target = firstFocusable(viewRoot);
    if (!target && m_pendingWait > 0) {
        ctx.requestFrameIn(m_pendingWait);
        return;
    }
    if (target && focusSetter)
        focusSetter(target);
    m_pendingView.reset();
    m_pendingTarget.reset();
}

void Shell::drawScrim(UiContext& ctx, float alpha) {
    Color scrim = ctx.theme ? ctx.theme->color("scrim") : Color{0, 0, 0, 255};
    scrim.a = alpha;
    ctx.renderer->fillRoundRect(0, 0, ctx.logicalSize.w, ctx.logicalSize.h, 0, scrim);
}

void Shell::draw(UiContext& ctx) {
    if (!ctx.renderer)
        return;
    Renderer& r = *ctx.renderer;
    root->paint(ctx);

    float p = m_drawerSpring.value;
    if (p >= 0.003f) {
        drawScrim(ctx, 150 * std::min(p, 1.0f));
        drawer->paint(ctx);
    }

    for (Layer& layer : layers) {
        float c = layer.spring.value;
        drawScrim(ctx, 150 * std::clamp(c, 0.0f, 1.0f));
        const Rect& rect = layer.panel->rect;
        r.pushTransformAbout(0.86f + 0.14f * c, rect.x + rect.w / 2, rect.y + rect.h / 2,
                             std::clamp(c, 0.0f, 1.0f));
        layer.panel->paint(ctx);
        r.popTransform();
    }

    for (Toast& t : toasts) {
        float d = t.spring.value;
        Transform now = r.transform();
        float dy = (1 - d) * (40 + t.widget->rect.h);
        r.pushTransform({now.scale, now.tx, now.ty + dy * now.scale,
                         now.opacity * std::min(1.0f, std::max(0.0f, 1.5f * d))});
        t.widget->paint(ctx);
        r.popTransform();
    }
}

Widget* Shell::hitTest(Point point, bool& outside) const {
    outside = false;
    if (const Layer* layer = topLayer()) {
        Widget* hit = layer->panel->hitTest(point);
        outside = hit == nullptr;
        return nearestInteractive(hit);
    }
    // Toasts lie above the drawer and the main tree; only those that take a tap answer.
    for (auto it = toasts.rbegin(); it != toasts.rend(); ++it) {
        if (it->closing || !it->widget->onClick)
            continue;
        if (Widget* hit = nearestInteractive(it->widget->hitTest(point)))
            return hit;
    }
    if (m_drawerOpen || m_drawerSpring.value > 0.05f) {
        Widget* hit = drawer->hitTest(point);
        outside = hit == nullptr;
        return nearestInteractive(hit);
    }
    return nearestInteractive(root->hitTest(point));
}

Widget* Shell::topRoot() const {
    if (const Layer* layer = topLayer())
        return layer->panel.get();
    if (m_drawerOpen)
        return drawer.get();
    return root.get();
}

} // namespace vell

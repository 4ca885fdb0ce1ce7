#include "vell/widget.h"

#include "vell/action_bus.h"
#include "vell/style_sheet.h"
#include "vell/theme.h"
#include "vell/ui_context.h"
#include "vell/widget_watcher.h"

#include <algorithm>

namespace vell {

Widget::Widget() = default;

Widget::~Widget()
{
    // Children kept alive elsewhere must not point at a freed parent.
    for (auto& child : children) {
        if (child && child->parent == this)
            child->parent = nullptr;
    }
    notifyWidgetDestroyed(this);
}

float Widget::grow() const { return 0; }

bool Widget::interactive() const { return focusable || bool(onClick); }

bool Widget::clipsChildren() const { return resolved.clip.valueOr(false); }

Size Widget::measure(UiContext&, float, float) { return {}; }

void Widget::arrange(UiContext&, const Rect&) { }

void Widget::update(UiContext&, float) { }

void Widget::draw(UiContext&) { }

void Widget::drawOverlay(UiContext&) { }

bool Widget::onButton(UiContext& ctx, int32_t button)
{
    if (button != kButtonCross || disabled || (!onClick && action.empty()))
        return false;
    flash = kPressFlashSeconds;
    pressed = true;
    activate(ctx);
    return true;
}

void Widget::activate(UiContext& ctx)
{
    if (disabled)
        return;
    // The callback may drop the last outside reference to this widget
    // (a page rebuilding itself); keep it alive until we are done.
    auto keepAlive = weak_from_this().lock();
    std::string name = action;
    if (onClick)
        onClick();
    if (!name.empty() && ctx.actions)
        ctx.actions->emit(name);
}

void Widget::onPointerDown(UiContext&, Point) { pressed = true; }

void Widget::onPointerMove(UiContext&, Point) { }

void Widget::onPointerUp(UiContext& ctx, bool inside, Point)
{
    bool wasPressed = pressed;
    pressed = false;
    if (wasPressed && inside)
        activate(ctx);
}

void Widget::onPointerCancel(UiContext&) { pressed = false; }

bool Widget::wantsDrag(Point, Point) { return false; }

bool Widget::canDrag(Point) { return false; }

bool Widget::scrollBy(UiContext&, Point) { return false; }

void Widget::scrollIntoView(const Rect&) { }

Widget* Widget::hitTest(Point point)
{
    if (!visible || !rect.contains(point))
        return nullptr;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (Widget* hit = (*it)->hitTest(point))
            return hit;
    }
    return this;
}

// ---- Tree ----

void Widget::addChild(WidgetPtr child)
{
    (void)shared_from_this(); // a parent must be owned by a shared pointer
    if (!child || child.get() == this || child->isAncestorOf(this))
        return;
    if (child->parent)
        child->parent->removeChild(child.get());
    child->parent = this;
    children.push_back(std::move(child));
}

void Widget::removeChild(Widget* child)
{
    auto it = std::find_if(children.begin(), children.end(), [&](const WidgetPtr& c) { return c.get() == child; });
    if (it == children.end())
        return;
    (*it)->parent = nullptr;
    children.erase(it);
}

void Widget::clearChildren()
{
    for (auto& child : children)
        child->parent = nullptr;
    children.clear();
}

// ---- Style ----

void Widget::addClass(const std::string& name)
{
    classes.push_back(name);
    styleDirty = true;
}

bool Widget::hasClass(const std::string& name) const
{
    return std::find(classes.begin(), classes.end(), name) != classes.end();
}

Style& Widget::style(StyleState state)
{
    styleDirty = true;
    return inlineStyle[state];
}

uint32_t Widget::stateMask(const UiContext& ctx) const
{
    uint32_t mask = 0;
    if (hovered)
        mask |= kStateHovered;
    if (checked)
        mask |= kStateChecked;
    if (focused && ctx.navMode)
        mask |= kStateFocusVisible;
    if (pressed)
        mask |= kStatePressed;
    if (disabled)
        mask |= kStateDisabled;
    return mask;
}

void Widget::restyle(UiContext& ctx)
{
    uint32_t mask = stateMask(ctx);
    uint64_t version = ctx.sheet ? ctx.sheet->version() : 0;
    if (!styleDirty && mask == resolvedMask && version == resolvedVersion)
        return;
    resolveStyle(ctx, mask);
    resolvedMask = mask;
    resolvedVersion = version;
    styleDirty = false;
}

void Widget::resolveStyle(const UiContext& ctx, uint32_t mask)
{
    ++m_styleResolutions;
    resolved = Style {};
    if (const StyleSheet* sheet = ctx.sheet) {
        const std::string type = typeName();
        if (const StyleStates* states = sheet->find(type))
            states->applyTo(resolved, mask);
        for (const auto& name : classes) {
            if (const StyleStates* states = sheet->find(name))
                states->applyTo(resolved, mask);
            if (const StyleStates* states = sheet->find(type + "." + name))
                states->applyTo(resolved, mask);
        }
    }
    inlineStyle.applyTo(resolved, mask);
}

namespace {

Color resolveColor(const Optional<ColorRefPtr>& ref, const Theme& theme, Color fallback)
{
    if (!ref.set || !ref.value)
        return fallback;
    return ref.value->resolve(theme);
}

constexpr float kDisabledOpacity = 0.38f;

} // namespace

void Widget::setSpringTargets(UiContext& ctx)
{
    if (const Theme* theme = ctx.theme) {
        const Color none {};
        bgSpring.setTarget(resolveColor(resolved.background, *theme, none));
        borderSpring.setTarget(resolveColor(resolved.borderColor, *theme, none));
        // Text colour is inherited, so a label inside a button or a panel
        // takes the colour its container's class gives.
        Color inheritedText = parent ? parent->textSpring.target() : theme->color("onSurface");
        textSpring.setTarget(resolveColor(resolved.color, *theme, inheritedText));
        fillSpring.setTarget(resolveColor(resolved.fillColor, *theme, none));
        trackSpring.setTarget(resolveColor(resolved.trackColor, *theme, none));
        thumbSpring.setTarget(resolveColor(resolved.thumbColor, *theme, none));
    }

    float halfSide = std::min(rect.w, rect.h) / 2;
    radiusSpring.target = std::max(0.0f, std::min(resolved.radius.valueOr(0), halfSide));
    if (!m_radiusSnapped && rect.w > 0 && rect.h > 0) {
        radiusSpring.snap();
        m_radiusSnapped = true;
    }
    opacitySpring.target = resolved.opacity.valueOr(1) * (disabled ? kDisabledOpacity : 1);
    scaleSpring.target = resolved.scale.valueOr(1);
    focusSpring.target = focused && ctx.navMode ? 1 : 0;
    textSize = resolved.textSize.valueOr(ctx.fontSize);
    // A new widget appears in its own colours and opacity: easing them in from
    // nothing would fade every new panel in over the page's own entrance, and
    // blend each of those frames.
    if (!m_targetsSnapped && ctx.theme) {
        for (ColorSpring* s : colorSprings())
            s->snap();
        opacitySpring.snap();
        m_targetsSnapped = true;
    }
}

void Widget::stepSprings(float dt)
{
    for (ColorSpring* s : colorSprings())
        s->step(dt);
    radiusSpring.step(dt);
    opacitySpring.step(dt);
    scaleSpring.step(dt);
    focusSpring.step(dt);
}

void Widget::stepFlash(float dt)
{
    // Only a running flash drives `pressed`; a pointer press is left alone.
    if (flash <= 0)
        return;
    flash -= dt;
    pressed = flash > 0;
    if (flash < 0)
        flash = 0;
}

void Widget::tick(UiContext& ctx, float dt)
{
    restyle(ctx);
    setSpringTargets(ctx);
    stepSprings(dt);
    stepFlash(dt);
    if (flash > 0)
        ctx.keepAnimating();
    update(ctx, dt);
}

void Widget::tickTree(UiContext& ctx, float dt)
{
    auto keepAlive = weak_from_this().lock();
    tick(ctx, dt);
    // Index loop: update() may append children.
    for (size_t i = 0; i < children.size(); ++i) {
        WidgetPtr child = children[i];
        child->tickTree(ctx, dt);
    }
}

// ---- Layout ----

namespace {

// Subtracts from an available size, clamping at 0 and keeping unbounded unbounded.
float shrink(float available, float amount)
{
    if (isUnbounded(available))
        return kUnbounded;
    return std::max(0.0f, available - amount);
}

// The size one axis takes from its size spec, or a negative value for "from content".
float specSize(const Optional<SizeSpec>& sizeSpec, float available)
{
    if (!sizeSpec.set)
        return -1;
    switch (sizeSpec.value.mode) {
    case SizeMode::Fixed:
        return std::max(0.0f, sizeSpec.value.value);
    case SizeMode::Percent:
        return isUnbounded(available) ? -1 : std::max(0.0f, available * sizeSpec.value.value / 100);
    case SizeMode::Fill:
        return isUnbounded(available) ? -1 : std::max(0.0f, available);
    case SizeMode::Auto:
        break;
    }
    return -1;
}

} // namespace

Size Widget::measureConstrained(UiContext& ctx, float availW, float availH)
{
    if (!visible) {
        lastSize = {};
        return lastSize;
    }
    if (styleDirty)
        restyle(ctx); // widgets created during this frame's update
    const Style& s = resolved;
    const Edges pad = s.padding.valueOr({});
    const float padW = pad.left + pad.right;
    const float padH = pad.top + pad.bottom;

    float w = specSize(s.width, availW);
    float h = specSize(s.height, availH);
    if (w < 0 || h < 0) {
        // A maximum narrows the space the content is measured in, so wrapped
        // text is measured at the width it will be drawn at.
        float spaceW = w < 0 && s.maxWidth ? std::min(availW, s.maxWidth.value) : availW;
        float spaceH = h < 0 && s.maxHeight ? std::min(availH, s.maxHeight.value) : availH;
        float innerW = shrink(w < 0 ? spaceW : w, padW);
        float innerH = shrink(h < 0 ? spaceH : h, padH);
        Size content = measure(ctx, innerW, innerH);
        if (w < 0)
            w = content.w + padW;
        if (h < 0)
            h = content.h + padH;
    }
    if (s.minWidth)
        w = std::max(w, s.minWidth.value);
    if (s.minHeight)
        h = std::max(h, s.minHeight.value);
    if (s.maxWidth)
        w = std::min(w, s.maxWidth.value);
    if (s.maxHeight)
        h = std::min(h, s.maxHeight.value);
    lastSize = { w, h };
    return lastSize;
}

void Widget::place(UiContext& ctx, Point position, Size size)
{
    rect = { position.x + resolved.offsetX.valueOr(0), position.y + resolved.offsetY.valueOr(0), size.w, size.h };
    arrange(ctx, contentRect());
}

Rect Widget::contentRect() const
{
    const Edges pad = resolved.padding.valueOr({});
    return { rect.x + pad.left, rect.y + pad.top, std::max(0.0f, rect.w - pad.left - pad.right),
        std::max(0.0f, rect.h - pad.top - pad.bottom) };
}

// ---- Queries ----

bool Widget::visibleInTree() const
{
    for (const Widget* w = this; w; w = w->parent) {
        if (!w->visible)
            return false;
    }
    return true;
}

bool Widget::isAncestorOf(const Widget* other) const
{
    for (const Widget* w = other ? other->parent : nullptr; w; w = w->parent) {
        if (w == this)
            return true;
    }
    return false;
}

void collectFocusable(Widget* root, std::vector<Widget*>& out)
{
    if (!root || !root->visible)
        return;
    if (root->focusable && root->enabled() && root->rect.w > 0 && root->rect.h > 0)
        out.push_back(root);
    for (const auto& child : root->children)
        collectFocusable(child.get(), out);
}

} // namespace vell

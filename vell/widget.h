#pragma once
// vell::Widget — base of every element of the interface.
//
// Widgets live in a tree of shared pointers and are always created with
// std::make_shared (normally through a builder such as box() or label()).
// Each frame the shell walks the tree and calls tick() on every widget
// (style resolution, spring targets and steps, press flash, update()), then
// lays the roots out with measureConstrained() and place(), and the engine
// paints them with paint().
//
// Subclasses derive through WidgetT / ContainerT (vell/widget_t.h), which
// supply typeName() and chaining helpers.

#include "vell/geometry.h"
#include "vell/spring.h"
#include "vell/style.h"

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace vell {

struct UiContext;
class Widget;
using WidgetPtr = std::shared_ptr<Widget>;

// Seconds the pressed look shows after Cross activates a widget.
inline constexpr float kPressFlashSeconds = 0.14f;

// Logical button numbers the base widget reacts to.
inline constexpr int32_t kButtonCross = 4;

class Widget : public std::enable_shared_from_this<Widget> {
public:
    Widget();
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    // ---- Virtual operations (this order is fixed) ----

    // Tells every live WidgetWatcher (the engines) that this widget is gone.
    virtual ~Widget();
    // Style-class name of the type: "box", "label", ...
    virtual const char* typeName() const = 0;
    // Flex weight; 0 means not flexible.
    virtual float grow() const;
    // True when focusable or an activation callback is set.
    virtual bool interactive() const;
    // The resolved style's clip flag.
    virtual bool clipsChildren() const;
    // Preferred content size (padding excluded) for the available inner space.
    virtual Size measure(UiContext& ctx, float availW, float availH);
    // Positions the children inside the content rectangle (rect minus padding).
    virtual void arrange(UiContext& ctx, const Rect& content);
    // Per-frame step after style and springs.
    virtual void update(UiContext& ctx, float dt);
    // Own content: after background and border, before children.
    virtual void draw(UiContext& ctx);
    // After the children (scroll bars).
    virtual void drawOverlay(UiContext& ctx);
    // Cross on an enabled widget with onClick or an action: press flash and
    // activate(); returns whether the button was handled.
    virtual bool onButton(UiContext& ctx, int32_t button);
    // When enabled: onClick, then emit `action` (no value) on the action bus.
    virtual void activate(UiContext& ctx);
    virtual void onPointerDown(UiContext& ctx, Point position);
    virtual void onPointerMove(UiContext& ctx, Point position);
    // Activates when it was pressed and the release is inside.
    virtual void onPointerUp(UiContext& ctx, bool inside, Point position);
    virtual void onPointerCancel(UiContext& ctx);
    // Whether this widget claims a drag gesture itself (sliders).
    virtual bool wantsDrag(Point position, Point pressPosition);
    // Whether this widget takes over a drag with this movement (scrollers).
    virtual bool canDrag(Point movement);
    virtual bool scrollBy(UiContext& ctx, Point delta);
    virtual void scrollIntoView(const Rect& area);
    // Deepest widget under the point (last-drawn child first), or null.
    virtual Widget* hitTest(Point point);

    // ---- Tree ----

    // Sets the child's parent and appends it. Throws std::bad_weak_ptr when
    // this widget is not owned by a shared pointer.
    void addChild(WidgetPtr child);
    // Detaches one child (no-op when it is not a child) or all of them.
    void removeChild(Widget* child);
    void clearChildren();

    // ---- Style ----

    void addClass(const std::string& name);
    bool hasClass(const std::string& name) const;
    // Write access to one inline state record; marks the style dirty.
    Style& style(StyleState state = StyleState::Normal);
    void markStyleDirty() { styleDirty = true; }

    // ---- Per-frame (driven by the shell) ----

    // restyle, spring targets, spring step, press flash, update(), in that order.
    void tick(UiContext& ctx, float dt);
    // tick() on this widget and its subtree, parents before children.
    void tickTree(UiContext& ctx, float dt);

    // Recomputes `resolved` when the dirty flag is set, the state mask
    // changed or the sheet's version changed.
    void restyle(UiContext& ctx);
    uint32_t stateMask(const UiContext& ctx) const;
    // Points the springs at the resolved style (rect from the last layout).
    void setSpringTargets(UiContext& ctx);
    void stepSprings(float dt);
    void stepFlash(float dt);

    // ---- Layout ----

    // Size this widget wants in the available space (>= 5e8 is unbounded),
    // from its size specs, content, padding and min/max clamps. Stored in lastSize.
    Size measureConstrained(UiContext& ctx, float availW, float availH);
    // Sets rect (position plus offsets, size) and arranges the content.
    void place(UiContext& ctx, Point position, Size size);
    Rect contentRect() const;

    // ---- Painting ----

    // Draws this subtree: transform, background, border, draw(), clipped
    // children, drawOverlay(), focus ring.
    void paint(UiContext& ctx);

    // ---- Queries ----

    bool enabled() const { return !disabled; }
    // Visible itself and through every ancestor.
    bool visibleInTree() const;
    bool isAncestorOf(const Widget* other) const;
    // Current animated colours.
    Color backgroundColor() const { return bgSpring.value(); }
    Color textColor() const { return textSpring.value(); }
    Color borderColorValue() const { return borderSpring.value(); }
    Color fillColorValue() const { return fillSpring.value(); }
    Color trackColorValue() const { return trackSpring.value(); }
    Color thumbColorValue() const { return thumbSpring.value(); }
    // How many times the resolved style was recomputed (tests, diagnostics).
    uint64_t styleResolutions() const { return m_styleResolutions; }

    // ---- Fields ----

    std::string id;
    std::vector<std::string> classes; // style class names
    StyleStates inlineStyle;          // the widget's own six state records

    Style resolved;                   // computed by restyle()
    uint32_t resolvedMask = 0;
    uint64_t resolvedVersion = 0;
    bool styleDirty = true;

    Rect rect;      // absolute, logical pixels; written by place()
    Size lastSize;  // last result of measureConstrained()

    Widget* parent = nullptr;
    std::vector<WidgetPtr> children;

    bool visible = true;
    bool disabled = false;
    bool hovered = false;
    bool focused = false;
    bool pressed = false;
    bool checked = false;
    bool focusable = false;

    float flash = 0; // seconds of press flash left

    ColorSpring bgSpring, borderSpring, textSpring, fillSpring, trackSpring, thumbSpring;
    // All six above, for what applies to each colour alike.
    std::array<ColorSpring*, 6> colorSprings()
    {
        return { &bgSpring, &borderSpring, &textSpring, &fillSpring, &trackSpring, &thumbSpring };
    }
    Spring radiusSpring = Spring::radius();
    Spring opacitySpring = Spring::opacity();
    Spring scaleSpring = Spring::scale();
    Spring focusSpring = Spring::focus();
    float textSize = 16; // resolved text size

    std::function<void()> onClick;
    std::function<void()> onFocus;
    std::function<void()> onBlur;
    std::function<void(bool)> onHover;
    std::string action; // emitted on the action bus when activated

private:
    void resolveStyle(const UiContext& ctx, uint32_t mask);
    void paintChrome(UiContext& ctx);
    void paintFocusRing(UiContext& ctx);

    bool m_radiusSnapped = false;
    bool m_targetsSnapped = false;
    uint64_t m_styleResolutions = 0;
};

// Depth-first, parents before children, skipping invisible subtrees: every
// widget that is focusable, enabled and has a positive width and height.
void collectFocusable(Widget* root, std::vector<Widget*>& out);

} // namespace vell

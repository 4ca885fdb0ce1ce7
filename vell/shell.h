#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "vell/box.h"
#include "vell/hint_bar.h"
#include "vell/label.h"
#include "vell/spring.h"
#include "vell/view.h"
#include "vell/view_host.h"

namespace vell {

struct UiContext;

// The application frame the engine drives: navigation rail, main column (top
// bar, body hosting the current view, bottom bar with the hint bar), a
// slide-in drawer, modal dialog layers and toasts. Lays everything out against
// the logical screen each frame, animates entrances and exits with springs and
// draws in a fixed order with a scrim behind modal content.
//
//   engine.shell().push(View::framed("Home"));
//   engine.shell().dialog("Delete?", "This cannot be undone.",
//                         {{"Cancel", {}}, {"Delete", [&] { remove(); }}});
//   engine.shell().toast("Saved", "", 0xE86C, 3.5f);
class Shell {
public:
    static constexpr size_t kMaxToasts = 4;
    static constexpr float kFocusHandOverSeconds = 1.5f;

    struct Layer {
        Widget* identity = nullptr; // the panel; layers sharing it close together
        WidgetPtr panel;
        int32_t kind = 0;
        bool dismissible = true;
        bool closing = false;
        Spring spring;
        std::function<void()> onClose;
        WidgetPtr focusTarget; // focus to restore when it has closed
    };

    struct Toast {
        WidgetPtr widget;
        Spring spring;
        float remaining = 0;
        bool closing = false;
        bool fresh = true; // not updated yet
    };

    Shell();

    // ---- Trees ----
    std::shared_ptr<Box> root;       // "shell-root": rail and main column
    std::shared_ptr<Box> nav;        // "shell-nav"
    std::shared_ptr<Box> navHeader;  // "shell-nav-header"
    std::shared_ptr<Box> navBody;    // "shell-nav-body"
    std::shared_ptr<Box> main;       // "shell-main"
    std::shared_ptr<Box> top;        // "shell-top": title, spacer, application widgets
    std::shared_ptr<Label> titleLabel; // "view-title"
    std::shared_ptr<Box> body;       // "shell-body": holds the view host
    std::shared_ptr<Box> bottom;     // "shell-bottom": holds the hint bar
    std::shared_ptr<ViewHost> viewHost;
    std::shared_ptr<HintBar> hints;
    std::shared_ptr<Box> drawer;     // "shell-drawer", outside the main tree

    std::vector<ViewPtr> viewStack;
    std::vector<Layer> layers;
    std::vector<Toast> toasts;

    // Installed by the engine: reads and moves the focus.
    std::function<WidgetPtr()> focusGetter;
    std::function<void(Widget*)> focusSetter;
    WidgetPtr restoreFocus; // focus to give back once the top layer or drawer has closed

    // ---- Views ----
    // Pushes `view` and shows it going forward; the covered view remembers its focus.
    void push(const ViewPtr& view);
    // Pops the top view and shows the one below going back, handing focus to
    // the widget it remembered (else its first content); nothing with one view.
    void back();
    // Shows `view` in the host with `direction` and takes its title, leaving the stack alone.
    void show(const ViewPtr& view, int direction);
    ViewPtr currentView() const { return viewStack.empty() ? nullptr : viewStack.back(); }
    // Starts the focus hand-over to a newly shown view: the remembered restore
    // target is dropped; each frame without a dialog or drawer, focus goes to
    // `preferred` while it can still hold focus (in the view or around it), else to the view's
    // first focusable content, or after 1.5 s to anything focusable in it.
    void handOverFocus(const ViewPtr& view, std::weak_ptr<Widget> preferred = {});
    const ViewPtr& pendingFocusView() const { return m_pendingView; }
    void setTitle(const std::string& text);

    // ---- Layers ----
    // A modal dialog: title, text and one button per (label, action); the last
    // button is the filled one. Choosing a button closes the dialog first.
    WidgetPtr dialog(const std::string& title, const std::string& text,
                     const std::vector<std::pair<std::string, std::function<void()>>>& buttons);
    // Opens any panel as a modal layer.
    void openLayer(const WidgetPtr& panel, int32_t kind = 0, bool dismissible = true,
                   std::function<void()> onClose = {});
    // Closes every open layer of this panel: focus target kept for restoring, on-close run.
    void closeLayer(Widget* identity);
    // Circle or a press outside: closes the top open layer when dismissible.
    // Returns whether a layer was open (a non-dismissible one swallows the press).
    bool dismissTopLayer();
    bool hasOpenLayer() const;
    const Layer* topLayer() const;

    // ---- Toasts ----
    void toast(const std::string& title, const std::string& body, uint32_t icon, float seconds);
    // A toast that takes a tap: it closes and runs `onTap`. The returned widget names it
    // for closeToast and toastShown.
    WidgetPtr toast(const std::string& title, const std::string& body, uint32_t icon, float seconds,
                    std::function<void()> onTap);
    // Starts closing that toast; nothing when it is gone already.
    void closeToast(const Widget* widget);
    // True while that toast is shown and not closing.
    bool toastShown(const Widget* widget) const;

    // ---- Drawer ----
    void openDrawer();
    void closeDrawer();
    bool drawerOpen() const { return m_drawerOpen; }
    float drawerProgress() const { return m_drawerSpring.value; }

    // ---- Per frame ----
    void update(UiContext& ctx, float dt);
    void draw(UiContext& ctx);
    // The widget that takes the pointer at `point`: the nearest interactive
    // widget of the top layer, else the drawer, else the main tree. `outside`
    // is set when a layer or the drawer was searched and its panel missed.
    Widget* hitTest(Point point, bool& outside) const;
    // The root focus and navigation work in.
    Widget* topRoot() const;

private:
    void fitRail(float height);
    void updateDrawer(UiContext& ctx, float dt);
    void updateLayers(UiContext& ctx, float dt);
    void updateToasts(UiContext& ctx, float dt);
    void layout(UiContext& ctx);
    void restoreFocusIfReady();
    void runFocusHandOver(UiContext& ctx);
    void drawScrim(UiContext& ctx, float alpha);

    bool m_drawerOpen = false;
    Spring m_drawerSpring;
    WidgetPtr m_drawerFocus;
    ViewPtr m_pendingView;
    std::weak_ptr<Widget> m_pendingTarget;
    float m_pendingWait = 0;
    bool m_pendingFresh = false;
};

} // namespace vell

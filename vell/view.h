#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vell/binding.h"
#include "vell/widget.h"

namespace vell {

// One screen the shell can show: a widget tree with its own button bindings
// and title. Views are held by shared pointer (the shell's view stack and the
// application's navigation slots).
class View {
public:
    View() = default;
    virtual ~View() = default;

    // A view framed the usual way: a column root ("view") holding a top bar
    // ("view-top": a "view-title" text and a flexible spacer), the content area
    // ("view-body", filling the rest) and a bottom bar ("view-bottom").
    static std::shared_ptr<View> framed(const std::string& title);

    WidgetPtr root;
    WidgetPtr top;    // may be null for unframed views
    WidgetPtr body;   // the content area; focus hand-over looks here first
    WidgetPtr bottom;

    std::vector<Binding> bindings; // run while no dialog or drawer is open
    std::vector<Hint> hints;       // extra hints for application use
    std::string title;
    // The widget that held focus when another view was pushed over this one;
    // going back gives it the focus again while it still lives.
    std::weak_ptr<Widget> returnFocus;

    // Called each time the view becomes the shown view.
    std::function<void()> onShow;
    // Called when another view replaces it, with the direction (+1 forward, -1 back).
    std::function<void(int direction)> onLeave;

    // Where focus hand-over looks first: the body, else the root.
    Widget* contentArea() const { return body ? body.get() : root.get(); }
};

using ViewPtr = std::shared_ptr<View>;

} // namespace vell

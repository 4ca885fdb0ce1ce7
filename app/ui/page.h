#pragma once
// cad::Page — one screen of the application. A page builds its widgets into
// `root` (a box filling the view's body) and loads its data in refresh().
// Pages are created with make_shared and presented once:
//
//   auto page = std::make_shared<HomePage>();
//   vell::ViewPtr view = cad::presentPage(page); // the view now owns the page; start() ran
//   shell.viewStack.push_back(view);
//
// The view owns its page and the page keeps only a weak reference back, so a
// page lives exactly as long as its view. Asynchronous work captures
// weakSelf() and does nothing when the page is gone.

#include "vell/box.h"
#include "vell/view.h"

#include <memory>
#include <string>

namespace cad {

class Page : public std::enable_shared_from_this<Page> {
public:
    Page(const std::string& title, bool miniPlayer);
    virtual ~Page() = default;
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    // Called once, right after presentation.
    virtual void start() {}
    // (Re)loads the page's data.
    virtual void refresh() {}
    // Every frame for the navigation pages and the login page, shown or not.
    virtual void tick(float /*seconds*/) {}

    std::weak_ptr<Page> weakSelf() { return weak_from_this(); }

    std::shared_ptr<vell::Box> root;
    // Created by the constructor; moved out by presentPage.
    std::shared_ptr<vell::View> view;
    std::weak_ptr<vell::View> viewRef;
    // The view's top bar (own widgets go after the title) and content area.
    vell::WidgetPtr top;
    vell::WidgetPtr body;
    const std::string& title() const { return m_title; }
    bool miniPlayer() const { return m_miniPlayer; }

private:
    std::string m_title;
    bool m_miniPlayer = false;
};

// A view that owns the page it shows.
class PageView : public vell::View {
public:
    std::shared_ptr<Page> page;
};

// Moves the view out of a freshly built page, ties the two together, calls
// start() and returns the view for the caller to push or keep. Null for a null page
// or one already presented.
vell::ViewPtr presentPage(const std::shared_ptr<Page>& page);

} // namespace cad

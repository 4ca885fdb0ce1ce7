#include "app/ui/page.h"

#include "app/ui/widgets/mini_player.h"
#include "vell/spacer.h"

namespace cad {

Page::Page(const std::string& title, bool miniPlayer)
    : m_title(title)
    , m_miniPlayer(miniPlayer)
{
    root = vell::box();
    root->style().width = vell::SizeSpec::percent(100);
    root->style().height = vell::SizeSpec::percent(100);

    auto framed = vell::View::framed(title);
    auto own = std::make_shared<PageView>();
    own->title = framed->title;
    own->root = framed->root;
    own->top = framed->top;
    own->body = framed->body;
    own->bottom = framed->bottom;
    // The shell's own top bar shows the title; the view's bar keeps only what
    // a page adds after it.
    if (own->top && !own->top->children.empty())
        own->top->children.front()->visible = false;
    // The hint bar follows in the shell's own bottom bar.
    if (own->bottom)
        own->bottom->addChild(miniPlayer ? vell::WidgetPtr(cad::miniPlayer()) : vell::WidgetPtr(vell::spacer()));
    own->body->addChild(root);
    view = own;
}

vell::ViewPtr presentPage(const std::shared_ptr<Page>& page)
{
    if (!page || !page->view)
        return nullptr;
    auto view = std::static_pointer_cast<PageView>(std::move(page->view));
    page->view.reset();
    view->page = page;
    page->viewRef = view;
    page->top = view->top;
    page->body = view->body;
    page->start();
    return view;
}

} // namespace cad

#include "vell/view.h"

#include "vell/box.h"
#include "vell/spacer.h"
#include "vell/text_line.h"

namespace vell {

std::shared_ptr<View> View::framed(const std::string& title) {
    auto view = std::make_shared<View>();
    view->title = title;

    auto root = box()->withClass("view");
    root->style().direction = Direction::Column;
    root->style().width = SizeSpec::percent(100);
    root->style().height = SizeSpec::percent(100);

    auto top = box()->withClass("view-top");
    top->style().direction = Direction::Row;
    top->style().align = Align::Center;
    top->add({textLine(title, "view-title"), spacer()});

    auto body = box()->withClass("view-body");
    body->style().direction = Direction::Column;
    body->style().height = SizeSpec::fill();

    auto bottom = box()->withClass("view-bottom");
    bottom->style().direction = Direction::Row;
    bottom->style().align = Align::Center;

    root->add({top, body, bottom});
    view->root = root;
    view->top = top;
    view->body = body;
    view->bottom = bottom;
    return view;
}

} // namespace vell

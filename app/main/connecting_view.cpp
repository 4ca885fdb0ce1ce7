#include "app/main/connecting_view.h"

#include "vell/box.h"
#include "vell/circular_progress.h"
#include "vell/color_ref.h"
#include "vell/label.h"

namespace cad {

vell::ViewPtr connectingView()
{
    auto view = vell::View::framed("Sonaria");
    // The shell's top bar already shows the title.
    if (view->top && !view->top->children.empty())
        view->top->children.front()->visible = false;

    auto spinner = vell::circularProgress();
    spinner->indeterminate = true;
    auto text = vell::label("Connecting...");
    text->style().color = vell::colorToken("onSurfaceVariant");

    auto column = vell::box();
    column->style().direction = vell::Direction::Column;
    column->style().gap = 14;
    column->style().align = vell::Align::Center;
    column->add({ spinner, text });

    auto centre = vell::box();
    centre->style().width = vell::SizeSpec::fill();
    centre->style().height = vell::SizeSpec::fill();
    centre->style().align = vell::Align::Center;
    centre->style().justify = vell::Justify::Center;
    centre->add(column);
    view->body->addChild(centre);
    return view;
}

} // namespace cad

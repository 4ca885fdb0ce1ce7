#include "app/ui/widgets/empty_state.h"

#include "vell/box.h"
#include "vell/color_ref.h"
#include "vell/glyph.h"
#include "vell/label.h"

namespace cad {

vell::WidgetPtr emptyState(int32_t icon, const std::string& text)
{
    auto column = vell::box();
    column->style().width = vell::SizeSpec::fill();
    column->style().height = vell::SizeSpec::fill();
    column->style().align = vell::Align::Center;
    column->style().justify = vell::Justify::Center;
    column->style().gap = 12;
    auto mark = vell::glyph(icon);
    mark->style().textSize = 48;
    mark->style().color = vell::colorToken("onSurfaceVariant");
    auto caption = vell::label(text, "caption");
    column->add({ mark, caption });
    return column;
}

} // namespace cad

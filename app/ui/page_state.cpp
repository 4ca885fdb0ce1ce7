#include "app/ui/page_state.h"

#include "vell/box.h"
#include "vell/button.h"
#include "vell/circular_progress.h"
#include "vell/color_ref.h"
#include "vell/glyph.h"
#include "vell/label.h"

namespace cad {
namespace {

constexpr float kGlyphSize = 56;

std::shared_ptr<vell::Box> centredColumn()
{
    auto column = vell::box();
    column->style().width = vell::SizeSpec::fill();
    column->style().height = vell::SizeSpec::fill();
    column->style().align = vell::Align::Center;
    column->style().justify = vell::Justify::Center;
    column->style().gap = 12;
    return column;
}

std::shared_ptr<vell::Glyph> bigGlyph(int32_t code, const char* color)
{
    auto mark = vell::glyph(code);
    mark->style().textSize = kGlyphSize;
    mark->style().color = vell::colorToken(color);
    return mark;
}

std::shared_ptr<vell::Label> text(const std::string& value)
{
    auto line = vell::label(value);
    line->style().color = vell::colorToken("onSurfaceVariant");
    line->style().wrap = true;
    line->style().textAlign = vell::kTextAlignCenter;
    line->style().maxWidth = 640;
    return line;
}

} // namespace

void showCaption(vell::Widget& container, const std::string& value)
{
    container.clearChildren();
    container.addChild(vell::label(value, "caption"));
}

void showMessage(vell::Widget& container, int32_t glyph, const std::string& value)
{
    container.clearChildren();
    auto column = centredColumn();
    column->add({ bigGlyph(glyph, "onSurfaceVariant"), text(value) });
    container.addChild(column);
}

vell::WidgetPtr showError(vell::Widget& container, const std::string& value, std::function<void()> retry,
    int32_t glyph)
{
    container.clearChildren();
    auto column = centredColumn();
    auto button = vell::button("Retry", 0, "tonal");
    button->onClick = std::move(retry);
    column->add({ bigGlyph(glyph, "error"), text(value), button });
    container.addChild(column);
    return button;
}

void showLoading(vell::Widget& container)
{
    container.clearChildren();
    auto column = centredColumn();
    auto ring = vell::circularProgress();
    ring->indeterminate = true;
    column->add({ ring, vell::label("Loading", "caption") });
    container.addChild(column);
}

std::shared_ptr<vell::Widget> stateBox()
{
    auto box = vell::box();
    box->style().width = vell::SizeSpec::fill();
    box->style().height = vell::SizeSpec::fill();
    return box;
}

} // namespace cad

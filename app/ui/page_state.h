#pragma once
// What a page shows in place of its content while it loads, when there is
// nothing to show, and after a failure. Each helper empties the container first.
//
//   showCaption(*content, "Loading");
//   showMessage(*content, 0xE2C1, "You're offline");
//   showError(*content, "Couldn't load artists: " + error, [weak] { ...->refresh(); });

#include "vell/widget.h"

#include <cstdint>
#include <functional>
#include <string>

namespace cad {

// One "caption" label.
void showCaption(vell::Widget& container, const std::string& text);
// A centred column: the glyph at size 56 over the text, both in onSurfaceVariant.
void showMessage(vell::Widget& container, int32_t glyph, const std::string& text);
// A glyph (cloud-off unless given) in the error colour, the text and a "Retry"
// button running `retry`. Returns the button.
vell::WidgetPtr showError(vell::Widget& container, const std::string& text, std::function<void()> retry,
    int32_t glyph = 0xE2C1);
// A progress ring above the "Loading" caption, centred (the albums page while a sort loads).
void showLoading(vell::Widget& container);

// A box filling its parent, the usual container for the helpers above.
std::shared_ptr<vell::Widget> stateBox();

} // namespace cad

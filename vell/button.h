#pragma once
// vell::Button ("button") — a focusable flex row (usually a Glyph and a
// Label) that runs onClick and emits its action when activated with Cross or
// a press-and-release. It can also be a toggle (`toggleable`) or a member of
// a radio group (`group`: siblings with the same group name).
//
//   auto ok = button("OK");                      // filled
//   auto play = button("Play", 0xE037, "tonal"); // glyph, label, class
//   auto tab = button("Albums", 0, "nav");
//   tab->group = "tabs";
//   tab->onChange = [](bool on) { ... };

#include "vell/flex.h"
#include "vell/widget_t.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vell {

class Button : public ContainerT<Button, Flex> {
public:
    static constexpr const char* kTypeName = "button";

    Button() { focusable = true; }

    // Cross only, when enabled: press flash, then activate(). Always handled.
    bool onButton(UiContext& ctx, int32_t button) override;
    // Radio selection or toggling, then onClick and the action.
    void activate(UiContext& ctx) override;

    // Sets the checked state without callbacks (radio members are not touched).
    void setChecked(bool on);

    std::string group;   // radio group; empty = none
    bool toggleable = false;
    std::function<void(bool checked)> onChange;

private:
    // Checks this button and unchecks the checked siblings of its group.
    void selectInGroup();
};

// A button with an optional glyph (0 = none) before an optional label, and an
// optional extra class ("tonal", "outlined", "text", "icon", "icon-filled",
// "nav", "list").
std::shared_ptr<Button> button(const std::string& text, int32_t glyphCodePoint = 0,
    const std::string& className = {});
// An icon-only button; class "icon" unless another is given.
std::shared_ptr<Button> iconButton(int32_t glyphCodePoint, const std::string& className = "icon");

} // namespace vell

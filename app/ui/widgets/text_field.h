#pragma once
// cad::TextField ("textfield") — a single-line text entry: SDL text input while
// editing, a blinking caret, UTF-8 aware editing (Backspace, Delete, Left,
// Right, Home, End), Ctrl+V pasting the first line of the clipboard, a password
// mode that draws one dot per character, and horizontal scrolling that keeps
// the caret in view. At most one field in the process edits at a time.
//
//   auto user = cad::textField("Username");
//   user->onSubmit = [](const std::string& text) { ... };   // Return, keypad Enter, Tab
//   // Cross (or a click) on the focused field begins editing; while it edits,
//   // the controller hands it every raw SDL event first:
//   if (auto* field = cad::TextField::editingField()) field->handleEvent(event);

#include "vell/widget_t.h"

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace cad {

class TextField : public vell::WidgetT<TextField, vell::Widget> {
public:
    static constexpr const char* kTypeName = "textfield";
    // A press this soon after the platform's text dialog answered is swallowed,
    // so the button that closed the dialog does not reopen it.
    static constexpr uint32_t kDialogGuardMs = 350;
    static constexpr float kWidestField = 320;

    TextField();
    ~TextField() override;

    vell::Size measure(vell::UiContext& ctx, float availW, float availH) override;
    void update(vell::UiContext& ctx, float dt) override;
    void draw(vell::UiContext& ctx) override;
    bool onButton(vell::UiContext& ctx, int32_t button) override;
    void activate(vell::UiContext& ctx) override;

    // One raw SDL event while editing; returns whether the field consumed it.
    bool handleEvent(const SDL_Event& event);
    void beginEdit(vell::UiContext& ctx);
    void endEdit();

    // Replaces the text and puts the cursor at its end (no onChange).
    void setText(std::string value);

    // The field currently editing, or null.
    static TextField* editingField();
    // Records when the platform dialog last produced a result (SDL ticks).
    static void noteDialogResult(uint32_t ticks);

    std::string placeholder;
    std::string text;
    size_t cursor = 0; // byte offset, always at a code-point boundary
    bool password = false;
    bool editing = false;
    bool dialogMode = false;
    vell::UiContext* context = nullptr; // valid while editing
    float blink = 0;
    float scrollTarget = 0;
    float scroll = 0;
    std::function<void(const std::string&)> onChange;
    std::function<void(const std::string&)> onSubmit;

private:
    bool withinDialogGuard() const;
    void insert(std::string_view piece);
    void edited();
    void paste();
    std::string shown(size_t upTo) const;
};

std::shared_ptr<TextField> textField(const std::string& placeholder, const std::string& text = {});

} // namespace cad

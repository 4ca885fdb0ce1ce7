#include "app/ui/widgets/text_field.h"

#include "app/core/platform_hooks.h"
#include "app/ui/utf8_edit.h"
#include "vell/input_state.h"
#include "vell/renderer.h"
#include "vell/theme.h"
#include "vell/ui_context.h"

#include <algorithm>
#include <cmath>

namespace cad {
namespace {

constexpr float kFlashSeconds = 0.12f;
constexpr float kCaretOnSeconds = 0.6f; // of every blink second
constexpr int kDialogMaxLength = 512;

TextField* g_editing = nullptr;
uint32_t g_dialogResultTicks = 0;

// Without an on-screen keyboard SDL text input stays on for good (SDL's own
// default there). Switching it off flushes text events already queued, and
// switching it on only when editing begins would leave keys typed together
// with that press without their text. Where a screen keyboard exists, text
// input is on only while editing, so a focused field does not raise it.
bool keepsTextInputOn() { return !SDL_HasScreenKeyboardSupport(); }

} // namespace

TextField::TextField()
{
    focusable = true;
}

TextField::~TextField()
{
    // A dying field must not leave text input switched on or a dangling editor.
    if (editing)
        endEdit();
}

TextField* TextField::editingField() { return g_editing; }

void TextField::noteDialogResult(uint32_t ticks) { g_dialogResultTicks = ticks; }

bool TextField::withinDialogGuard() const
{
    return g_dialogResultTicks != 0 && SDL_GetTicks() - g_dialogResultTicks < kDialogGuardMs;
}

void TextField::setText(std::string value)
{
    text = std::move(value);
    cursor = text.size();
}

// ---- Widget operations ----

vell::Size TextField::measure(vell::UiContext& ctx, float availW, float)
{
    const float width = vell::isUnbounded(availW) ? kWidestField : std::min(availW, kWidestField);
    const float size = textSize > 0 ? textSize : ctx.fontSize;
    return { width, std::round(1.4f * size) };
}

void TextField::update(vell::UiContext& ctx, float dt)
{
    // Real time, so the caret keeps its rhythm when the loop sleeps between toggles.
    blink += ctx.elapsed;
    if (editing && !focused)
        endEdit();
    if (editing) {
        const float phase = std::fmod(blink, 1.0f);
        ctx.requestFrameIn(phase < kCaretOnSeconds ? kCaretOnSeconds - phase : 1.0f - phase);
    }
    scroll += (scrollTarget - scroll) * std::min(1.0f, 18.0f * dt);
    if (std::fabs(scrollTarget - scroll) < 0.01f)
        scroll = scrollTarget;
    if (scroll != scrollTarget)
        ctx.keepAnimating();
}

bool TextField::onButton(vell::UiContext& ctx, int32_t button)
{
    if (button != vell::kButtonCross || disabled)
        return false;
    if (withinDialogGuard())
        return true;
    flash = kFlashSeconds;
    beginEdit(ctx);
    return true;
}

void TextField::activate(vell::UiContext& ctx)
{
    if (disabled || withinDialogGuard())
        return;
    beginEdit(ctx);
}

// ---- Editing ----

void TextField::beginEdit(vell::UiContext& ctx)
{
    if (g_editing && g_editing != this)
        g_editing->endEdit();
    editing = true;
    context = &ctx;
    if (ctx.input)
        ctx.input->textInput = true;
    cursor = text.size();
    dialogMode = false;
    g_editing = this;
    if (platform::hasTextDialog())
        dialogMode = platform::openTextDialog(placeholder, text, password, kDialogMaxLength);
    if (!dialogMode && !(keepsTextInputOn() && SDL_IsTextInputActive()))
        SDL_StartTextInput();
}

void TextField::endEdit()
{
    const bool wasDialog = dialogMode;
    editing = false;
    dialogMode = false;
    if (context && context->input)
        context->input->textInput = false;
    context = nullptr;
    if (g_editing == this)
        g_editing = nullptr;
    if (wasDialog)
        platform::closeTextDialog();
    else if (!keepsTextInputOn())
        SDL_StopTextInput();
}

void TextField::edited()
{
    blink = 0;
    if (onChange)
        onChange(text);
}

void TextField::insert(std::string_view piece)
{
    cursor = std::min(cursor, text.size());
    text.insert(cursor, piece);
    cursor += piece.size();
    edited();
}

void TextField::paste()
{
    char* clip = SDL_GetClipboardText();
    std::string line = clip ? std::string(utf8::firstLine(clip)) : std::string();
    SDL_free(clip);
    insert(line);
}

bool TextField::handleEvent(const SDL_Event& event)
{
    if (event.type == SDL_TEXTINPUT) {
        insert(event.text.text);
        return true;
    }
    if (event.type != SDL_KEYDOWN)
        return false;
    cursor = std::min(cursor, text.size());
    const SDL_Keycode key = event.key.keysym.sym;
    switch (key) {
    case SDLK_BACKSPACE:
        if (cursor > 0) {
            const size_t start = utf8::previous(text, cursor);
            text.erase(start, cursor - start);
            cursor = start;
            edited();
        }
        return true;
    case SDLK_DELETE:
        if (cursor < text.size()) {
            text.erase(cursor, utf8::next(text, cursor) - cursor);
            edited();
        }
        return true;
    case SDLK_LEFT: cursor = utf8::previous(text, cursor); blink = 0; return true;
    case SDLK_RIGHT: cursor = utf8::next(text, cursor); blink = 0; return true;
    case SDLK_HOME: cursor = 0; blink = 0; return true;
    case SDLK_END: cursor = text.size(); blink = 0; return true;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
    case SDLK_TAB: {
        // The callback may replace our handlers or move focus (ending this edit).
        auto submit = onSubmit;
        if (editing)
            endEdit();
        if (submit)
            submit(text);
        return true;
    }
    case SDLK_ESCAPE:
        if (editing)
            endEdit();
        return true;
    case SDLK_v:
        if (event.key.keysym.mod & KMOD_CTRL) {
            paste();
            return true;
        }
        return false;
    default: return false;
    }
}

// ---- Drawing ----

std::string TextField::shown(size_t upTo) const
{
    std::string_view part = std::string_view(text).substr(0, std::min(upTo, text.size()));
    return password ? utf8::masked(part) : std::string(part);
}

void TextField::draw(vell::UiContext& ctx)
{
    if (!ctx.renderer || !ctx.theme)
        return;
    vell::Renderer& r = *ctx.renderer;
    const vell::Rect content = contentRect();
    const float size = std::max(4.0f, std::round(textSize));
    const int32_t font = resolved.font.valueOr(0);

    std::string display = shown(text.size());
    vell::Color color = textColor();
    if (display.empty()) {
        display = placeholder;
        color = ctx.theme->color("onSurfaceVariant");
        color.a *= 0.7f;
    }
    const vell::Size extent = r.measureText(display.empty() ? std::string_view(" ") : display, font, size);
    const float y = content.y + (content.h - extent.h) / 2;

    float caretX = 0;
    if (editing) {
        caretX = cursor == 0 ? 0 : r.measureText(shown(cursor), font, size).w;
        if (caretX - scrollTarget > content.w - 4)
            scrollTarget = caretX - content.w + 4;
        if (caretX - scrollTarget < 0)
            scrollTarget = caretX;
    } else {
        scrollTarget = scroll = 0;
    }

    r.pushClip(content.x - 2, content.y - 2, content.w + 4, content.h + 4);
    if (!display.empty())
        r.drawText(display, font, size, 0, content.x - scroll, y, color);
    r.popClip();

    if (!editing)
        return;
    vell::Color primary = ctx.theme->color("primary");
    if (std::fmod(blink, 1.0f) < kCaretOnSeconds && r.effectiveAlpha(primary.a / 255.0f) >= 0.5f)
        r.fillRoundRect(content.x + caretX - scroll, y + 1, 2, extent.h - 2, 0, primary);
    r.strokeRoundRect(rect, radiusSpring.value, 2, primary);
}

std::shared_ptr<TextField> textField(const std::string& placeholder, const std::string& text)
{
    auto field = std::make_shared<TextField>();
    field->placeholder = placeholder;
    field->setText(text);
    field->addClass("textfield");
    return field;
}

} // namespace cad

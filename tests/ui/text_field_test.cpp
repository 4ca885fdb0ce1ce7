#include "app/ui/widgets/text_field.h"
#include "app/ui/utf8_edit.h"

#include "support/temp_home.h"
#include "vell/input_state.h"
#include "vell/ui_context.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// "a", "é" (2 bytes), "€" (3 bytes), "😀" (4 bytes)
const std::string kMixed = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";

TEST(Utf8Edit, StepsOverWholeCodePoints)
{
    const std::vector<size_t> boundaries { 0, 1, 3, 6, 10 };
    for (size_t i = 0; i + 1 < boundaries.size(); ++i) {
        EXPECT_EQ(cad::utf8::next(kMixed, boundaries[i]), boundaries[i + 1]);
        EXPECT_EQ(cad::utf8::previous(kMixed, boundaries[i + 1]), boundaries[i]);
    }
    EXPECT_EQ(cad::utf8::previous(kMixed, 0), 0u);
    EXPECT_EQ(cad::utf8::next(kMixed, kMixed.size()), kMixed.size());
    EXPECT_EQ(cad::utf8::countCodePoints(kMixed), 4u);
    EXPECT_EQ(cad::utf8::masked("p\xC3\xA9"), "\xE2\x80\xA2\xE2\x80\xA2");
    // Stray continuation bytes never make a step run past the start or the end.
    EXPECT_EQ(cad::utf8::previous("\x80\x80\x80\x80\x80", 5), 1u);
    EXPECT_EQ(cad::utf8::countCodePoints("\x80\x80"), 1u);
}

TEST(Utf8Edit, FirstLineAndTrimming)
{
    EXPECT_EQ(cad::utf8::firstLine("one\r\ntwo"), "one");
    EXPECT_EQ(cad::utf8::firstLine("one\rtwo\nthree"), "one");
    EXPECT_EQ(cad::utf8::firstLine("\nlater"), "");
    EXPECT_EQ(cad::utf8::trimmed(" \t host \r\n"), "host");
    EXPECT_EQ(cad::utf8::trimmed(" \t\r\n"), "");
}

SDL_Event keyDown(SDL_Keycode key, Uint16 mod = KMOD_NONE)
{
    SDL_Event e {};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    return e;
}

SDL_Event typed(const char* text)
{
    SDL_Event e {};
    e.type = SDL_TEXTINPUT;
    std::strncpy(e.text.text, text, sizeof(e.text.text) - 1);
    return e;
}

class TextFieldTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
    void TearDown() override { SDL_Quit(); }

    std::shared_ptr<cad::TextField> editingField(const std::string& text)
    {
        auto field = cad::textField("Placeholder", text);
        ctx.input = &input;
        field->focused = true;
        field->beginEdit(ctx);
        field->onChange = [this](const std::string& t) { changes.push_back(t); };
        return field;
    }

    testing_support::TempHome home;
    vell::InputState input;
    vell::UiContext ctx;
    std::vector<std::string> changes;
};

TEST_F(TextFieldTest, EditsWholeCharactersAroundTheCursor)
{
    auto field = editingField("n");
    EXPECT_EQ(field->cursor, 1u);
    EXPECT_TRUE(field->handleEvent(typed("\xC3\xA9")));
    EXPECT_TRUE(field->handleEvent(typed("e")));
    EXPECT_EQ(field->text, "n\xC3\xA9" "e");

    field->handleEvent(keyDown(SDLK_LEFT));
    field->handleEvent(keyDown(SDLK_LEFT));
    EXPECT_EQ(field->cursor, 1u); // stepped over both bytes of é
    field->handleEvent(keyDown(SDLK_DELETE));
    EXPECT_EQ(field->text, "ne");
    field->handleEvent(keyDown(SDLK_END));
    field->handleEvent(typed("\xE2\x82\xAC"));
    EXPECT_TRUE(field->handleEvent(keyDown(SDLK_BACKSPACE)));
    EXPECT_EQ(field->text, "ne"); // all three bytes of € went
    field->handleEvent(keyDown(SDLK_HOME));
    field->handleEvent(keyDown(SDLK_BACKSPACE)); // nothing before the cursor
    EXPECT_EQ(field->text, "ne");
    EXPECT_EQ(changes, (std::vector<std::string> { "n\xC3\xA9", "n\xC3\xA9" "e", "ne", "ne\xE2\x82\xAC", "ne" }));
}

TEST_F(TextFieldTest, PasteKeepsOnlyTheFirstLine)
{
    auto field = editingField("ab");
    field->cursor = 1;
    ASSERT_EQ(SDL_SetClipboardText("x\xC3\xA9y\r\nsecond line"), 0);
    EXPECT_TRUE(field->handleEvent(keyDown(SDLK_v, KMOD_LCTRL)));
    EXPECT_EQ(field->text, "ax\xC3\xA9yb");
    EXPECT_EQ(field->cursor, 5u);
    // A plain V is typed text, left to the text-input event.
    EXPECT_FALSE(field->handleEvent(keyDown(SDLK_v)));
}

TEST_F(TextFieldTest, SubmitEndsEditingAndOnlyOneFieldEdits)
{
    auto first = editingField("host");
    EXPECT_TRUE(input.textInput);
    EXPECT_EQ(cad::TextField::editingField(), first.get());

    auto second = editingField("");
    EXPECT_FALSE(first->editing);
    EXPECT_EQ(cad::TextField::editingField(), second.get());

    std::string submitted;
    bool editingDuringSubmit = true;
    second->handleEvent(typed("me"));
    second->onSubmit = [&](const std::string& text) {
        submitted = text;
        editingDuringSubmit = second->editing;
        second->onSubmit = nullptr; // replacing the handler inside it is safe
    };
    EXPECT_TRUE(second->handleEvent(keyDown(SDLK_TAB)));
    EXPECT_EQ(submitted, "me");
    EXPECT_FALSE(editingDuringSubmit);
    EXPECT_FALSE(input.textInput);
    EXPECT_EQ(cad::TextField::editingField(), nullptr);
}

TEST_F(TextFieldTest, LeavesOtherKeysToTheController)
{
    auto field = editingField("x");
    EXPECT_FALSE(field->handleEvent(keyDown(SDLK_F11)));
    EXPECT_FALSE(field->handleEvent(keyDown(SDLK_AUDIONEXT)));
    SDL_Event up {};
    up.type = SDL_KEYUP;
    EXPECT_FALSE(field->handleEvent(up));
    EXPECT_TRUE(field->handleEvent(keyDown(SDLK_ESCAPE)));
    EXPECT_FALSE(field->editing);
    EXPECT_EQ(field->text, "x");
}

TEST_F(TextFieldTest, LosingFocusOrDyingEndsTheEdit)
{
    auto field = editingField("x");
    field->focused = false;
    field->update(ctx, 0.016f);
    EXPECT_FALSE(field->editing);
    EXPECT_FALSE(input.textInput);

    auto doomed = editingField("y");
    doomed.reset();
    EXPECT_EQ(cad::TextField::editingField(), nullptr);
    EXPECT_FALSE(input.textInput);
}

// Return in one field begins editing the next (as on the login page): text
// typed right after it and already queued reaches the next field, and SDL text
// input stays on throughout where there is no on-screen keyboard.
TEST_F(TextFieldTest, TextQueuedBehindReturnReachesTheNextField)
{
    ASSERT_FALSE(SDL_HasScreenKeyboardSupport());
    auto second = cad::textField("Password");
    second->focused = true;
    auto first = editingField("user");
    first->onSubmit = [&](const std::string&) { second->beginEdit(ctx); };
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_Event text = typed("T");
    ASSERT_EQ(SDL_PushEvent(&text), 1);

    EXPECT_TRUE(first->handleEvent(keyDown(SDLK_RETURN)));
    EXPECT_TRUE(SDL_IsTextInputActive());
    SDL_Event queued {};
    ASSERT_EQ(SDL_PollEvent(&queued), 1);
    EXPECT_TRUE(second->handleEvent(queued));
    EXPECT_EQ(second->text, "T");
    second->endEdit();
    EXPECT_TRUE(SDL_IsTextInputActive());
}

} // namespace

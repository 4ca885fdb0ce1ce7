#include "engine_fixture.h"

#include "vell/button.h"
#include "vell/label.h"
#include "vell/renderer.h"

using namespace vell;
using vell_testing::EngineTest;
using vell_testing::tile;

namespace {

std::shared_ptr<Box> row(std::initializer_list<WidgetPtr> children) {
    auto b = box();
    b->style().direction = Direction::Row;
    b->style().gap = 10.0f;
    b->add(children);
    return b;
}

} // namespace

class ShellTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        first = tile();
        second = tile();
        auto view = showView(row({first, second}));
        view->bindings.push_back({Square, "Sort", [this] { ++sorts; }, true});
        view->bindings.push_back({Square, "Ignored", [this] { ++sorts; }, true});
        engine->bindings().push_back({Start, "Menu", [] {}, true});
        engine->bindings().push_back({Square, "Global", [] {}, true});
        step(3);
    }

    std::vector<Hint> hints() { return engine->context().hints; }

    std::shared_ptr<Box> first, second;
    int sorts = 0;
};

TEST_F(ShellTest, HintsListViewThenEngineBindingsOncePerButton) {
    std::vector<Hint> expected = {{Square, "Sort"}, {Start, "Menu"}};
    EXPECT_EQ(hints(), expected);
    EXPECT_EQ(engine->shell().hints->children.size(), 2u);
    uint64_t version = engine->context().hintsVersion;
    step(2);
    EXPECT_EQ(engine->context().hintsVersion, version) << "unchanged hints are not republished";
}

TEST_F(ShellTest, HintKeysUseTheFontRecordedWithTheirName) {
    const std::string cross = "\xEE\x97\x8A"; // U+E5CA check, an icon-font code point
    Settings settings = vell_testing::headlessSettings();
    settings.buttonNames[Square] = {cross, 1};
    engine.reset();
    start(settings);
    auto view = showView(tile());
    view->bindings.push_back({Square, "Sort", [] {}, true});
    view->bindings.push_back({Circle, "Back", [] {}, true});
    step(3);

    const auto& entries = engine->shell().hints->children;
    ASSERT_EQ(entries.size(), 2u);
    auto part = [&](size_t entry, size_t index) {
        EXPECT_TRUE(entries[entry]->hasClass("hint"));
        return dynamic_cast<const Label*>(entries[entry]->children.at(index).get());
    };
    const Label* iconKey = part(0, 0);
    const Label* textKey = part(1, 0);
    ASSERT_TRUE(iconKey && textKey);
    EXPECT_TRUE(iconKey->hasClass("hint-key"));
    EXPECT_EQ(iconKey->text(), cross);
    EXPECT_EQ(textKey->text(), "Circle");
    ASSERT_TRUE(part(0, 1));
    EXPECT_TRUE(part(0, 1)->hasClass("hint-label"));
    EXPECT_EQ(part(0, 1)->text(), "Sort");

    // Laid out in the font recorded with each name.
    Renderer& r = engine->renderer();
    EXPECT_FLOAT_EQ(iconKey->contentRect().w, r.measureText(cross, kIconFont, iconKey->textSize).w);
    EXPECT_NE(iconKey->contentRect().w, r.measureText(cross, kTextFont, iconKey->textSize).w);
    EXPECT_FLOAT_EQ(textKey->contentRect().w, r.measureText("Circle", kTextFont, textKey->textSize).w);
}

TEST_F(ShellTest, DialogTakesFocusCircleClosesItAndRestoresFocus) {
    engine->setFocus(second.get());
    int deleted = 0;
    auto panel = engine->shell().dialog("Delete?", "Gone for good.", {{"Cancel", {}}, {"Delete", [&] { ++deleted; }}});
    step(2);
    EXPECT_EQ(hints(), (std::vector<Hint>{{Circle, "Close"}}));
    ASSERT_NE(engine->focus(), nullptr);
    EXPECT_TRUE(panel->isAncestorOf(engine->focus())) << "focus moved into the dialog";
    EXPECT_TRUE(engine->focus()->hasClass("text")) << "Cancel first, styled as a text button";

    tap(SDLK_a);
    EXPECT_EQ(sorts, 0) << "view bindings are silent under a dialog";

    tap(SDLK_ESCAPE);
    EXPECT_FALSE(engine->shell().hasOpenLayer());
    EXPECT_EQ(engine->focus(), second.get());
    EXPECT_EQ(deleted, 0);
    step(60);
    EXPECT_TRUE(engine->shell().layers.empty()) << "removed once the exit animation ends";
    EXPECT_EQ(engine->shell().viewStack.size(), 1u);

    tap(SDLK_a);
    EXPECT_EQ(sorts, 2) << "every binding of the button runs";
}

TEST_F(ShellTest, ChoosingADialogButtonClosesBeforeItsActionRuns) {
    bool openDuringAction = true;
    engine->shell().dialog("Delete?", "", {{"Cancel", {}}, {"Delete", [&] {
        openDuringAction = engine->shell().hasOpenLayer();
    }}});
    step(2);
    tap(SDLK_RIGHT);
    auto* confirm = dynamic_cast<Button*>(engine->focus());
    ASSERT_NE(confirm, nullptr);
    EXPECT_FALSE(confirm->hasClass("text")) << "the confirming button is the filled one";
    tap(SDLK_RETURN);
    EXPECT_FALSE(openDuringAction);
}

TEST_F(ShellTest, NonDismissibleLayerSwallowsCircleAndOutsidePresses) {
    auto panel = tile(200, 100);
    bool closed = false;
    engine->shell().openLayer(panel, 1, false, [&] { closed = true; });
    step(30);
    tap(SDLK_ESCAPE);
    EXPECT_TRUE(engine->shell().hasOpenLayer());
    mouseButton(true, 5, 5);
    step();
    mouseButton(false, 5, 5);
    step();
    EXPECT_TRUE(engine->shell().hasOpenLayer());
    EXPECT_FALSE(closed);
    EXPECT_EQ(engine->shell().viewStack.size(), 1u);
    engine->shell().closeLayer(panel.get());
    EXPECT_TRUE(closed);
}

TEST_F(ShellTest, PressOutsideADismissibleDialogClosesIt) {
    engine->shell().dialog("Note", "Text", {{"OK", {}}});
    step(30);
    mouseButton(true, 3, 3);
    step();
    mouseButton(false, 3, 3);
    step();
    EXPECT_FALSE(engine->shell().hasOpenLayer());
}

TEST_F(ShellTest, DrawerSilencesBindingsAndCircleClosesIt) {
    auto inside = tile();
    engine->shell().drawer->addChild(inside);
    engine->setFocus(first.get());
    engine->shell().openDrawer();
    step(30);
    EXPECT_EQ(hints(), (std::vector<Hint>{{Circle, "Close"}}));
    EXPECT_EQ(engine->focus(), inside.get());
    EXPECT_GT(engine->shell().drawer->rect.x, 0.0f);
    tap(SDLK_a);
    EXPECT_EQ(sorts, 0);
    tap(SDLK_ESCAPE);
    EXPECT_FALSE(engine->shell().drawerOpen());
    EXPECT_EQ(engine->focus(), first.get()) << "focus from before the drawer";
}

TEST_F(ShellTest, FifthToastDropsTheOldestAtOnce) {
    for (int i = 0; i < 5; ++i)
        engine->shell().toast("Toast " + std::to_string(i), "", 0, 3.5f);
    ASSERT_EQ(engine->shell().toasts.size(), 4u);
    auto title = [](const Shell::Toast& t) {
        const Widget* column = t.widget->children.back().get();
        return static_cast<const Label*>(column->children.front().get())->text();
    };
    EXPECT_EQ(title(engine->shell().toasts.front()), "Toast 1");
    step(30);
    // Newest at the bottom right, older ones stacked above.
    const auto& toasts = engine->shell().toasts;
    EXPECT_NEAR(toasts.back().widget->rect.bottom(), 544 - 18, 0.01);
    EXPECT_NEAR(toasts.back().widget->rect.right(), 960 - 18, 0.01);
    EXPECT_LT(toasts[2].widget->rect.bottom(), toasts[3].widget->rect.y);
    step(60 * 4);
    EXPECT_TRUE(engine->shell().toasts.empty()) << "gone after 3.5 s and the exit";
}

TEST_F(ShellTest, BackSlidesThePreviousViewInFromTheLeft) {
    auto firstView = engine->shell().currentView();
    auto detail = tile();
    int left = 0, shown = 0;
    firstView->onShow = [&] { ++shown; };
    engine->setFocus(second.get());
    auto next = showView(detail, "Detail");
    next->onLeave = [&](int direction) { left = direction; };
    step(60);
    EXPECT_EQ(engine->shell().titleLabel->text(), "Detail");
    EXPECT_EQ(engine->focus(), detail.get()) << "focus handed over to the new view";

    tap(SDLK_ESCAPE);
    EXPECT_EQ(engine->shell().viewStack.size(), 1u);
    EXPECT_EQ(left, -1);
    EXPECT_EQ(shown, 1);
    ViewHost& host = *engine->shell().viewHost;
    EXPECT_EQ(host.direction(), -1);
    ASSERT_NE(host.outgoing(), nullptr);
    float c = host.progress();
    ASSERT_GT(c, 0.0f);
    ASSERT_LT(c, 0.5f);
    EXPECT_LT(firstView->root->inlineStyle[StyleState::Normal].offsetX.value, 0.0f) << "comes from the left";
    EXPECT_GT(host.outgoing()->inlineStyle[StyleState::Normal].offsetX.value, 0.0f) << "leaves to the right";
    float inOpacity = firstView->root->inlineStyle[StyleState::Normal].opacity.value;
    float outOpacity = host.outgoing()->inlineStyle[StyleState::Normal].opacity.value;
    EXPECT_LT(1 - outOpacity, 1.8f * c + 1e-4f);
    EXPECT_NEAR(inOpacity, std::min(1.0f, 1.6f * c), 1e-4);
    step(90);
    EXPECT_EQ(host.outgoing(), nullptr);
    EXPECT_EQ(engine->focus(), second.get()) << "back where the user left";
    tap(SDLK_ESCAPE);
    EXPECT_EQ(engine->shell().viewStack.size(), 1u) << "the last view stays";
}

TEST_F(ShellTest, HandOverWaitsForContentThenFallsBackToTheView) {
    // Focus on the navigation rail stays valid while pages change under it.
    auto navTile = tile(40, 40);
    engine->shell().navHeader->addChild(navTile);
    step();
    engine->setFocus(navTile.get());
    auto late = View::framed("Late");
    auto topButton = tile(40, 40);
    late->top->addChild(topButton);
    engine->shell().push(late);
    step(30); // 0.5 s: body still empty
    EXPECT_EQ(engine->focus(), navTile.get());
    auto content = tile();
    late->body->addChild(content);
    step(2);
    EXPECT_EQ(engine->focus(), content.get()) << "content area first";

    auto empty = View::framed("Empty");
    auto onlyTop = tile(40, 40);
    empty->top->addChild(onlyTop);
    engine->shell().push(empty);
    step(60);
    EXPECT_EQ(engine->focus(), navTile.get()) << "the old content left; repair chose the rail";
    EXPECT_EQ(engine->shell().pendingFocusView(), empty);
    step(40); // past 1.5 s
    EXPECT_EQ(engine->focus(), onlyTop.get());
    EXPECT_EQ(engine->shell().pendingFocusView(), nullptr);
}

TEST_F(ShellTest, HandOverEndsWhenItsViewIsNoLongerShown) {
    auto navTile = tile(40, 40);
    engine->shell().navHeader->addChild(navTile);
    step();
    engine->setFocus(navTile.get());
    auto left = View::framed("Left");
    auto topButton = tile(40, 40);
    int focused = 0;
    topButton->onFocus = [&] { ++focused; };
    left->top->addChild(topButton);
    engine->shell().push(left);
    step(10);
    engine->shell().back();
    step(120); // well past 1.5 s
    EXPECT_EQ(focused, 0) << "focus never went into the view that was left";
    EXPECT_EQ(engine->shell().pendingFocusView(), nullptr);
    EXPECT_EQ(engine->focus(), navTile.get());
}

TEST_F(ShellTest, ATappableToastAndAFirstBindingAnswerBeforeTheView) {
    int taps = 0;
    WidgetPtr offer = engine->shell().toast("Resume", "", 0, 10.0f, [&] { ++taps; });
    engine->shell().toast("Plain", "", 0, 10.0f);
    step(30);
    // A plain toast lets the press through to what lies below; the tappable one takes it.
    const Rect plain = engine->shell().toasts.back().widget->rect;
    bool outside = false;
    EXPECT_EQ(engine->shell().hitTest({plain.x + 5, plain.y + 5}, outside), nullptr);
    const Rect at = offer->rect;
    mouseButton(true, int(at.x + 10), int(at.y + 10));
    step();
    mouseButton(false, int(at.x + 10), int(at.y + 10));
    step();
    EXPECT_EQ(taps, 1);
    EXPECT_FALSE(engine->shell().toastShown(offer.get())) << "closing once tapped";

    // A `first` engine binding runs and is listed ahead of the view's own Square.
    int resumes = 0;
    engine->bindings().push_back({Square, "Resume", [&] { ++resumes; }, true, true});
    step();
    EXPECT_EQ(hints().front(), (Hint{Square, "Resume"}));
    tap(SDLK_a);
    EXPECT_EQ(resumes, 1);
    EXPECT_EQ(sorts, 0);
}

TEST(HintFit, FullestFormThatFitsThenDropsFromTheEnd) {
    // Each hint: {full, short, button alone} widths; gap 20.
    const std::vector<HintWidths> three = {{100, 60, 30}, {100, 60, 30}, {100, 60, 30}};
    struct Case {
        float width;
        HintForm form;
        size_t shown;
    } cases[] = {
        {1000, HintForm::Full, 3},
        {340, HintForm::Full, 3},     // exactly 3 x 100 + 2 x 20
        {340.4f, HintForm::Full, 3},  // measured text may round up by a fraction
        {339, HintForm::Short, 3},
        {220, HintForm::Short, 3},
        {219, HintForm::KeyOnly, 3},
        {130, HintForm::KeyOnly, 3},
        {129, HintForm::KeyOnly, 2},  // only now are hints left out, from the last
        {30, HintForm::KeyOnly, 1},
        {29, HintForm::KeyOnly, 0},
        {0, HintForm::KeyOnly, 0},
    };
    for (const Case& c : cases) {
        HintFit fit = fitHints(three, 20, c.width);
        EXPECT_EQ(fit.form, c.form) << "width " << c.width;
        EXPECT_EQ(fit.shown, c.shown) << "width " << c.width;
    }
    EXPECT_EQ(fitHints({}, 20, 0).shown, 0u);
    EXPECT_EQ(fitHints({}, 20, 0).form, HintForm::Full);
}

TEST_F(ShellTest, NarrowHintBarShowsShortLabelsBeforeLeavingHintsOut) {
    const std::string wordy = "A long description of what this button does on this screen";
    auto view = showView(tile());
    for (int32_t button : {Cross, Circle, Square, Triangle, L, R})
        if (button == Circle)
            view->bindings.push_back({button, "Back", [] {}, true});
        else
            view->bindings.push_back({button, wordy, [] {}, true, false, "Go"});
    step(3);
    const auto& entries = engine->shell().hints->children;
    ASSERT_EQ(entries.size(), 7u) << "six view hints and the engine's Start";
    EXPECT_EQ(engine->shell().hints->form(), HintForm::Short);
    for (const WidgetPtr& entry : entries) {
        EXPECT_TRUE(entry->visible);
        EXPECT_TRUE(entry->children.at(1)->visible);
    }
    auto text = [&](size_t entry) { return static_cast<const Label*>(entries[entry]->children.at(1).get())->text(); };
    EXPECT_EQ(text(0), "Go");
    EXPECT_EQ(text(1), "Back") << "a hint without a short label keeps its label";
    EXPECT_EQ(text(6), "Menu");

    // Back to the full labels once they fit again.
    view->bindings.clear();
    view->bindings.push_back({Cross, "Open", [] {}, true, false, "Go"});
    step(3);
    EXPECT_EQ(engine->shell().hints->form(), HintForm::Full);
    EXPECT_EQ(text(0), "Open");
}

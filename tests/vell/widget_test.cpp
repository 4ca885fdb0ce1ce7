// Widget tree, hit testing, activation, per-frame state and focus collection.

#include "ui_fixture.h"

#include "vell/spacer.h"
#include "vell/widget_watcher.h"

#include <gtest/gtest.h>

using namespace vell;
using vell_testing::leaf;
using vell_testing::UiFixture;

namespace {

std::shared_ptr<Box> sized(float w, float h)
{
    auto b = box();
    b->style().width = SizeSpec::fixed(w);
    b->style().height = SizeSpec::fixed(h);
    return b;
}

TEST(WidgetTree, AddChainsAndReparents)
{
    auto a = box();
    auto b = box();
    auto child = leaf({ 1, 1 });
    std::shared_ptr<Box> same = a->add(child)->add({ spacer(), spacer(4) });
    EXPECT_EQ(same, a);
    EXPECT_EQ(a->children.size(), 3u);
    EXPECT_EQ(child->parent, a.get());

    b->add(child); // moving a child detaches it from its old parent
    EXPECT_EQ(a->children.size(), 2u);
    EXPECT_EQ(child->parent, b.get());

    a->add(a);             // a widget cannot contain itself
    b->add(a);
    a->add(b);             // nor its ancestor
    EXPECT_EQ(a->children.size(), 2u);
}

TEST(WidgetTree, AddOnAWidgetNotOwnedBySharedPointerThrows)
{
    Box onStack;
    EXPECT_THROW(onStack.add(box()), std::bad_weak_ptr);
    EXPECT_TRUE(onStack.children.empty());
}

TEST(WidgetTree, ChildrenOutlivingTheirParentForgetIt)
{
    auto child = leaf({ 1, 1 });
    {
        auto parent = box();
        parent->add(child);
    }
    EXPECT_EQ(child->parent, nullptr);
}

TEST(WidgetTree, SpacerBuilder)
{
    UiFixture ui;
    auto fixed = spacer(12);
    auto flexible = spacer();
    EXPECT_EQ(fixed->grow(), 0);
    EXPECT_EQ(flexible->grow(), 1);
    fixed->tick(ui.ctx, 0);
    EXPECT_EQ(fixed->measureConstrained(ui.ctx, 100, 100), (Size { 12, 12 }));
    EXPECT_FALSE(flexible->interactive());
    EXPECT_STREQ(fixed->typeName(), "spacer");
    EXPECT_STREQ(box()->typeName(), "box");
}

TEST(HitTest, EdgesOverflowAndOrder)
{
    UiFixture ui;
    auto root = sized(100, 100);
    root->style().direction = Direction::Stack;
    auto under = sized(50, 50);
    auto over = sized(50, 50);
    auto overflow = sized(40, 40);
    overflow->style().offsetX = 80; // sticks out of the root on the right
    auto gap = spacer(100);
    root->add({ under, over, overflow, gap });
    ui.frame(root, { 1000, 1000 });

    EXPECT_EQ(root->hitTest({ 0, 0 }), over.get());        // left/top inclusive; last drawn first; spacer never hit
    EXPECT_EQ(root->hitTest({ 49.9f, 49.9f }), over.get());
    EXPECT_EQ(root->hitTest({ 50, 10 }), root.get());      // right edge exclusive
    EXPECT_EQ(root->hitTest({ 85, 10 }), overflow.get());
    EXPECT_EQ(root->hitTest({ 105, 10 }), nullptr);        // outside the parent: not even the overflowing child
    EXPECT_EQ(root->hitTest({ -0.1f, 5 }), nullptr);
    over->visible = false;
    EXPECT_EQ(root->hitTest({ 10, 10 }), under.get());
}

TEST(Activation, CrossFlashesAndEmitsAction)
{
    UiFixture ui;
    auto w = sized(10, 10);
    std::vector<std::string> emitted;
    ui.actions.subscribe([&](const std::string& name, const ActionValue& value) {
        emitted.push_back(name);
        EXPECT_TRUE(std::holds_alternative<std::monostate>(value));
    });
    EXPECT_FALSE(w->onButton(ui.ctx, kButtonCross)); // nothing to activate

    int clicks = 0;
    w->onClick = [&] { ++clicks; };
    w->action = "play";
    EXPECT_FALSE(w->onButton(ui.ctx, kButtonCross + 1));
    EXPECT_TRUE(w->onButton(ui.ctx, kButtonCross));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(emitted, (std::vector<std::string> { "play" }));

    // The pressed look lasts 0.14 s.
    w->tick(ui.ctx, 0.1f);
    EXPECT_TRUE(w->pressed);
    EXPECT_TRUE(w->resolvedMask & kStatePressed);
    w->tick(ui.ctx, 0.05f);
    EXPECT_FALSE(w->pressed);

    w->disabled = true;
    EXPECT_FALSE(w->onButton(ui.ctx, kButtonCross));
    EXPECT_EQ(clicks, 1);
}

TEST(Activation, PointerReleaseInsideActivatesOnce)
{
    UiFixture ui;
    auto w = sized(10, 10);
    int clicks = 0;
    w->onClick = [&] { ++clicks; };
    EXPECT_TRUE(w->interactive());
    w->onPointerDown(ui.ctx, { 1, 1 });
    w->tick(ui.ctx, 0.016f); // no flash running: the pointer's pressed state stays
    EXPECT_TRUE(w->pressed);
    w->onPointerUp(ui.ctx, false, { 50, 50 });
    EXPECT_EQ(clicks, 0);
    w->onPointerDown(ui.ctx, { 1, 1 });
    w->onPointerUp(ui.ctx, true, { 1, 1 });
    w->onPointerUp(ui.ctx, true, { 1, 1 });
    EXPECT_EQ(clicks, 1);
}

TEST(Activation, CallbackMayDropTheWidget)
{
    UiFixture ui;
    auto holder = box();
    auto w = sized(10, 10);
    holder->add(w);
    Widget* raw = w.get();
    w.reset();
    bool ran = false;
    raw->onClick = [&] {
        holder->clearChildren(); // the page rebuilds itself
        ran = true;
    };
    raw->action = "after";
    std::string emitted;
    ui.actions.subscribe([&](const std::string& name, const ActionValue&) { emitted = name; });
    raw->activate(ui.ctx);
    EXPECT_TRUE(ran);
    EXPECT_EQ(emitted, "after");
}

class RecordingWatcher : public WidgetWatcher {
public:
    void widgetDestroyed(Widget* widget) override { destroyed.push_back(widget); }
    std::vector<Widget*> destroyed;
};

TEST(WidgetWatcher, LiveWatchersHearOfEveryDestroyedWidget)
{
    RecordingWatcher watcher;
    addWidgetWatcher(&watcher);
    Widget* raw = nullptr;
    {
        auto w = box();
        raw = w.get();
        w->add(box());
    }
    ASSERT_EQ(watcher.destroyed.size(), 2u);
    EXPECT_EQ(watcher.destroyed[0], raw);
    removeWidgetWatcher(&watcher);
    { auto w = box(); }
    EXPECT_EQ(watcher.destroyed.size(), 2u);
}

TEST(SpringTargets, FollowTheResolvedStyle)
{
    UiFixture ui;
    auto parent = sized(100, 40);
    parent->style().color = colorToken("primary");
    parent->style().radius = 999;
    auto child = sized(10, 10);
    child->style().opacity = 0.5f;
    child->style().textSize = 13;
    parent->add(child);
    ui.frame(parent, { 1000, 1000 });
    EXPECT_EQ(parent->radiusSpring.target, 0); // no layout yet when the targets were set

    ui.frame(parent, { 1000, 1000 });
    EXPECT_EQ(parent->radiusSpring.target, 20); // half the smaller side
    EXPECT_EQ(parent->radiusSpring.value, 20);  // snapped the first time the rect is known
    EXPECT_EQ(child->textSpring.target(), ui.theme.color("primary")); // text colour is inherited
    EXPECT_EQ(child->textSize, 13);
    EXPECT_EQ(parent->textSize, ui.ctx.fontSize);

    child->disabled = true;
    ui.frame(parent, { 1000, 1000 });
    EXPECT_FLOAT_EQ(child->opacitySpring.target, 0.5f * 0.38f);

    child->focused = true;
    ui.frame(parent, { 1000, 1000 });
    EXPECT_EQ(child->focusSpring.target, 1);
    ui.ctx.navMode = false;
    ui.frame(parent, { 1000, 1000 });
    EXPECT_EQ(child->focusSpring.target, 0);
}

TEST(Focus, CollectFocusableInTreeOrder)
{
    UiFixture ui;
    auto root = sized(200, 200);
    auto a = sized(10, 10);
    auto hiddenGroup = sized(10, 10);
    auto hiddenChild = sized(10, 10);
    auto disabled = sized(10, 10);
    auto empty = sized(0, 10);
    auto group = sized(50, 50);
    auto b = sized(10, 10);
    hiddenGroup->add(hiddenChild);
    hiddenGroup->visible = false;
    group->add(b);
    root->add({ a, hiddenGroup, disabled, empty, group });
    for (auto& w : { root, a, hiddenChild, disabled, empty, group, b })
        w->focusable = true;
    disabled->disabled = true;
    ui.frame(root, { 1000, 1000 });

    std::vector<Widget*> out;
    collectFocusable(root.get(), out);
    EXPECT_EQ(out, (std::vector<Widget*> { root.get(), a.get(), group.get(), b.get() }));
}

} // namespace

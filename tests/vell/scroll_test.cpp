#include "vell/box.h"
#include "vell/button.h"
#include "vell/list_view.h"
#include "vell/scroll_view.h"

#include "render_fixture.h"

#include <gtest/gtest.h>

#include <memory>

using namespace vell;

namespace {

constexpr float kRow = 50;
const Rect kArea { 0, 0, 300, 200 };

class Scrolling : public vell_render_test::RenderFixture {
protected:
    std::shared_ptr<ListView> makeList(int32_t count)
    {
        auto list = listView(
            [this](int32_t) {
                ++made;
                return button("row");
            },
            count, kRow);
        return list;
    }

    // Lets the springs settle.
    void settle(Widget& root, int frames = 240)
    {
        for (int i = 0; i < frames; ++i)
            frame(root, kArea);
    }

    // A drag of `steps` moves of `dy` each, one frame apart.
    void drag(ScrollCore& s, float dy, int steps, float dt = 1.0f / 60)
    {
        ctx.dt = dt;
        Point p { 100, 100 };
        s.onPointerDown(ctx, p);
        for (int i = 0; i < steps; ++i) {
            p.y += dy;
            s.onPointerMove(ctx, p);
        }
    }

    int made = 0;
};

} // namespace

TEST_F(Scrolling, ListBuildsTheVisibleRowsPlusTwoOnEachSide)
{
    auto list = makeList(10000);
    frame(*list, kArea);
    // Rows 0..3 are visible; 4 and 5 are the margin below (and the row that ceil adds).
    EXPECT_EQ(list->rows.begin()->first, 0);
    EXPECT_EQ(list->rows.rbegin()->first, 6);
    EXPECT_EQ(list->children.size(), list->rows.size());

    list->scrollTo({ 0, 1000 }); // rows 20..23 visible
    frame(*list, kArea);
    EXPECT_EQ(list->rows.begin()->first, 18);
    EXPECT_EQ(list->rows.rbegin()->first, 26);
    EXPECT_EQ(list->rows.size(), 9u);
    EXPECT_FLOAT_EQ(list->rows.at(20)->rect.y, 0);
    EXPECT_FLOAT_EQ(list->rows.at(20)->rect.w, 300);
    EXPECT_LE(made, 7 + 9);
}

TEST_F(Scrolling, FocusedRowStaysAliveFarOutOfRange)
{
    auto list = makeList(10000);
    frame(*list, kArea);
    Widget* row = list->rows.at(1).get();
    focus = row;
    list->scrollTo({ 0, 200000 });
    frame(*list, kArea);
    ASSERT_TRUE(list->rows.count(1));
    EXPECT_EQ(list->rows.at(1).get(), row);
    EXPECT_EQ(list->rows.size(), 10u); // 9 in range plus the focused one

    focus = nullptr;
    frame(*list, kArea);
    EXPECT_FALSE(list->rows.count(1));
}

TEST_F(Scrolling, DraggingPastTheTopMovesAtFortyPercentAndSpringsBack)
{
    auto list = makeList(100);
    frame(*list, kArea);
    drag(*list, 10, 5); // 50 px down at the top
    EXPECT_NEAR(list->scrollY.value, -20, 0.01);
    EXPECT_FLOAT_EQ(list->scrollY.target, 0);
    frame(*list, kArea);
    EXPECT_NEAR(list->rows.at(0)->rect.y, 20, 0.01); // the content follows the rubber band

    list->onPointerUp(ctx, false, { 100, 150 });
    EXPECT_FALSE(list->dragging);
    settle(*list);
    EXPECT_FLOAT_EQ(list->scrollY.value, 0);
}

TEST_F(Scrolling, FlingsOnlyAboveEightyPixelsPerSecond)
{
    auto list = makeList(1000);
    list->scrollTo({ 0, 5000 });
    frame(*list, kArea);

    drag(*list, -5, 10, 0.1f); // 50 px/s
    const float value = list->scrollY.value;
    list->onPointerUp(ctx, false, {});
    EXPECT_FLOAT_EQ(list->scrollY.target, value);

    drag(*list, -20, 10, 1.0f / 60); // 1200 px/s up the page
    const float released = list->scrollY.value;
    list->onPointerUp(ctx, false, {});
    EXPECT_GT(list->scrollY.target, released + 100);
    EXPECT_GT(list->scrollY.velocity, 0);
}

TEST_F(Scrolling, FocusingARowBelowTheViewportScrollsItTwentyFourAboveTheBottom)
{
    auto list = makeList(100);
    frame(*list, kArea);
    Widget* row = list->rows.at(5).get(); // 250..300, below the 200 px viewport
    list->scrollIntoView(row->rect);
    EXPECT_FLOAT_EQ(list->scrollY.target, 300 - (200 - 24));
    settle(*list);
    EXPECT_NEAR(row->rect.y + row->rect.h, 200 - 24, 0.1);

    // Above the viewport: its top comes to 24 below the viewport top.
    Widget* upper = list->rows.at(1).get();
    list->scrollIntoView(upper->rect);
    settle(*list);
    EXPECT_NEAR(upper->rect.y, 24, 0.1);
}

TEST_F(Scrolling, EmptyListIsZeroHighAndShowsNoBar)
{
    auto list = makeList(0);
    EXPECT_EQ(list->measureConstrained(ctx, 300, kUnbounded).h, 0);
    list->setCount(-5);
    EXPECT_EQ(list->count(), 0);
    frame(*list, kArea);
    EXPECT_TRUE(list->rows.empty());
    EXPECT_FALSE(list->scrollBy(ctx, { 0, 100 }));
    EXPECT_FALSE(list->canScrollY());
    EXPECT_FALSE(list->canDrag({ 0, 30 }));

    // Even with the bar timer running, nothing is drawn.
    list->bar.value = 1;
    clear();
    renderer.beginFrame();
    list->drawOverlay(ctx);
    for (uint32_t p : pixels())
        ASSERT_EQ(p & 0xFFFFFF, 0u);
}

TEST_F(Scrolling, HalfAPixelOfOverflowDoesNotScroll)
{
    auto content = [](float height) {
        auto view = scrollView();
        auto block = box();
        block->style().height = SizeSpec::fixed(height);
        view->add(block);
        return view;
    };
    auto barely = content(200.5f);
    frame(*barely, kArea);
    EXPECT_FALSE(barely->canScrollY());
    EXPECT_FALSE(barely->scrollBy(ctx, { 0, 56 }));
    EXPECT_FALSE(barely->canDrag({ 0, 20 }));

    auto more = content(200.6f);
    frame(*more, kArea);
    EXPECT_TRUE(more->canScrollY());
    EXPECT_TRUE(more->scrollBy(ctx, { 0, 56 }));
    EXPECT_FLOAT_EQ(more->scrollY.target, more->maxY());
}

TEST_F(Scrolling, ScrollViewShiftsItsContentAndRejectsSidewaysDrags)
{
    auto view = scrollView();
    for (int i = 0; i < 10; ++i) {
        auto b = button("item");
        b->style().height = SizeSpec::fixed(60);
        view->add(b);
    }
    frame(*view, kArea);
    EXPECT_FLOAT_EQ(view->content.h, 600);
    EXPECT_TRUE(view->canDrag({ 2, 30 }));
    EXPECT_FALSE(view->canDrag({ 30, 2 }));
    view->scrollTo({ 0, 130 });
    frame(*view, kArea);
    EXPECT_FLOAT_EQ(view->children[3]->rect.y, 3 * 60 - 130);
}

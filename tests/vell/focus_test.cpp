#include "engine_fixture.h"
#include "vell/scroll_view.h"
#include "vell/scrollable.h"

using namespace vell;
using vell_testing::EngineTest;
using vell_testing::tile;

namespace {

// A row-wrapping grid stand-in: rows of tiles in a column.
std::shared_ptr<Box> grid(std::vector<std::shared_ptr<Box>>& tiles, int rows, int cols) {
    auto column = box();
    column->style().gap = 10.0f;
    for (int r = 0; r < rows; ++r) {
        auto row = box();
        row->style().direction = Direction::Row;
        row->style().gap = 10.0f;
        for (int c = 0; c < cols; ++c) {
            tiles.push_back(tile());
            row->addChild(tiles.back());
        }
        column->addChild(row);
    }
    return column;
}

// A scroller stand-in that records the d-pad fallback.
struct FakeScroller : WidgetT<FakeScroller, Flex>, Scrollable {
    static constexpr const char* kTypeName = "scroll";
    Point scrolled;
    Rect intoView;
    void scrollIntoView(const Rect& r) override { intoView = r; }
    bool canScrollX() const override { return true; }
    bool canScrollY() const override { return false; }
    float scrollStep() const override { return 56; }
    bool scrollBy(UiContext&, Point d) override {
        scrolled.x += d.x;
        scrolled.y += d.y;
        return true;
    }
};

} // namespace

class FocusTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        scroller = std::make_shared<FakeScroller>();
        scroller->addChild(grid(tiles, 2, 3));
        showView(scroller);
        step(3);
    }
    std::vector<std::shared_ptr<Box>> tiles;
    std::shared_ptr<FakeScroller> scroller;
};

TEST_F(FocusTest, FirstRepairFocusesTheTopLeftTile) {
    EXPECT_EQ(engine->focus(), tiles[0].get());
    EXPECT_TRUE(tiles[0]->focused);
}

TEST_F(FocusTest, DirectionsMoveAcrossTheGridAndScrollAtTheRowEnd) {
    tap(SDLK_RIGHT);
    tap(SDLK_RIGHT);
    EXPECT_EQ(engine->focus(), tiles[2].get());
    tap(SDLK_DOWN);
    EXPECT_EQ(engine->focus(), tiles[5].get());
    tap(SDLK_RIGHT);
    EXPECT_EQ(engine->focus(), tiles[5].get()) << "the next row's first tile lies left";
    EXPECT_EQ(scroller->scrolled, (Point{56, 0})) << "the container scrolls by its step instead";
    tap(SDLK_UP);
    EXPECT_EQ(engine->focus(), tiles[2].get());
}

TEST_F(FocusTest, DownWithNothingFocusedFocusesTheFirstTile) {
    engine->setFocus(nullptr);
    EXPECT_FALSE(tiles[0]->focused);
    tap(SDLK_DOWN);
    EXPECT_EQ(engine->focus(), tiles[0].get()) << "focuses instead of moving";
}

TEST_F(FocusTest, HiddenOrDestroyedFocusIsRepairedNextFrame) {
    engine->setFocus(tiles[4].get());
    tiles[4]->parent->visible = false; // hide the whole second row
    step();
    EXPECT_EQ(engine->focus(), tiles[0].get());

    engine->setFocus(tiles[1].get());
    tiles[1]->parent->removeChild(tiles[1].get());
    tiles[1].reset(); // the last owner goes: the engine must forget it
    EXPECT_EQ(engine->focus(), nullptr);
    step();
    EXPECT_EQ(engine->focus(), tiles[0].get());
}

TEST_F(FocusTest, FocusCallbacksRunInOrderAndAncestorsScrollIntoView) {
    std::vector<std::string> log;
    tiles[0]->onBlur = [&] { log.push_back("blur0"); };
    tiles[1]->onFocus = [&] { log.push_back("focus1"); };
    engine->setFocus(tiles[1].get());
    engine->setFocus(tiles[1].get());
    EXPECT_EQ(log, (std::vector<std::string>{"blur0", "focus1"}));
    EXPECT_EQ(scroller->intoView, tiles[1]->rect);
}

TEST_F(FocusTest, PointerPressFocusesAFocusableWidget) {
    Rect r = tiles[4]->rect;
    mouseButton(true, int(r.x + 5), int(r.y + 5));
    step();
    mouseButton(false, int(r.x + 5), int(r.y + 5));
    step();
    EXPECT_EQ(engine->focus(), tiles[4].get());
    EXPECT_FALSE(engine->input().navMode) << "the pointer turns the focus ring off";
    tap(SDLK_LEFT);
    EXPECT_TRUE(engine->input().navMode);
    EXPECT_EQ(engine->focus(), tiles[3].get());
}

TEST_F(FocusTest, HoverFollowsTheMouseAndTheWheelScrollsTheContainerBelow) {
    std::vector<bool> hoverLog;
    tiles[2]->onHover = [&](bool on) { hoverLog.push_back(on); };
    Rect r = tiles[2]->rect;
    mouseMove(int(r.x + 10), int(r.y + 10));
    step();
    EXPECT_EQ(engine->hovered(), tiles[2].get());
    EXPECT_TRUE(tiles[2]->hovered);

    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -2; // towards the user: content moves up
    push(wheel);
    step();
    EXPECT_EQ(scroller->scrolled, (Point{0, 128}));

    mouseMove(int(r.x - 5), int(r.y + 10)); // the gap between tiles
    step();
    EXPECT_FALSE(tiles[2]->hovered);
    EXPECT_EQ(hoverLog, (std::vector<bool>{true, false}));
}

// A settings-like page: a scrolling list taller than the screen above a bar
// that stays put. The d-pad must reach every row of the list, and text with
// nothing focusable in it, before it leaves for the bar.
TEST_F(EngineTest, RowsBelowTheFoldComeBeforeTheBarBelowTheList) {
    auto page = box();
    page->style().height = SizeSpec::fill();
    auto list = scrollView();
    list->style().height = SizeSpec::fill();
    auto rowA = tile(300, 60), rowB = tile(300, 60), bar = tile(600, 60);
    auto text = [] {
        auto b = box();
        b->style().height = SizeSpec::fixed(900);
        return b;
    };
    list->add({rowA, text(), rowB, text()});
    page->addChild(list);
    page->addChild(bar);
    showView(page);
    step(3);
    ASSERT_EQ(engine->focus(), rowA.get());

    tap(SDLK_DOWN);
    EXPECT_EQ(engine->focus(), rowB.get()) << "the row out of sight, not the bar close by";
    step(60);
    int presses = 0;
    while (engine->focus() == rowB.get() && presses < 100) {
        tap(SDLK_DOWN);
        ++presses;
    }
    EXPECT_EQ(engine->focus(), bar.get());
    EXPECT_GT(presses, 5) << "the text below the last row scrolls into view first";
    EXPECT_FALSE(list->hasContentToward(Down));

    tap(SDLK_UP);
    EXPECT_EQ(engine->focus(), rowB.get());
    tap(SDLK_UP);
    EXPECT_EQ(engine->focus(), rowA.get());
}

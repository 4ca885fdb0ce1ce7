// Flex layout: exact rectangles for rows, columns and stacks built from real
// widgets (a Box root with leaves of known content size).

#include "ui_fixture.h"

#include "vell/flex.h"
#include "vell/spacer.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace vell;
using vell_testing::leaf;
using vell_testing::UiFixture;

namespace {

struct Child {
    Child(Size c, Style s = {}, float g = 0, bool v = true) : content(c), style(std::move(s)), grow(g), visible(v) { }
    Size content;
    Style style;
    float grow;
    bool visible;
};

Style container(Direction direction, float w, float h)
{
    Style s;
    s.direction = direction;
    s.width = SizeSpec::fixed(w);
    s.height = SizeSpec::fixed(h);
    return s;
}

template <class F>
Style with(Style s, F change)
{
    change(s);
    return s;
}

std::shared_ptr<Box> build(const Style& rootStyle, const std::vector<Child>& children)
{
    auto root = box();
    root->style() = rootStyle;
    for (const Child& c : children) {
        auto l = leaf(c.content, c.style, c.grow);
        l->visible = c.visible;
        root->add(l);
    }
    return root;
}

std::string show(const Rect& r)
{
    return "{" + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.w) + ", "
        + std::to_string(r.h) + "}";
}

// Readable test names from the case descriptions.
std::string caseName(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p)
        out += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return out;
}

struct ArrangeCase {
    const char* name;
    Style root;
    std::vector<Child> children;
    std::vector<Rect> expected;
};

const Size k20x10 { 20, 10 };

std::vector<ArrangeCase> arrangeCases()
{
    const Style row100 = container(Direction::Row, 100, 10);
    auto justified = [&](Justify j) { return with(row100, [&](Style& s) { s.justify = j; }); };
    Style fill1, fill3;
    fill1.height = SizeSpec::fill(1);
    fill3.height = SizeSpec::fill(3);

    return {
        { "column weights 1 and 3 share 100", container(Direction::Column, 40, 100),
            { { { 10, 5 }, fill1 }, { { 10, 5 }, fill3 } }, { { 0, 0, 10, 25 }, { 0, 25, 10, 75 } } },
        { "grow factors 1 and 3 share 100", row100, { { { 0, 10 }, {}, 1 }, { { 0, 10 }, {}, 3 } },
            { { 0, 0, 25, 10 }, { 25, 0, 75, 10 } } },
        { "fill children share what a fixed child and the gaps leave",
            with(container(Direction::Row, 130, 20), [](Style& s) { s.gap = 10; }),
            { { k20x10 }, { { 0, 10 }, with({}, [](Style& s) { s.width = SizeSpec::fill(); }) },
                { { 0, 10 }, with({}, [](Style& s) { s.width = SizeSpec::fill(); }) } },
            { { 0, 0, 20, 10 }, { 30, 0, 45, 10 }, { 85, 0, 45, 10 } } },
        { "fill with weight 0 is still flexible", row100,
            { { k20x10 }, { { 0, 10 }, with({}, [](Style& s) { s.width = SizeSpec::fill(0); }) } },
            { { 0, 0, 20, 10 }, { 20, 0, 80, 10 } } },

        { "justify start", justified(Justify::Start), { { k20x10 }, { k20x10 } }, { { 0, 0, 20, 10 }, { 20, 0, 20, 10 } } },
        { "justify centre", justified(Justify::Center), { { k20x10 }, { k20x10 } },
            { { 30, 0, 20, 10 }, { 50, 0, 20, 10 } } },
        { "justify end", justified(Justify::End), { { k20x10 }, { k20x10 } }, { { 60, 0, 20, 10 }, { 80, 0, 20, 10 } } },
        { "justify space-between", justified(Justify::SpaceBetween), { { k20x10 }, { k20x10 } },
            { { 0, 0, 20, 10 }, { 80, 0, 20, 10 } } },
        { "justify space-around", justified(Justify::SpaceAround), { { k20x10 }, { k20x10 } },
            { { 15, 0, 20, 10 }, { 65, 0, 20, 10 } } },
        { "justify space-evenly", justified(Justify::SpaceEvenly), { { k20x10 }, { k20x10 } },
            { { 20, 0, 20, 10 }, { 60, 0, 20, 10 } } },
        { "space-between counts the gap as used", with(justified(Justify::SpaceBetween), [](Style& s) { s.gap = 10; }),
            { { k20x10 }, { k20x10 } }, { { 0, 0, 20, 10 }, { 80, 0, 20, 10 } } },
        { "space-between with one child keeps it at the start", justified(Justify::SpaceBetween), { { k20x10 } },
            { { 0, 0, 20, 10 } } },
        { "justify is ignored when a child is flexible", justified(Justify::Center),
            { { k20x10 }, { { 0, 10 }, {}, 1 } }, { { 0, 0, 20, 10 }, { 20, 0, 80, 10 } } },
        { "justify is ignored without free space",
            with(container(Direction::Row, 30, 10), [](Style& s) { s.justify = Justify::End; }),
            { { k20x10 }, { k20x10 } }, { { 0, 0, 20, 10 }, { 20, 0, 20, 10 } } },

        { "margins offset the child and push the next one", container(Direction::Row, 100, 50),
            { { k20x10, with({}, [](Style& s) { s.margin = Edges { 5, 3, 7, 2 }; }) },
                { k20x10, with({}, [](Style& s) { s.margin = Edges { 1, 0, 0, 0 }; }) } },
            { { 5, 3, 20, 10 }, { 33, 0, 20, 10 } } },
        { "cross centring happens inside the margins",
            with(container(Direction::Row, 100, 50), [](Style& s) { s.align = Align::Center; }),
            { { k20x10, with({}, [](Style& s) { s.margin = Edges { 0, 4, 0, 6 }; }) } }, { { 0, 19, 20, 10 } } },
        { "cross end respects the trailing margin",
            with(container(Direction::Column, 100, 50), [](Style& s) { s.align = Align::End; }),
            { { k20x10, with({}, [](Style& s) { s.margin = Edges { 0, 0, 5, 0 }; }) } }, { { 75, 0, 20, 10 } } },
        { "invisible children take no space and add no gap",
            with(row100, [](Style& s) { s.gap = 10; }),
            { { k20x10 }, { k20x10, {}, 0, false }, { k20x10 } },
            { { 0, 0, 20, 10 }, { 0, 0, 0, 0 }, { 30, 0, 20, 10 } } },

        { "percent widths take a share of the space still free", container(Direction::Row, 200, 20),
            { { { 30, 10 }, with({}, [](Style& s) { s.width = SizeSpec::percent(25); }) },
                { { 30, 10 }, with({}, [](Style& s) { s.width = SizeSpec::percent(50); }) } },
            { { 0, 0, 50, 10 }, { 50, 0, 75, 10 } } },
        { "a maximum below the minimum wins", container(Direction::Row, 200, 20),
            { { { 10, 10 }, with({}, [](Style& s) {
                  s.width = SizeSpec::fixed(50);
                  s.minWidth = 80;
                  s.maxWidth = 60;
              }) },
                { { 10, 10 }, with({}, [](Style& s) { s.minWidth = 80; }) } },
            { { 0, 0, 60, 10 }, { 60, 0, 80, 10 } } },

        { "stretch fills the cross axis unless the child sizes it",
            with(container(Direction::Column, 100, 200), [](Style& s) { s.align = Align::Stretch; }),
            { { k20x10 }, { k20x10, with({}, [](Style& s) { s.width = SizeSpec::fixed(30); }) },
                { k20x10, with({}, [](Style& s) { s.width = SizeSpec::percent(50); }) },
                { k20x10, with({}, [](Style& s) { s.width = SizeSpec::fill(); }) },
                { k20x10, with({}, [](Style& s) { s.margin = Edges { 10, 0, 5, 0 }; }) },
                { k20x10, with({}, [](Style& s) { s.alignSelf = Align::Center; }) } },
            { { 0, 0, 100, 10 }, { 0, 10, 30, 10 }, { 0, 20, 50, 10 }, { 0, 30, 100, 10 }, { 10, 40, 85, 10 },
                { 40, 50, 20, 10 } } },

        { "stack places each child by its own alignment", container(Direction::Stack, 100, 80),
            { { k20x10 }, { k20x10, with({}, [](Style& s) {
                               s.alignSelf = Align::Center;
                               s.alignSelfY = Align::End;
                           }) },
                { k20x10, with({}, [](Style& s) {
                     s.margin = Edges { 5, 5, 5, 5 };
                     s.alignSelf = Align::Stretch;
                     s.alignSelfY = Align::Stretch;
                 }) },
                { k20x10, with({}, [](Style& s) {
                     s.width = SizeSpec::fixed(20);
                     s.alignSelf = Align::Stretch;
                     s.alignSelfY = Align::Center;
                 }) } },
            { { 0, 0, 20, 10 }, { 40, 70, 20, 10 }, { 5, 5, 90, 70 }, { 0, 35, 20, 10 } } },

        { "padding and offsets move the content",
            with(container(Direction::Row, 100, 50), [](Style& s) { s.padding = Edges { 10, 5, 10, 5 }; }),
            { { k20x10, with({}, [](Style& s) {
                   s.offsetX = 3;
                   s.offsetY = 4;
               }) } },
            { { 13, 9, 20, 10 } } },
    };
}

void PrintTo(const ArrangeCase& c, std::ostream* os) { *os << c.name; }

class FlexArrange : public ::testing::TestWithParam<ArrangeCase> { };

TEST_P(FlexArrange, PlacesChildrenExactly)
{
    const ArrangeCase& c = GetParam();
    UiFixture ui;
    auto root = build(c.root, c.children);
    ui.frame(root, { 1000, 1000 });
    ASSERT_EQ(root->children.size(), c.expected.size());
    for (size_t i = 0; i < c.expected.size(); ++i)
        EXPECT_EQ(root->children[i]->rect, c.expected[i])
            << c.name << ": child " << i << " is " << show(root->children[i]->rect) << ", expected "
            << show(c.expected[i]);
}

INSTANTIATE_TEST_SUITE_P(Cases, FlexArrange, ::testing::ValuesIn(arrangeCases()),
    [](const auto& info) { return caseName(info.param.name); });

struct MeasureCase {
    const char* name;
    Style root;
    std::vector<Child> children;
    Size expected;
};

std::vector<MeasureCase> measureCases()
{
    Style row;
    row.direction = Direction::Row;
    Style column;
    column.direction = Direction::Column;
    return {
        { "row: widths, gaps and the tallest child", with(row, [](Style& s) { s.gap = 10; }),
            { { k20x10 }, { { 20, 30 }, {}, 0, false }, { { 20, 15 } } }, { 50, 15 } },
        { "row: margins count on both axes", row,
            { { k20x10, with({}, [](Style& s) { s.margin = Edges { 5, 3, 7, 2 }; }) } }, { 32, 15 } },
        { "padding wraps the content", with(row, [](Style& s) { s.padding = Edges { 10, 5, 10, 5 }; }),
            { { k20x10 } }, { 40, 20 } },
        { "percent width in unbounded space falls back to content", row,
            { { { 30, 10 }, with({}, [](Style& s) { s.width = SizeSpec::percent(50); }) } }, { 30, 10 } },
        { "fill child in unbounded space gets nothing", column,
            { { { 10, 10 } }, { { 10, 10 }, with({}, [](Style& s) { s.height = SizeSpec::fill(); }) } }, { 10, 10 } },
        { "stack takes the largest margin box per axis", with(row, [](Style& s) { s.direction = Direction::Stack; }),
            { { k20x10, with({}, [](Style& s) { s.margin = Edges { 5, 5, 5, 5 }; }) }, { { 30, 40 } } }, { 30, 40 } },
        { "no visible children measure zero", row, { { k20x10, {}, 0, false } }, { 0, 0 } },
    };
}

void PrintTo(const MeasureCase& c, std::ostream* os) { *os << c.name; }

class FlexMeasure : public ::testing::TestWithParam<MeasureCase> { };

TEST_P(FlexMeasure, ContentSize)
{
    const MeasureCase& c = GetParam();
    UiFixture ui;
    auto root = build(c.root, c.children);
    root->tickTree(ui.ctx, 0.016f);
    EXPECT_EQ(root->measureConstrained(ui.ctx, kUnbounded, kUnbounded), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, FlexMeasure, ::testing::ValuesIn(measureCases()),
    [](const auto& info) { return caseName(info.param.name); });

// The algorithm itself, without widgets: the measure callback sees the
// space each child is offered.
TEST(FlexAlgorithm, OffersRemainingSpaceAndClampsAtZero)
{
    FlexParams params;
    params.direction = Direction::Row;
    params.gap = 10;
    std::vector<FlexItem> items(3);
    items[1].margin = { 4, 2, 4, 2 };
    items[2].grow = 1;
    std::vector<Size> offered;
    auto measure = [&](size_t, float w, float h) {
        offered.push_back({ w, h });
        return Size { 80, 5 };
    };
    flexMeasure(params, items, { 100, 30 }, measure);
    ASSERT_EQ(offered.size(), 3u);
    EXPECT_EQ(offered[0], (Size { 80, 30 }));  // 100 - two gaps
    EXPECT_EQ(offered[1], (Size { 0, 26 }));   // 100 - 80 - 8 - 20 < 0; cross minus margins
    EXPECT_EQ(offered[2], (Size { 0, 30 }));   // nothing left to share

    offered.clear();
    flexMeasure(params, items, { kUnbounded, kUnbounded }, measure);
    EXPECT_TRUE(isUnbounded(offered[0].w) && isUnbounded(offered[1].h));
    EXPECT_EQ(offered[2].w, 0); // unbounded main axis: no free space to share
}

TEST(FlexLayout, NestedFillRowsAndFlexibleSpacer)
{
    UiFixture ui;
    auto bar = box();
    bar->style().direction = Direction::Row;
    bar->style().width = SizeSpec::fill();
    bar->style().align = Align::Center;
    auto title = leaf({ 50, 20 });
    auto action = leaf({ 30, 30 });
    bar->add({ title, spacer(), action });
    auto root = box();
    root->style().width = SizeSpec::fixed(300);
    root->style().height = SizeSpec::fixed(100);
    root->style().padding = uniformEdges(10);
    root->add(bar);
    ui.frame(root, { 1000, 1000 });
    EXPECT_EQ(bar->rect, (Rect { 10, 10, 280, 30 }));
    EXPECT_EQ(title->rect, (Rect { 10, 15, 50, 20 }));
    EXPECT_EQ(action->rect, (Rect { 260, 10, 30, 30 }));
}

} // namespace

#include <gtest/gtest.h>

#include "vell/damage.h"

using namespace vell;

namespace {

DrawnCall call(uint64_t hash, int x, int y, int w = 10, int h = 10) { return { hash, { x, y, w, h } }; }

struct Case {
    const char* name;
    std::vector<DrawnCall> before, after;
    std::vector<DeviceRect> damage;
};

} // namespace

TEST(Damage, OnlyCallsWithoutAnEqualInOrderDamageTheirAreas)
{
    const DrawnCall bg = call(1, 0, 0, 1000, 1000), a = call(2, 10, 10), b = call(3, 500, 500);
    const Case cases[] = {
        { "same frame", { bg, a, b }, { bg, a, b }, {} },
        { "one call changed in place", { bg, a, b }, { bg, call(9, 10, 10), b }, { { 10, 10, 10, 10 } } },
        { "moved far: both places", { bg, a, b }, { bg, call(2, 300, 10), b }, { { 300, 10, 10, 10 }, { 10, 10, 10, 10 } } },
        { "moved a little: one area", { bg, a }, { bg, call(2, 14, 10) }, { { 10, 10, 14, 10 } } },
        { "inserted in the middle", { bg, a, b }, { bg, a, call(7, 200, 200), b }, { { 200, 200, 10, 10 } } },
        { "removed", { bg, a, b }, { bg, b }, { { 10, 10, 10, 10 } } },
        { "swapped order: the one out of order", { bg, a, b }, { bg, b, a }, { { 10, 10, 10, 10 } } },
        { "empty areas never damage", { bg, call(4, 0, 0, 0, 0) }, { bg, call(5, 0, 0, 0, 0) }, {} },
        { "the background changed: everything", { bg, a }, { call(8, 0, 0, 1000, 1000), a }, { { 0, 0, 1000, 1000 } } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(damagedAreas(c.before, c.after), c.damage) << c.name;
}

TEST(Damage, ManyScatteredAreasBecomeTheirUnion)
{
    std::vector<DrawnCall> before, after;
    for (int i = 0; i < 6; ++i) {
        before.push_back(call(uint64_t(i), i * 100, 0));
        after.push_back(call(uint64_t(i + 50), i * 100, 0));
    }
    EXPECT_EQ(damagedAreas(before, after, 4), (std::vector<DeviceRect> { { 0, 0, 510, 10 } }));
    EXPECT_EQ(damagedAreas(before, after, 6).size(), 6u);
    for (int i = 0; i < 200; ++i) // past the merge limit: one union, without quadratic work
        after.push_back(call(uint64_t(1000 + i), i, i));
    EXPECT_EQ(damagedAreas(before, after).size(), 1u);
}

TEST(Damage, RectangleHelpers)
{
    EXPECT_EQ(intersect({ 0, 0, 10, 10 }, { 5, 5, 10, 10 }), (DeviceRect { 5, 5, 5, 5 }));
    EXPECT_TRUE(intersect({ 0, 0, 10, 10 }, { 20, 0, 5, 5 }).empty());
    EXPECT_EQ(unite({}, { 5, 5, 1, 1 }), (DeviceRect { 5, 5, 1, 1 }));
    EXPECT_EQ(unite({ 0, 0, 2, 2 }, { 5, 5, 1, 1 }), (DeviceRect { 0, 0, 6, 6 }));
}

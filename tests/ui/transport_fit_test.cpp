// How the transport row shrinks to the width it is given.
#include "app/ui/widgets/transport.h"

#include <gtest/gtest.h>

namespace {

using cad::fitTransport;
using cad::TransportSizes;
using cad::transportWidth;

TEST(TransportFit, FullSizeWhenItFitsShrinksEvenlyAndStopsAtTheSmallestButtons)
{
    struct Case {
        float width;
        int buttons;
        TransportSizes expected;
    };
    const Case cases[] = {
        { 2000, 5, { 56, 76, 10 } },
        { 406, 5, { 56, 76, 10 } }, // exactly the full row
        { 405, 5, { 55, 75, 9 } },
        { 361, 5, { 52, 66, 7 } }, // halfway
        { 316, 5, { 48, 56, 4 } }, // exactly the smallest row
        { 200, 5, { 48, 56, 4 } }, // narrower: the smallest, for the caller to make room
        { 0, 5, { 48, 56, 4 } },
        { 340, 4, { 56, 76, 10 } },
        { 339, 4, { 55, 75, 9 } },
        { 0, 0, { 48, 56, 4 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " px, " << c.buttons << " buttons");
        const TransportSizes got = fitTransport(c.width, c.buttons);
        EXPECT_EQ(got.button, c.expected.button);
        EXPECT_EQ(got.play, c.expected.play);
        EXPECT_EQ(got.gap, c.expected.gap);
    }
    // Whenever the smallest row fits, the fitted row does too, and it never grows as the width shrinks.
    float previous = 1e9f;
    for (float width = 500; width >= 316; width -= 1) {
        const float used = transportWidth(fitTransport(width, 5), 5);
        EXPECT_LE(used, width) << width;
        EXPECT_LE(used, previous) << width;
        previous = used;
    }
}

} // namespace

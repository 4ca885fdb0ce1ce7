#include "vell/screen_fit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using vell::Size;

struct PlanCase {
    Size usable, display;
    bool desktop;
    int width, height;
    bool fullscreen;
};

TEST(ScreenFit, WindowFitsTheDisplayAndSmallScreensStartFullScreen)
{
    const PlanCase cases[] = {
        { { 1920, 1050 }, { 1920, 1080 }, true, 1280, 720, false },  // room to spare
        { { 1366, 700 }, { 1366, 768 }, true, 1244, 700, false },    // shrunk, shape kept
        { { 640, 480 }, { 640, 480 }, true, 640, 480, true },        // handheld
        { { 1280, 770 }, { 1280, 800 }, true, 1280, 800, true },     // the largest small screen
        { { 2560, 1400 }, { 2560, 1440 }, false, 2560, 1440, true }, // KMSDRM: no desktop
        { {}, {}, true, 1280, 720, false },                          // nothing known
    };
    for (const PlanCase& c : cases) {
        const vell::WindowPlan plan = vell::planWindow({ 1280, 720 }, c.usable, c.display, c.desktop);
        EXPECT_EQ(plan.width, c.width) << c.display.w;
        EXPECT_EQ(plan.height, c.height) << c.display.w;
        EXPECT_EQ(plan.fullscreen, c.fullscreen) << c.display.w;
    }
}

TEST(ScreenFit, UiScaleKeepsTextReadableAndTheDesktopUnchanged)
{
    struct Case {
        int w, h;
        float scale;
        Size layout;
    } const cases[] = {
        { 1280, 720, 1.0f, { 1280, 720 } },
        { 640, 480, 0.8f, { 800, 600 } },
        { 720, 720, 0.8f, { 900, 900 } },
        { 960, 544, 0.8f, { 1200, 680 } },
        { 800, 480, 0.8f, { 1000, 600 } },
        { 1920, 1080, 1.5f, { 1280, 720 } },
        { 1366, 768, 1.05f, { 1301, 731 } },
        { 0, 0, 1.0f, { 0, 0 } },
    };
    for (const Case& c : cases) {
        const float scale = vell::autoUiScale(c.w, c.h, { 1280, 720 });
        EXPECT_FLOAT_EQ(scale, c.scale) << c.w << "x" << c.h;
        EXPECT_EQ(vell::layoutSizeFor(c.w, c.h, scale), c.layout) << c.w << "x" << c.h;
        // 16 px body text and 13 px captions keep at least 12 and 10 device pixels.
        if (c.w > 0) {
            EXPECT_GE(std::lround(16 * scale), 12);
            EXPECT_GE(std::lround(13 * scale), 10);
        }
    }
}

TEST(ScreenFit, ChosenInterfaceSizeNeverLeavesALayoutTooSmallForThePages)
{
    struct Case {
        int w, h;
        float chosen, scale;
    } const cases[] = {
        { 1280, 720, 1.0f, 1.0f },
        { 1280, 720, 0.75f, 0.75f }, // smaller always fits
        { 1280, 720, 1.25f, 1.2f },  // 1067 x 600 at most
        { 1280, 720, 2.0f, 1.2f },
        { 1920, 1080, 2.0f, 1.8f },
        { 960, 1080, 1.5f, 1.5f },   // 640 x 720: narrow but whole
        { 960, 1080, 2.0f, 1.5f },
        { 640, 480, 1.25f, 0.8f },   // never below the automatic scale
        { 400, 300, 1.0f, 0.8f },
        { 0, 0, 1.5f, 1.5f },
    };
    for (const Case& c : cases)
        EXPECT_NEAR(vell::chosenUiScale(c.chosen, c.w, c.h, { 1280, 720 }), c.scale, 1e-4) << c.w << "x" << c.h << " at " << c.chosen;
}

} // namespace

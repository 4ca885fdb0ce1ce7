#include "vell/arc_coverage.h"
#include "vell/box.h"
#include "vell/button.h"
#include "vell/checkbox.h"
#include "vell/image.h"
#include "vell/label.h"
#include "vell/progress_bar.h"
#include "vell/slider.h"
#include "vell/toggle.h"

#include "render_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vell;

namespace {

constexpr int32_t kLeft = 2, kRight = 3, kUp = 0;

class Controls : public vell_render_test::RenderFixture { };

bool validUtf8(const std::string& s)
{
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

} // namespace

TEST_F(Controls, RadioReselectKeepsQuietButUnchecksStrayMembers)
{
    auto group = box();
    std::vector<std::shared_ptr<Button>> items;
    std::vector<std::string> log;
    for (const char* name : { "a", "b", "c" }) {
        auto b = button(name);
        b->group = "g";
        b->onChange = [&log, name](bool on) { log.push_back(std::string(name) + (on ? "+" : "-")); };
        group->add(b);
        items.push_back(b);
    }
    auto outsider = button("other"); // same group name, different parent: not a sibling
    outsider->group = "g";
    outsider->checked = true;
    items[0]->checked = true;
    items[2]->checked = true; // an inconsistent group the selection must repair

    int clicks = 0;
    items[0]->onClick = [&] { ++clicks; };
    EXPECT_TRUE(items[0]->onButton(ctx, kButtonCross));
    EXPECT_EQ(log, (std::vector<std::string> { "c-" })); // no "a+" again
    EXPECT_TRUE(items[0]->checked);
    EXPECT_FALSE(items[2]->checked);
    EXPECT_TRUE(outsider->checked);
    EXPECT_EQ(clicks, 1);

    log.clear();
    std::vector<std::string> emitted;
    actions.subscribe([&](const std::string& name, const ActionValue& v) {
        emitted.push_back(name);
        EXPECT_TRUE(std::holds_alternative<std::monostate>(v));
    });
    items[1]->action = "pick";
    items[1]->onPointerDown(ctx, {});
    items[1]->onPointerUp(ctx, true, {});
    EXPECT_EQ(log, (std::vector<std::string> { "a-", "b+" }));
    EXPECT_EQ(emitted, (std::vector<std::string> { "pick" }));
}

TEST_F(Controls, ToggleButtonFlipsAndDisabledButtonIgnoresCross)
{
    auto b = button("Like");
    b->toggleable = true;
    std::vector<bool> states;
    b->onChange = [&](bool on) { states.push_back(on); };
    b->onButton(ctx, kButtonCross);
    b->onButton(ctx, kButtonCross);
    EXPECT_EQ(states, (std::vector<bool> { true, false }));
    EXPECT_FALSE(b->onButton(ctx, kLeft));

    b->disabled = true;
    EXPECT_FALSE(b->onButton(ctx, kButtonCross));
    EXPECT_EQ(states.size(), 2u);
}

TEST_F(Controls, SliderButtonsStepByStepOrAFifthOfTheRangeTwentieth)
{
    auto s = slider(0, 100, 50, 0);
    std::vector<float> commits;
    s->onCommit = [&](float v) { commits.push_back(v); };
    EXPECT_TRUE(s->onButton(ctx, kRight));
    EXPECT_FLOAT_EQ(s->value(), 55);
    EXPECT_TRUE(s->onButton(ctx, kLeft));
    EXPECT_TRUE(s->onButton(ctx, kLeft));
    EXPECT_FLOAT_EQ(s->value(), 45);
    EXPECT_EQ(commits, (std::vector<float> { 55, 50, 45 }));
    EXPECT_FALSE(s->onButton(ctx, kUp)); // focus may still move vertically

    auto stepped = slider(0, 100, 0, 10);
    stepped->setValue(&ctx, 37);
    EXPECT_FLOAT_EQ(stepped->value(), 40);
    stepped->onButton(ctx, kRight);
    EXPECT_FLOAT_EQ(stepped->value(), 50);

    // A range that is not a whole number of steps still ends at max.
    auto odd = slider(0, 95, 0, 10);
    odd->setValue(&ctx, 96);
    EXPECT_FLOAT_EQ(odd->value(), 95);
    odd->setValue(&ctx, -4);
    EXPECT_FLOAT_EQ(odd->value(), 0);

    s->disabled = true;
    EXPECT_FALSE(s->onButton(ctx, kRight));
    EXPECT_FLOAT_EQ(s->value(), 45);
}

TEST_F(Controls, SliderPointerDragSetsValueAndCommitsOnceAtTheEnd)
{
    auto s = slider(0, 100, 0, 10);
    frame(*s, { 0, 0, 204, 28 });
    int changes = 0;
    std::vector<float> commits;
    s->onChange = [&](float) { ++changes; };
    s->onCommit = [&](float v) { commits.push_back(v); };
    std::vector<float> emitted;
    s->action = "volume";
    actions.subscribe([&](const std::string&, const ActionValue& v) { emitted.push_back(std::get<float>(v)); });

    s->onPointerDown(ctx, { 2 + 100, 10 }); // half way along the usable length
    EXPECT_FLOAT_EQ(s->value(), 50);
    EXPECT_TRUE(s->wantsDrag({ 150, 10 }, { 102, 10 }));
    s->onPointerMove(ctx, { 2 + 200 * 0.73f, 10 });
    EXPECT_FLOAT_EQ(s->value(), 70);
    s->onPointerMove(ctx, { 500, 10 });
    EXPECT_FLOAT_EQ(s->value(), 100);
    EXPECT_TRUE(commits.empty());
    s->onPointerUp(ctx, false, { 500, 10 });
    EXPECT_EQ(commits, (std::vector<float> { 100 }));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(emitted, (std::vector<float> { 50, 70, 100 }));
    EXPECT_FALSE(s->wantsDrag({ 150, 10 }, { 102, 10 }));

    s->onPointerDown(ctx, { 0, 10 });
    s->onPointerCancel(ctx);
    EXPECT_EQ(commits.size(), 1u); // cancel does not commit
}

TEST_F(Controls, CheckablesFlipWithCrossAndSetCheckedOnlyOnChange)
{
    auto c = checkbox(false);
    auto t = toggle(true);
    std::vector<bool> states;
    std::vector<bool> emitted;
    c->onChange = [&](bool on) { states.push_back(on); };
    c->action = "offline";
    actions.subscribe([&](const std::string&, const ActionValue& v) { emitted.push_back(std::get<bool>(v)); });

    EXPECT_TRUE(c->onButton(ctx, kButtonCross));
    EXPECT_TRUE(c->checked);
    EXPECT_GT(c->flash, 0);
    c->setChecked(ctx, true); // unchanged: nothing
    c->setChecked(ctx, false);
    EXPECT_EQ(states, (std::vector<bool> { true, false }));
    EXPECT_EQ(emitted, (std::vector<bool> { true, false }));

    t->disabled = true;
    EXPECT_FALSE(t->onButton(ctx, kButtonCross));
    t->onPointerDown(ctx, {});
    t->onPointerUp(ctx, true, {});
    EXPECT_TRUE(t->checked);
}

TEST(LabelEllipsis, CutsOnlyBetweenCharacters)
{
    // One pixel per byte makes odd byte counts fit where a character would break.
    auto bytes = [](std::string_view s) { return float(s.size()); };
    const std::string text = "\xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xAC\xF0\x9F\x8E\xB5xyz"; // äöü€🎵xyz
    for (float width = 0; width < float(text.size()); width += 1) {
        const std::string shown = ellipsize(text, width, bytes);
        ASSERT_TRUE(validUtf8(shown)) << "width " << width;
        ASSERT_GE(shown.size(), 3u);
        const std::string prefix = shown.substr(0, shown.size() - 3);
        EXPECT_EQ(shown.substr(shown.size() - 3), "\xE2\x80\xA6");
        EXPECT_EQ(text.compare(0, prefix.size(), prefix), 0);
        if (width >= 3) {
            EXPECT_LE(shown.size(), width);
            // The longest fitting prefix: one more character would not fit.
            size_t next = prefix.size() + 1;
            while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80)
                ++next;
            EXPECT_GT(next + 3, width) << "width " << width;
        }
    }
    EXPECT_EQ(ellipsize("fits", 10, bytes), "fits");
}

TEST_F(Controls, NarrowLabelShowsAValidPrefixWithEllipsis)
{
    auto l = label("Grüße aus Köln — überall schöne Lieder");
    auto row = box();
    row->add(l);
    frame(*row, { 0, 0, 90, 40 });
    EXPECT_NE(l->shownText(), l->text());
    EXPECT_TRUE(validUtf8(l->shownText()));
    EXPECT_EQ(l->shownText().substr(l->shownText().size() - 3), "\xE2\x80\xA6");
    EXPECT_LE(l->lastSize.w, 90);
    EXPECT_GT(l->lastSize.w, 30);

    // Wide enough again: the whole text, measured once per width.
    frame(*row, { 0, 0, 1000, 40 });
    EXPECT_EQ(l->shownText(), l->text());
}

TEST_F(Controls, WrappingLabelUnderAMaximumWidthMeasuresItsLines)
{
    auto l = label("one two three four five six seven eight nine ten eleven twelve");
    l->style().wrap = true;
    l->style().maxWidth = 120.0f;
    auto column = box();
    column->add(l);
    frame(*column, { 0, 0, 400, 300 });
    const float lineHeight = renderer.measureText("one", kTextFont, 16).h;
    EXPECT_TRUE(l->wrappedLastLayout());
    EXPECT_GT(l->lastSize.h, 2.5f * lineHeight); // measured at 120, not at 400
    EXPECT_LE(l->lastSize.w, 120);
}

TEST_F(Controls, WavyBarFlattensNearEmptyAndFull)
{
    auto bar = progressBar(1.0f);
    bar->wavy = true;
    EXPECT_EQ(bar->amplitudeTarget(), 0);
    bar->progress = bar->shownProgress.value = 0.01f;
    EXPECT_EQ(bar->amplitudeTarget(), 0);
    bar->progress = bar->shownProgress.value = 0.5f;
    EXPECT_EQ(bar->amplitudeTarget(), bar->waveAmplitude);
    bar->indeterminate = true;
    bar->progress = bar->shownProgress.value = 1.0f;
    EXPECT_EQ(bar->amplitudeTarget(), bar->waveAmplitude);
}

TEST_F(Controls, WavyBarAtFullDrawsAStraightLine)
{
    auto bar = progressBar(0.5f);
    bar->wavy = true;
    bar->thickness = 4;
    bar->waveAmplitude = 6;
    bar->style().fillColor = colorLiteral({ 255, 255, 255, 255 });
    bar->style().trackColor = colorLiteral({ 0, 0, 0, 0 });
    const Rect area { 10, 100, 300, 20 };
    for (int i = 0; i < 120; ++i)
        frame(*bar, area);
    // Half way the line waves: lit rows spread beyond the thickness.
    auto litRows = [&] {
        clear();
        renderer.beginFrame();
        bar->paint(ctx);
        int top = kHeight, bottom = -1;
        const auto px = pixels();
        for (int y = 0; y < kHeight; ++y)
            for (int x = 20; x < 150; ++x)
                if ((px[size_t(y) * kWidth + x] & 0xFF) > 128) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return bottom - top + 1;
    };
    EXPECT_GT(litRows(), 10);

    bar->progress = 1.0f;
    for (int i = 0; i < 240; ++i)
        frame(*bar, area);
    EXPECT_LT(bar->amplitude.value, 0.1f);
    EXPECT_LE(litRows(), 5);
}

TEST(ArcCoverage, QuarterArcIsAntiAliasedAndStaysInItsQuadrant)
{
    ArcShape arc;
    arc.cx = arc.cy = 20;
    arc.radius = 16;
    arc.thickness = 4;
    arc.start = -3.14159265f / 2; // 12 o'clock, clockwise to 3 o'clock
    arc.sweep = 3.14159265f / 2;
    const auto px = arcCoverage(40, arc);
    int partial = 0, full = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const uint8_t a = px[size_t(y) * 40 + x];
            partial += a > 0 && a < 255;
            full += a == 255;
            // Only the top-right quadrant, plus the round caps reaching 2 px past it.
            if (a > 0) {
                EXPECT_GE(x, 20 - 3) << x << "," << y;
                EXPECT_LE(y, 20 + 3) << x << "," << y;
            }
        }
    EXPECT_GT(full, 20);
    EXPECT_GT(partial, 20);
    EXPECT_EQ(px[size_t(4) * 40 + 20], 255);  // on the ring at 12 o'clock
    EXPECT_EQ(px[size_t(36) * 40 + 20], 0);   // 6 o'clock is outside the sweep

    arc.sweep = 0.01f;
    for (uint8_t a : arcCoverage(40, arc))
        ASSERT_EQ(a, 0);
}

TEST(ImageFit, PlacesThePictureByFitMode)
{
    const Size source { 200, 100 };
    const Rect area { 10, 20, 100, 100 };
    Rect src, dst;
    fitImage(kFitContain, source, area, src, dst);
    EXPECT_EQ(dst, (Rect { 10, 45, 100, 50 }));
    fitImage(kFitCover, source, area, src, dst);
    EXPECT_EQ(src, (Rect { 50, 0, 100, 100 })); // cropped around the centre
    EXPECT_EQ(dst, area);
    fitImage(kFitNatural, source, area, src, dst);
    EXPECT_EQ(dst, (Rect { -40, 20, 200, 100 }));
    fitImage(2, source, area, src, dst);
    EXPECT_EQ(dst, area);
    EXPECT_EQ(src, (Rect { 0, 0, 200, 100 }));
}

TEST_F(Controls, CoveredCornersRoundASquarePicture)
{
    renderer.beginFrame();
    renderer.fillRoundRect(10, 10, 100, 60, 0, { 255, 255, 255, 255 });
    renderer.coverCorners(10, 10, 100, 60, 12, { 0, 0, 255, 255 });
    const auto px = pixels();
    auto at = [&](int x, int y) { return px[size_t(y) * kWidth + x] & 0xFFFFFF; };
    EXPECT_EQ(at(10, 10), 0x0000FFu);  // corners take the backdrop colour
    EXPECT_EQ(at(109, 69), 0x0000FFu);
    EXPECT_EQ(at(60, 40), 0xFFFFFFu);  // the middle and the edges' centres stay
    EXPECT_EQ(at(60, 10), 0xFFFFFFu);
    EXPECT_EQ(at(10, 40), 0xFFFFFFu);
    EXPECT_EQ(at(0, 0), 0u);           // nothing outside the rectangle
}

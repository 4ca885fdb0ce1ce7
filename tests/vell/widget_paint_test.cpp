// Widget painting on the software renderer: chrome, clipping, opacity and
// the focus ring, read back pixel by pixel.

#include "ui_fixture.h"

#include "support/temp_home.h"
#include "vell/renderer.h"

#include <SDL.h>
#include <gtest/gtest.h>

using namespace vell;
using vell_testing::UiFixture;

namespace {

constexpr int kSide = 100;

class WidgetPaint : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testing_support::useHeadlessSdl();
        ASSERT_EQ(SDL_Init(0), 0) << SDL_GetError();
    }
    static void TearDownTestSuite() { SDL_Quit(); }

    void SetUp() override
    {
        m_surface = SDL_CreateRGBSurfaceWithFormat(0, kSide, kSide, 32, SDL_PIXELFORMAT_ARGB8888);
        ASSERT_TRUE(m_surface) << SDL_GetError();
        m_sdl = SDL_CreateSoftwareRenderer(m_surface);
        ASSERT_TRUE(m_sdl) << SDL_GetError();
        renderer.attach(m_sdl, "", "");
        renderer.setScale(1, 0, 0, kSide, kSide);
        ui.ctx.renderer = &renderer;
        ui.theme.setToken("focusRing", Color { 0, 255, 0, 255 }, Color { 0, 255, 0, 255 });
    }
    void TearDown() override
    {
        renderer.shutdown();
        SDL_DestroyRenderer(m_sdl);
        SDL_FreeSurface(m_surface);
    }

    // Clears to black and paints the tree.
    void paint(Widget& root)
    {
        renderer.beginFrame();
        SDL_SetRenderDrawBlendMode(m_sdl, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(m_sdl, 0, 0, 0, 255);
        SDL_RenderClear(m_sdl);
        root.paint(ui.ctx);
        EXPECT_EQ(renderer.clipDepth(), 0u);
        EXPECT_EQ(renderer.transformDepth(), 1u);
    }

    uint32_t pixel(int x, int y)
    {
        uint32_t p = 0;
        SDL_Rect r { x, y, 1, 1 };
        EXPECT_EQ(SDL_RenderReadPixels(m_sdl, &r, SDL_PIXELFORMAT_ARGB8888, &p, 4), 0);
        return p & 0xFFFFFF;
    }
    int litCount()
    {
        std::vector<uint32_t> all(kSide * kSide);
        EXPECT_EQ(SDL_RenderReadPixels(m_sdl, nullptr, SDL_PIXELFORMAT_ARGB8888, all.data(), kSide * 4), 0);
        int n = 0;
        for (uint32_t p : all)
            n += (p & 0xFFFFFF) != 0;
        return n;
    }

    // A 40 x 40 box at (20, 20) inside a 100 x 100 root, springs settled.
    std::shared_ptr<Box> layoutWithTarget(const std::function<void(Box&)>& setup)
    {
        root = box();
        root->style().width = SizeSpec::fixed(kSide);
        root->style().height = SizeSpec::fixed(kSide);
        root->style().padding = uniformEdges(20);
        auto target = box();
        target->style().width = SizeSpec::fixed(40);
        target->style().height = SizeSpec::fixed(40);
        setup(*target);
        root->add(target);
        for (int i = 0; i < 90; ++i)
            ui.frame(root, { kSide, kSide });
        return target;
    }

    UiFixture ui;
    Renderer renderer;
    std::shared_ptr<Box> root;
    SDL_Surface* m_surface = nullptr;
    SDL_Renderer* m_sdl = nullptr;
};

TEST_F(WidgetPaint, BackgroundAndBorder)
{
    layoutWithTarget([](Box& b) {
        b.style().background = colorLiteral({ 255, 0, 0, 255 });
        b.style().borderWidth = 2;
        b.style().borderColor = colorLiteral({ 0, 0, 255, 255 });
    });
    paint(*root);
    EXPECT_EQ(pixel(40, 40), 0xFF0000u);
    EXPECT_EQ(pixel(20, 40), 0x0000FFu);
    EXPECT_EQ(pixel(21, 40), 0x0000FFu);
    EXPECT_EQ(pixel(22, 40), 0xFF0000u);
    EXPECT_EQ(pixel(19, 40), 0u);
    EXPECT_EQ(pixel(60, 40), 0u); // right edge exclusive
}

// A new widget shows its colours from its first frame; later changes still ease.
TEST_F(WidgetPaint, NewWidgetsAppearInTheirColoursAndChangesEase)
{
    root = box();
    root->style().width = SizeSpec::fixed(kSide);
    root->style().height = SizeSpec::fixed(kSide);
    root->style().background = colorLiteral({ 255, 0, 0, 255 });
    ui.frame(root, { kSide, kSide });
    paint(*root);
    EXPECT_EQ(pixel(50, 50), 0xFF0000u) << "first frame";
    root->style().background = colorLiteral({ 0, 0, 255, 255 });
    root->markStyleDirty();
    ui.frame(root, { kSide, kSide });
    paint(*root);
    EXPECT_NE(pixel(50, 50), 0xFF0000u);
    EXPECT_NE(pixel(50, 50), 0x0000FFu) << "a change eases";
}

TEST_F(WidgetPaint, ClipKeepsChildrenInside)
{
    auto target = layoutWithTarget([](Box& b) {
        b.style().clip = true;
        auto child = box();
        child->style().width = SizeSpec::fixed(80);
        child->style().height = SizeSpec::fixed(10);
        child->style().background = colorLiteral({ 255, 255, 255, 255 });
        b.add(child);
    });
    paint(*root);
    EXPECT_EQ(pixel(59, 25), 0xFFFFFFu);
    EXPECT_EQ(pixel(60, 25), 0u);
    target->style().clip = false;
    ui.frame(root, { kSide, kSide });
    paint(*root);
    EXPECT_EQ(pixel(90, 25), 0xFFFFFFu);
}

TEST_F(WidgetPaint, NearlyTransparentSubtreesAreSkipped)
{
    auto target = layoutWithTarget([](Box& b) { b.style().background = colorLiteral({ 255, 255, 255, 255 }); });
    target->opacitySpring.value = 0.004f;
    paint(*root);
    EXPECT_EQ(litCount(), 0);
    target->opacitySpring.value = 0.5f;
    paint(*root);
    EXPECT_EQ(pixel(40, 40), 0x808080u); // opacity multiplied into the colour's alpha
}

TEST_F(WidgetPaint, ScaleShrinksAboutTheCentre)
{
    auto target = layoutWithTarget([](Box& b) { b.style().background = colorLiteral({ 255, 255, 255, 255 }); });
    target->scaleSpring.value = 0.5f;
    paint(*root);
    EXPECT_EQ(pixel(25, 25), 0u);
    EXPECT_EQ(pixel(30, 30), 0xFFFFFFu);
    EXPECT_EQ(pixel(49, 49), 0xFFFFFFu);
    EXPECT_EQ(pixel(50, 50), 0u);
}

// The ring is drawn only once the focus amount exceeds 0.01, grown by 3f
// around the widget in the theme's focus colour.
TEST_F(WidgetPaint, FocusRingFollowsTheFocusSpring)
{
    auto target = layoutWithTarget([](Box& b) { b.focused = true; });
    EXPECT_FLOAT_EQ(target->focusSpring.value, 1);
    paint(*root);
    EXPECT_EQ(pixel(18, 40), 0x00FF00u); // grown by 3: from 17 to 19.5
    EXPECT_EQ(pixel(16, 40), 0u);
    EXPECT_EQ(pixel(40, 40), 0u);

    target->focusSpring.value = 0.01f;
    paint(*root);
    EXPECT_EQ(litCount(), 0);
    target->focusSpring.value = 0.05f;
    paint(*root);
    EXPECT_GT(litCount(), 0);

    target->focused = false; // the ring fades out through the spring
    for (int i = 0; i < 90; ++i)
        ui.frame(root, { kSide, kSide });
    paint(*root);
    EXPECT_EQ(litCount(), 0);
}

// A widget flush with the edge of a clipping container (the first row of a
// list) shows its whole ring over that edge; one the clip cuts itself (scrolled
// partly out) keeps its ring cut, and nothing else leaves the clip.
TEST_F(WidgetPaint, FocusRingOverhangsTheClipOfItsContainer)
{
    std::shared_ptr<Box> row;
    layoutWithTarget([&](Box& list) {
        list.style().clip = true;
        row = box();
        row->style().width = SizeSpec::fixed(40);
        row->style().height = SizeSpec::fixed(20);
        row->style().background = colorLiteral({ 255, 255, 255, 255 });
        row->focused = true;
        list.add(row);
    });
    ASSERT_FLOAT_EQ(row->rect.y, 20);
    paint(*root);
    EXPECT_EQ(pixel(40, 18), 0x00FF00u); // above the list's top edge at 20
    EXPECT_EQ(pixel(18, 30), 0x00FF00u); // left of it
    EXPECT_EQ(pixel(40, 16), 0u);

    row->rect.y = 10; // half scrolled out above the list
    paint(*root);
    EXPECT_EQ(pixel(40, 8), 0u);
    EXPECT_EQ(pixel(40, 19), 0u); // the row's own pixels stay inside the clip
    EXPECT_EQ(pixel(40, 20), 0xFFFFFFu);
}

} // namespace

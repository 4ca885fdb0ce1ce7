#include "vell/renderer.h"

#include "support/temp_home.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <fstream>

using namespace vell;

namespace {

const Color kWhite { 255, 255, 255, 255 };

std::string textFontPath()
{
    const std::string built = std::string(SONARIA_BINARY_DIR) + "/data/fonts/font.ttf";
    if (std::ifstream(built).good())
        return built;
    return "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf";
}

// A software renderer drawing into a 100 x 100 surface, cleared to opaque black.
class RendererTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testing_support::useHeadlessSdl();
        ASSERT_EQ(SDL_Init(0), 0) << SDL_GetError();
        ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
    }
    static void TearDownTestSuite()
    {
        TTF_Quit();
        SDL_Quit();
    }

    void SetUp() override
    {
        m_surface = SDL_CreateRGBSurfaceWithFormat(0, kSide, kSide, 32, SDL_PIXELFORMAT_ARGB8888);
        ASSERT_TRUE(m_surface) << SDL_GetError();
        m_sdl = SDL_CreateSoftwareRenderer(m_surface);
        ASSERT_TRUE(m_sdl) << SDL_GetError();
        r.attach(m_sdl, textFontPath(), "");
        r.setScale(1, 0, 0, kSide, kSide);
        r.beginFrame();
        clear();
    }
    void TearDown() override
    {
        r.shutdown();
        SDL_DestroyRenderer(m_sdl);
        SDL_FreeSurface(m_surface);
    }

    void clear()
    {
        SDL_SetRenderDrawBlendMode(m_sdl, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(m_sdl, 0, 0, 0, 255);
        SDL_RenderSetClipRect(m_sdl, nullptr);
        SDL_RenderClear(m_sdl);
        r.reapplyClip();
    }

    // The whole target, read back as ARGB.
    std::vector<uint32_t> pixels()
    {
        std::vector<uint32_t> out(kSide * kSide);
        EXPECT_EQ(SDL_RenderReadPixels(m_sdl, nullptr, SDL_PIXELFORMAT_ARGB8888, out.data(), kSide * 4), 0);
        return out;
    }
    // Red channel of one pixel: white drawn on black reads as its coverage.
    int red(int x, int y) { return int(pixels()[size_t(y) * kSide + x] >> 16 & 0xFF); }
    int litCount()
    {
        int n = 0;
        for (uint32_t p : pixels())
            n += (p & 0xFFFFFF) != 0;
        return n;
    }
    // True when every lit pixel lies inside [x0, x1) x [y0, y1) and all of that box is lit.
    bool exactlyLit(int x0, int y0, int x1, int y1)
    {
        const auto px = pixels();
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                const bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
                if (((px[size_t(y) * kSide + x] & 0xFFFFFF) == 0xFFFFFF) != inside)
                    return false;
            }
        return true;
    }

    static constexpr int kSide = 100;
    SDL_Surface* m_surface = nullptr;
    SDL_Renderer* m_sdl = nullptr;
    Renderer r;
};

} // namespace

TEST_F(RendererTest, RadiusBeyondHalfTheHeightDrawsAPill)
{
    r.fillRoundRect(10, 10, 60, 20, 50, kWhite);
    const auto pill = pixels();
    // The same shape from its parts: two discs of radius 10 and the straight middle.
    clear();
    r.fillCircle(20, 20, 10, kWhite);
    r.fillCircle(60, 20, 10, kWhite);
    r.fillRoundRect(20, 10, 40, 20, 0, kWhite);
    EXPECT_EQ(pill, pixels());
    EXPECT_EQ(red(10, 10), 0);
    EXPECT_EQ(red(10, 20), 255);
    EXPECT_EQ(red(40, 10), 255);
}

TEST_F(RendererTest, RadiusRoundingToZeroDrawsAPlainRectangle)
{
    r.fillRoundRect(5, 5, 10, 10, 0.4f, kWhite);
    EXPECT_TRUE(exactlyLit(5, 5, 15, 15));
}

TEST_F(RendererTest, CornersAreAntiAliasedAndMirrored)
{
    r.fillRoundRect(0, 0, 40, 40, 10, kWhite);
    const int arc = red(3, 2);
    EXPECT_GT(arc, 0);
    EXPECT_LT(arc, 255);
    EXPECT_EQ(red(36, 2), arc);
    EXPECT_EQ(red(3, 37), arc);
    EXPECT_EQ(red(36, 37), arc);
    EXPECT_EQ(red(2, 3), arc);
    EXPECT_EQ(red(0, 0), 0);
    EXPECT_EQ(red(20, 20), 255);
    EXPECT_EQ(red(0, 20), 255);
}

TEST_F(RendererTest, ThinStrokeStillDrawsOnePixel)
{
    r.strokeRoundRect(10, 10, 20, 20, 0, 0.3f, kWhite);
    EXPECT_EQ(red(10, 15), 255);
    EXPECT_EQ(red(29, 15), 255);
    EXPECT_EQ(red(15, 10), 255);
    EXPECT_EQ(red(15, 29), 255);
    EXPECT_EQ(red(11, 15), 0);
    EXPECT_EQ(red(15, 28), 0);
    EXPECT_EQ(litCount(), 4 * 19);
}

TEST_F(RendererTest, StrokeWidthIsLimitedAndTranslucentCornersBlendOnce)
{
    r.strokeRoundRect(0, 0, 10, 6, 0, 40, kWhite); // wider than the shape: half the smaller side
    EXPECT_TRUE(exactlyLit(0, 0, 10, 6));
    clear();
    r.strokeRoundRect(10, 10, 20, 20, 0, 2, Color { 255, 255, 255, 128 });
    const int edge = red(20, 10);
    EXPECT_GT(edge, 100);
    EXPECT_EQ(red(10, 10), edge);
    EXPECT_EQ(red(29, 29), edge);
}

TEST_F(RendererTest, RoundedStrokeHasRingCorners)
{
    r.strokeRoundRect(0, 0, 40, 40, 10, 2, kWhite);
    EXPECT_EQ(red(20, 0), 255);
    EXPECT_EQ(red(20, 2), 0);
    EXPECT_EQ(red(0, 0), 0);
    EXPECT_EQ(red(5, 5), 0);   // inside the ring
    EXPECT_GT(red(3, 3), 0);   // on the ring's arc
}

TEST_F(RendererTest, NearlyTransparentDrawsNothing)
{
    r.pushTransform({ 1, 0, 0, 0.002f });
    r.fillRoundRect(0, 0, 50, 50, 8, Color { 255, 255, 255, 240 });
    r.fillCircle(70, 70, 10, Color { 255, 255, 255, 240 });
    r.drawText("Home", kTextFont, 16, 0, 0, 60, Color { 255, 255, 255, 240 });
    r.popTransform();
    r.fillRoundRect(0, 0, 50, 50, 8, Color { 255, 255, 255, 0.4f });
    EXPECT_EQ(litCount(), 0);
    EXPECT_FLOAT_EQ(r.effectiveAlpha(200), 200);
}

TEST_F(RendererTest, OpaqueFillsReplaceAndTranslucentOnesBlend)
{
    r.fillRoundRect(0, 0, 10, 10, 0, Color { 200, 0, 0, 255 });
    r.fillRoundRect(0, 0, 10, 10, 0, Color { 0, 0, 0, 254.6f }); // opaque: blending off
    EXPECT_EQ(red(5, 5), 0);
    r.fillRoundRect(0, 0, 10, 10, 0, Color { 200, 0, 0, 128 });
    EXPECT_NEAR(red(5, 5), 100, 2);
}

TEST_F(RendererTest, WaveDrawsItsCoverage)
{
    r.drawWave(0, 10, 50, 0, 20, 0, 2, kWhite);
    EXPECT_EQ(red(0, 9), 255);
    EXPECT_EQ(red(49, 10), 255);
    EXPECT_EQ(red(50, 10), 0);
    EXPECT_EQ(red(20, 8), 0);
    clear();
    r.drawWave(0, 10.5f, 10, 0, 20, 0, 2, kWhite);
    EXPECT_EQ(red(5, 10), 255);
    EXPECT_NEAR(red(5, 9), 128, 2);
    EXPECT_NEAR(red(5, 11), 128, 2);
}

TEST_F(RendererTest, TextCacheKeysAndDrawing)
{
    EXPECT_EQ(TextCache::key(kTextFont, 16, 0, "Home"), "t16|0|Home");
    EXPECT_EQ(TextCache::key(kIconFont, 24, 120, "x"), "g24|120|x");
    EXPECT_EQ(TextCache::fontKey(kIconFont, 24), 24 | 1 << 20);

    r.drawText("Home", kTextFont, 16, 0, 10, 10, kWhite);
    EXPECT_TRUE(r.textCache().contains("t16|0|Home"));
    const Size size = r.measureText("Home", kTextFont, 16);
    EXPECT_GT(size.w, 20);
    EXPECT_GT(size.h, 10);
    EXPECT_GT(litCount(), 20);
    // Nothing outside the measured box.
    const auto px = pixels();
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            if (px[size_t(y) * kSide + x] & 0xFFFFFF) {
                EXPECT_GE(x, 10);
                EXPECT_LT(x, 10 + size.w);
                EXPECT_GE(y, 10);
                EXPECT_LT(y, 10 + size.h);
            }

    r.drawText("Home", kTextFont, 16, 0, 10, 40, kWhite);
    EXPECT_EQ(r.textCache().size(), 1u); // rasterised once
    const Size wrapped = r.measureText("one two three four", kTextFont, 16, 40);
    EXPECT_TRUE(r.textCache().contains("t16|40|one two three four"));
    EXPECT_LE(wrapped.w, 40);
    EXPECT_GT(wrapped.h, size.h * 1.5f);
}

TEST_F(RendererTest, EmptyTextAndMissingFonts)
{
    const Size empty = r.measureText("", kTextFont, 16);
    EXPECT_EQ(empty.w, 0);
    EXPECT_GT(empty.h, 10);

    Renderer broken;
    broken.attach(m_sdl, "/nonexistent/font.ttf", "");
    EXPECT_EQ(broken.measureText("Home", kIconFont, 18), (Size { 0, 18 }));
    EXPECT_EQ(broken.measureText("Home", kIconFont, 18), (Size { 0, 18 }));
    EXPECT_EQ(broken.textCache().fontCount(), 1u); // the failure is remembered
    EXPECT_TRUE(broken.textCache().hasFont(kIconFont, 18));
    broken.drawText("Home", kTextFont, 16, 0, 0, 0, kWhite);
    EXPECT_EQ(litCount(), 0);
    EXPECT_EQ(broken.textTexture("Home", kTextFont, 16, 0).texture, nullptr);
}

TEST_F(RendererTest, ScaleChangeReopensFontsAtTheNewPixelSize)
{
    const Size before = r.measureText("Home", kTextFont, 16);
    r.drawText("Home", kTextFont, 16, 0, 0, 0, kWhite);
    EXPECT_TRUE(r.textCache().hasFont(kTextFont, 16));
    const uint32_t generation = r.generation();

    EXPECT_FALSE(r.setScale(1.00005f, 0, 0, kSide, kSide)); // too small a change to matter
    EXPECT_EQ(r.generation(), generation);
    EXPECT_EQ(r.textCache().size(), 1u);

    EXPECT_TRUE(r.setScale(2, 0, 0, kSide, kSide));
    EXPECT_EQ(r.generation(), generation + 1);
    EXPECT_EQ(r.textCache().size(), 0u);
    EXPECT_EQ(r.textCache().fontCount(), 0u);
    r.beginFrame();
    EXPECT_EQ(r.fontPixelSize(16), 32);
    const Size after = r.measureText("Home", kTextFont, 16);
    EXPECT_TRUE(r.textCache().hasFont(kTextFont, 32));
    EXPECT_FALSE(r.textCache().hasFont(kTextFont, 16));
    EXPECT_NEAR(after.w, before.w, 2); // the same logical size, rendered sharper
    r.drawText("Home", kTextFont, 16, 0, 0, 0, kWhite);
    EXPECT_TRUE(r.textCache().contains("t32|0|Home"));

    EXPECT_TRUE(r.setScale(0.01f));
    EXPECT_FLOAT_EQ(r.scale(), 0.1f);
    r.beginFrame();
    EXPECT_EQ(r.fontPixelSize(16), 4);
}

TEST_F(RendererTest, UnusedTextIsEvictedOnlyAboveTheLimit)
{
    for (int i = 0; i < 300; ++i)
        r.textTexture("w" + std::to_string(i), kTextFont, 10, 0);
    ASSERT_EQ(r.textCache().size(), 300u);
    while (r.frameCounter() < 100)
        r.tickFrame();
    r.textTexture("w7", kTextFont, 10, 0); // still in use
    while (r.frameCounter() < 179)
        r.tickFrame();
    EXPECT_EQ(r.textCache().size(), 300u); // idle long enough, but not an upkeep frame yet
    r.tickFrame();
    EXPECT_EQ(r.frameCounter(), 180u);
    EXPECT_EQ(r.textCache().size(), 1u);
    EXPECT_TRUE(r.textCache().contains("t10|0|w7"));

    for (int i = 0; i < 298; ++i) // 299 entries: at the limit, nothing goes
        r.textTexture("v" + std::to_string(i), kTextFont, 10, 0);
    while (r.frameCounter() < 450)
        r.tickFrame();
    EXPECT_EQ(r.textCache().size(), 299u);
}

TEST_F(RendererTest, ClipsIntersectAndRestore)
{
    r.pushClip(10, 10, 50, 50);
    r.pushClip(40, 40, 50, 50);
    DeviceRect clip;
    ASSERT_TRUE(r.currentClip(clip));
    EXPECT_EQ(clip, (DeviceRect { 40, 40, 20, 20 }));
    r.fillRoundRect(0, 0, 100, 100, 0, kWhite);
    EXPECT_TRUE(exactlyLit(40, 40, 60, 60));

    r.pushClip(80, 80, 10, 10); // disjoint: clips everything
    ASSERT_TRUE(r.currentClip(clip));
    EXPECT_EQ(clip.w * clip.h, 0);
    clear();
    r.fillRoundRect(0, 0, 100, 100, 0, kWhite);
    EXPECT_EQ(litCount(), 0);

    r.popClip();
    r.popClip();
    ASSERT_TRUE(r.currentClip(clip));
    EXPECT_EQ(clip, (DeviceRect { 10, 10, 50, 50 }));
    r.popClip();
    EXPECT_FALSE(r.currentClip(clip));
    r.popClip(); // unbalanced pop is harmless
    clear();
    r.fillRoundRect(0, 0, 100, 100, 0, kWhite);
    EXPECT_EQ(litCount(), kSide * kSide);
}

TEST_F(RendererTest, ClipRoundsOutwardUnderAScale)
{
    r.pushTransform({ 1.5f, 0.5f, 0, 1 });
    r.pushClip(1, 1, 3, 3); // device 2.0 .. 6.5 and 1.5 .. 6.0
    DeviceRect clip;
    ASSERT_TRUE(r.currentClip(clip));
    EXPECT_EQ(clip, (DeviceRect { 2, 1, 5, 5 }));
}

TEST_F(RendererTest, LetterboxClipSurvivesNestedClips)
{
    r.setScale(1, 20, 0, 60, 100);
    r.beginFrame();
    EXPECT_TRUE(r.letterboxClipActive());
    clear();
    r.pushClip(-20, 0, 40, 10);
    r.popClip();
    r.fillRoundRect(-20, 0, 100, 100, 0, kWhite); // device 0..80
    EXPECT_TRUE(exactlyLit(20, 0, 80, 100));
}

// The grown clip lets a decoration overhang nested clips, never the letterbox
// or the area being redrawn; grown in device px under a scale.
TEST_F(RendererTest, GrownClipStaysInsideLetterboxAndDamage)
{
    r.setScale(1, 20, 0, 60, 100); // letterbox: device x 20..80
    r.beginFrame();
    struct Case {
        Rect clip;
        float scale, pad;
        DeviceRect expected;
    };
    const Case cases[] = {
        { { 10, 10, 20, 20 }, 1, 3, { 29, 9, 24, 24 } }, // inner clip (32, 12, 18, 18)
        { { 0, 0, 10, 10 }, 1, 3, { 20, 0, 13, 13 } }, // cut by the letterbox
        { { 10, 10, 10, 10 }, 2, 3, { 38, 18, 28, 28 } }, // 3 logical px are 6 device px
        { { 10, 10, 20, 20 }, 1, -2, { 32, 12, 18, 18 } }, // never shrinks
    };
    for (const Case& c : cases) {
        r.pushTransform({ c.scale, 20, 0, 1 });
        r.pushClip(c.clip);
        r.pushClip(c.clip.x + 2, c.clip.y + 2, c.clip.w, c.clip.h); // nested: the grown one escapes both
        r.pushClipGrown(c.pad);
        DeviceRect clip;
        ASSERT_TRUE(r.currentClip(clip));
        EXPECT_EQ(clip, c.expected) << c.clip.x << "," << c.clip.y << " x" << c.scale << " pad " << c.pad;
        r.popClip();
        r.popClip();
        r.popClip();
        r.popTransform();
    }
    r.pushClipGrown(3); // nothing to grow: the letterbox
    DeviceRect clip;
    ASSERT_TRUE(r.currentClip(clip));
    EXPECT_EQ(clip, (DeviceRect { 20, 0, 60, 100 }));
    r.popClip();

    r.setDamageClip(DeviceRect { 30, 10, 10, 10 });
    r.beginFrame();
    r.pushClip(10, 10, 20, 20);
    r.pushClipGrown(3);
    ASSERT_TRUE(r.currentClip(clip));
    EXPECT_EQ(clip, (DeviceRect { 30, 10, 10, 10 }));
    r.popClip();
    r.popClip();
    r.setDamageClip(std::nullopt);
    EXPECT_EQ(r.clipDepth(), 0u);
}

TEST_F(RendererTest, TransformScalesAboutACentreAndMultipliesOpacity)
{
    r.pushTransformAbout(0.5f, 50, 50, 0.5f);
    EXPECT_EQ(r.transform(), (Transform { 0.5f, 25, 25, 0.5f }));
    r.pushTransformAbout(1, 0, 0, 0.5f);
    EXPECT_EQ(r.transform(), (Transform { 0.5f, 25, 25, 0.25f }));
    EXPECT_FLOAT_EQ(r.effectiveAlpha(200), 50);
    r.popTransform();
    r.fillRoundRect(0, 0, 100, 100, 0, kWhite);
    EXPECT_NEAR(red(25, 25), 128, 2);
    EXPECT_NEAR(red(74, 74), 128, 2);
    EXPECT_EQ(red(24, 50), 0);
    EXPECT_EQ(red(75, 50), 0);
    r.popTransform();
    r.popTransform(); // the root entry stays
    EXPECT_EQ(r.transformDepth(), 1u);

    r.setScale(2, 10, 4, 40, 40);
    r.beginFrame();
    EXPECT_EQ(r.transform(), (Transform { 2, 10, 4, 1 }));
    r.pushTransformAbout(0.5f, 20, 20, 1);
    EXPECT_EQ(r.transform(), (Transform { 1, 30, 24, 1 }));
}

TEST_F(RendererTest, ShapeCacheIsReusedAndShutdownReleasesEverything)
{
    SDL_Texture* corner = r.shapeTexture(kQuarterDisc, 8, 0);
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(r.shapeTexture(kQuarterDisc, 8, 0), corner);
    EXPECT_EQ(r.shapeTexture(kQuarterDisc, 0, 0), nullptr);
    EXPECT_EQ(ShapeCache::key(1, 5, 2), (uint64_t(1) << 48) | (uint64_t(5) << 24) | 2u);
    for (int radius = 1; radius <= 601; ++radius)
        r.shapeTexture(kQuarterRing, radius % 40 + 1, radius / 40 + 1);
    EXPECT_EQ(r.shapeCache().size(), 1u); // emptied once it held more than 600
    EXPECT_FALSE(r.shapeCache().contains(kQuarterDisc, 8, 0));
    r.measureText("Home", kTextFont, 16);
    r.drawText("Home", kTextFont, 16, 0, 0, 0, kWhite);
    r.shutdown();
    EXPECT_EQ(r.shapeCache().size(), 0u);
    EXPECT_EQ(r.textCache().size(), 0u);
    EXPECT_EQ(r.textCache().fontCount(), 0u);
}

// The engine's path: a window on the offscreen driver with SDL's software renderer.
TEST(RendererWindow, DrawsThroughAnOffscreenWindow)
{
    testing_support::useHeadlessSdl();
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ASSERT_EQ(TTF_Init(), 0);
    SDL_Window* window = SDL_CreateWindow("renderer", 0, 0, 64, 48, SDL_WINDOW_HIDDEN);
    ASSERT_TRUE(window) << SDL_GetError();
    SDL_Renderer* sdl = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    ASSERT_TRUE(sdl) << SDL_GetError();
    {
        Renderer r;
        r.attach(sdl, textFontPath(), "");
        EXPECT_TRUE(r.setScale(2, 0, 4, 32, 20)); // layout before the frame measures at the new scale
        EXPECT_EQ(r.fontPixelSize(16), 32);
        r.beginFrame();
        EXPECT_TRUE(r.letterboxClipActive());
        SDL_SetRenderDrawColor(sdl, 0, 0, 0, 255);
        SDL_RenderClear(sdl);
        r.reapplyClip();
        r.fillRoundRect(0, 0, 32, 20, 6, Color { 0, 255, 0, 255 });
        r.drawText("Hi", kTextFont, 8, 0, 2, 2, Color { 255, 0, 0, 255 });
        std::vector<uint32_t> px(64 * 48);
        ASSERT_EQ(SDL_RenderReadPixels(sdl, nullptr, SDL_PIXELFORMAT_ARGB8888, px.data(), 64 * 4), 0);
        auto at = [&](int x, int y) { return px[size_t(y) * 64 + x] & 0xFFFFFF; };
        EXPECT_EQ(at(32, 2), 0u);          // letterbox bar
        EXPECT_EQ(at(32, 24), 0x00FF00u);  // inside the shape
        EXPECT_EQ(at(0, 4), 0u);           // rounded corner
        EXPECT_EQ(at(0, 24), 0x00FF00u);
        int reddish = 0;
        for (uint32_t p : px)
            reddish += (p >> 16 & 0xFF) > 128;
        EXPECT_GT(reddish, 10);
        r.shutdown();
    }
    SDL_DestroyRenderer(sdl);
    SDL_DestroyWindow(window);
    TTF_Quit();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// Pictures drawn through Renderer::drawImage must put exactly the pixels on screen that
// a plain blended SDL_RenderCopy of the same rectangles does, whether they come from a
// scaled copy, are copied without blending, or are cut by the clip.
#include "render_fixture.h"

#include "vell/image_asset.h"

#include <random>

namespace {

using vell_render_test::RenderFixture;

struct SurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;

// Noise is the hardest picture to scale identically: any resampling shift shows.
SurfacePtr noise(Uint32 format, int side)
{
    SurfacePtr s(SDL_CreateRGBSurfaceWithFormat(0, side, side, SDL_BITSPERPIXEL(format), format));
    std::mt19937 random(7);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < s->pitch; ++x)
            static_cast<Uint8*>(s->pixels)[y * s->pitch + x] = Uint8(random());
    return s;
}

class DrawImageTest : public RenderFixture {
protected:
    // The reference: a second software renderer drawing the way pictures were always drawn.
    std::vector<uint32_t> reference(SDL_Surface* picture, const SDL_Rect& src, const SDL_Rect& dst, Uint8 alpha,
                                    const SDL_Rect& clip)
    {
        SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
        SDL_Renderer* plain = SDL_CreateSoftwareRenderer(target);
        SDL_SetRenderDrawColor(plain, 30, 60, 90, 255);
        SDL_RenderClear(plain);
        SDL_Texture* texture = SDL_CreateTextureFromSurface(plain, picture);
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        SDL_SetTextureAlphaMod(texture, alpha);
        SDL_RenderSetClipRect(plain, &clip);
        SDL_RenderCopy(plain, texture, &src, &dst);
        std::vector<uint32_t> out(size_t(kWidth) * kHeight);
        SDL_RenderSetClipRect(plain, nullptr);
        SDL_RenderReadPixels(plain, nullptr, SDL_PIXELFORMAT_ARGB8888, out.data(), kWidth * 4);
        SDL_DestroyTexture(texture);
        SDL_DestroyRenderer(plain);
        SDL_FreeSurface(target);
        return out;
    }

    std::vector<uint32_t> drawn(SDL_Texture* texture, uint64_t identity, const SDL_Rect& src, const SDL_Rect& dst,
                                Uint8 alpha, const SDL_Rect& clip)
    {
        SDL_SetRenderDrawColor(sdl, 30, 60, 90, 255);
        SDL_RenderSetClipRect(sdl, nullptr);
        SDL_RenderClear(sdl);
        renderer.beginFrame();
        renderer.pushClip(float(clip.x), float(clip.y), float(clip.w), float(clip.h));
        renderer.drawImage(texture, identity, src, dst, alpha);
        renderer.popClip();
        return pixels();
    }
};

TEST_F(DrawImageTest, MatchesAPlainBlendedCopyPixelForPixel)
{
    struct Case {
        const char* name;
        Uint32 format; // RGB24 loads as a texture without alpha; ARGB8888 carries its own
        int side;      // shown side; the picture is 300
        Uint8 alpha;
        SDL_Rect clip;
        size_t copies; // scaled copies made
        SDL_Point at { 20, 10 };
    };
    const SDL_Rect all { 0, 0, kWidth, kHeight };
    const Case cases[] = {
        { "opaque, whole", SDL_PIXELFORMAT_RGB24, 180, 255, all, 1 },
        { "opaque, fading in", SDL_PIXELFORMAT_RGB24, 180, 140, all, 0 },
        { "opaque, cut at the top", SDL_PIXELFORMAT_RGB24, 180, 255, { 0, 57, kWidth, 200 }, 0 },
        { "opaque, fading in, cut at the left", SDL_PIXELFORMAT_RGB24, 144, 200, { 31, 0, 300, kHeight }, 0 },
        { "opaque, scaled up", SDL_PIXELFORMAT_RGB24, 270, 255, all, 1 },
        { "translucent, whole", SDL_PIXELFORMAT_ARGB8888, 225, 255, all, 0 },
        { "translucent, cut", SDL_PIXELFORMAT_ARGB8888, 225, 90, { 0, 0, 200, 111 }, 0 },
        { "opaque, 1:1", SDL_PIXELFORMAT_RGB24, 300, 255, all, 0 },
        { "hidden by the clip", SDL_PIXELFORMAT_RGB24, 180, 255, { 300, 250, 50, 50 }, 0 },
        // A steady cut (the picture's own clip rounding a pixel inwards) resamples the
        // rest anew; its copy must do the same.
        { "opaque, a pixel short at the bottom", SDL_PIXELFORMAT_RGB24, 180, 255, { 20, 10, 180, 179 }, 1 },
        { "opaque, a pixel short on every side", SDL_PIXELFORMAT_RGB24, 181, 255, { 21, 11, 179, 179 }, 1 },
        { "opaque, fading, a pixel short", SDL_PIXELFORMAT_RGB24, 180, 200, { 20, 10, 180, 179 }, 0 },
        // Past the output SDL scales the whole picture before cutting it.
        { "opaque, past the bottom of the output", SDL_PIXELFORMAT_RGB24, 180, 255, all, 1, { 100, 200 } },
        { "opaque, past the left edge and clipped", SDL_PIXELFORMAT_RGB24, 144, 255, { 0, 0, 90, 200 }, 1, { -30, 150 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SurfacePtr picture = noise(c.format, 300);
        SDL_Texture* texture = SDL_CreateTextureFromSurface(sdl, picture.get());
        ASSERT_TRUE(texture) << SDL_GetError();
        const vell::ImageAsset identity; // a fresh serial per picture
        const SDL_Rect src { 0, 0, 300, 300 }, dst { c.at.x, c.at.y, c.side, c.side };
        const size_t before = renderer.scaledCopies().size();
        EXPECT_EQ(drawn(texture, identity.serial, src, dst, c.alpha, c.clip),
                  reference(picture.get(), src, dst, c.alpha, c.clip));
        EXPECT_EQ(renderer.scaledCopies().size() - before, c.copies);
        SDL_DestroyTexture(texture);
    }
}

TEST_F(DrawImageTest, SteadyCutsMatchSdlOverManyGeometries)
{
    std::mt19937 random(21);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    SurfacePtr picture = noise(SDL_PIXELFORMAT_RGB24, 300);
    SDL_Texture* texture = SDL_CreateTextureFromSurface(sdl, picture.get());
    const vell::ImageAsset identity;
    for (int i = 0; i < 40; ++i) {
        const int side = pick(60, 250);
        const SDL_Rect src { pick(0, 20), pick(0, 20), pick(200, 280), pick(200, 280) };
        const SDL_Rect dst { pick(0, kWidth - side), pick(0, kHeight - side), side, side + pick(-3, 3) };
        const int left = pick(0, 1), top = pick(0, 1);
        const SDL_Rect clip { dst.x + left, dst.y + top, dst.w - left - pick(0, 1), dst.h - top - pick(0, 1) };
        SCOPED_TRACE(testing::Message() << "dst " << dst.x << "," << dst.y << " " << dst.w << "x" << dst.h << " clip "
                                        << clip.x << "," << clip.y << " " << clip.w << "x" << clip.h);
        ASSERT_EQ(drawn(texture, identity.serial, src, dst, 255, clip), reference(picture.get(), src, dst, 255, clip));
    }
    EXPECT_GE(renderer.scaledCopies().size(), 1u);
    SDL_DestroyTexture(texture);
}

TEST_F(DrawImageTest, CopiesAreReusedAndDroppedOnceIdle)
{
    SurfacePtr picture = noise(SDL_PIXELFORMAT_RGB24, 300);
    SDL_Texture* texture = SDL_CreateTextureFromSurface(sdl, picture.get());
    const vell::ImageAsset a, b;
    const SDL_Rect src { 0, 0, 300, 300 }, dst { 0, 0, 180, 180 }, all { 0, 0, kWidth, kHeight };
    renderer.beginFrame();
    for (int i = 0; i < 3; ++i) {
        renderer.drawImage(texture, a.serial, src, dst, 255);
        renderer.drawImage(texture, b.serial, src, dst, 255);
    }
    EXPECT_EQ(renderer.scaledCopies().size(), 2u) << "one copy per picture, reused";
    EXPECT_EQ(renderer.scaledCopies().bytes(), 2 * 180 * 180 * 4);
    for (uint32_t i = 0; i <= 2 * vell::ScaledCopies::kMaxIdleFrames; ++i) {
        renderer.tickFrame();
        renderer.drawImage(texture, a.serial, src, dst, 255);
    }
    EXPECT_EQ(renderer.scaledCopies().size(), 1u) << "the copy nobody drew is gone";
    EXPECT_EQ(renderer.scaledCopies().spares(), 1u) << "its texture waits for the next copy of that size";

    // Another picture of that size takes the spare texture, wholly redrawn.
    SurfacePtr other = noise(SDL_PIXELFORMAT_RGB24, 300);
    static_cast<Uint8*>(other->pixels)[0] ^= 0xff;
    SDL_Texture* otherTexture = SDL_CreateTextureFromSurface(sdl, other.get());
    const vell::ImageAsset c;
    EXPECT_EQ(drawn(otherTexture, c.serial, src, { 30, 40, 180, 180 }, 255, all),
              reference(other.get(), src, { 30, 40, 180, 180 }, 255, all));
    EXPECT_EQ(renderer.scaledCopies().spares(), 0u);
    EXPECT_EQ(renderer.scaledCopies().size(), 2u);
    renderer.shutdown();
    EXPECT_EQ(renderer.scaledCopies().bytes(), 0);
    EXPECT_EQ(renderer.scaledCopies().spares(), 0u);
    SDL_DestroyTexture(texture);
    SDL_DestroyTexture(otherTexture);
}

} // namespace

// The background of a partly redrawn frame waits for what is drawn over it: the
// pixels must come out exactly as when it is filled first.
#include "render_fixture.h"

#include "vell/image_asset.h"

#include <functional>

namespace {

using vell_render_test::RenderFixture;

constexpr vell::Color kPanel { 40, 44, 52, 255 }, kCard { 90, 60, 200, 255 }, kTint { 250, 250, 250, 120 };

class BackgroundFill : public RenderFixture {
protected:
    using Drawing = std::function<void(vell::Renderer&)>;

    // The frame before: a pattern the background must cover wherever it shows.
    void previousFrame()
    {
        clear();
        SDL_SetRenderDrawColor(sdl, 200, 30, 30, 255);
        for (int x = 0; x < kWidth; x += 7) {
            const SDL_Rect stripe { x, 0, 3, kHeight };
            SDL_RenderFillRect(sdl, &stripe);
        }
    }

    std::vector<uint32_t> paint(const vell::DeviceRect& area, const Drawing& draw, bool deferred)
    {
        previousFrame();
        renderer.setDamageClip(area);
        renderer.beginFrame();
        if (deferred) {
            renderer.fillBackground(area, 10, 20, 30);
        } else {
            SDL_SetRenderDrawBlendMode(sdl, SDL_BLENDMODE_NONE);
            SDL_SetRenderDrawColor(sdl, 10, 20, 30, 255);
            const SDL_Rect rect { area.x, area.y, area.w, area.h };
            SDL_RenderFillRect(sdl, &rect);
        }
        renderer.reapplyClip();
        draw(renderer);
        renderer.flushBackground();
        renderer.setDamageClip(std::nullopt);
        return pixels();
    }
};

TEST_F(BackgroundFill, GivesThePixelsOfFillingItFirst)
{
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, 64, 64, 24, SDL_PIXELFORMAT_RGB24);
    SDL_FillRect(picture, nullptr, SDL_MapRGB(picture->format, 120, 200, 90));
    SDL_Texture* texture = SDL_CreateTextureFromSurface(sdl, picture);
    const vell::ImageAsset identity;
    const vell::DeviceRect area { 30, 40, 300, 200 };
    struct Case {
        const char* name;
        Drawing draw;
    };
    const Case cases[] = {
        { "nothing drawn over it", [](vell::Renderer&) {} },
        { "a rounded panel over all of it, then cards and text",
          [&](vell::Renderer& r) {
              r.fillRoundRect(20, 20, 330, 230, 24, kPanel);
              r.fillRoundRect(50, 60, 100, 120, 16, kCard);
              r.drawText("Album", vell::kTextFont, 16, 0, 60, 190, kTint);
          } },
        { "a panel whose corners fall inside it", [](vell::Renderer& r) { r.fillRoundRect(30, 40, 300, 200, 30, kPanel); } },
        { "a panel over part of it", [](vell::Renderer& r) { r.fillRoundRect(100, 0, 120, 400, 12, kPanel); } },
        { "a fill outside it, then text reaching into it",
          [](vell::Renderer& r) {
              r.fillRoundRect(0, 0, 20, 20, 4, kCard);
              r.drawText("Edge", vell::kTextFont, 20, 0, 10, 30, kTint);
          } },
        { "a translucent fill first", [](vell::Renderer& r) {
              r.fillRoundRect(60, 60, 200, 100, 10, kTint);
              r.fillRoundRect(20, 20, 330, 230, 0, kPanel);
          } },
        { "an opaque fill under a clip narrower than it",
          [](vell::Renderer& r) {
              r.pushClip(50, 50, 100, 100);
              r.fillRoundRect(0, 0, 400, 300, 0, kPanel);
              r.popClip();
          } },
        { "a picture, an outline and a disc",
          [&](vell::Renderer& r) {
              r.drawImage(texture, identity.serial, { 0, 0, 64, 64 }, { 200, 100, 96, 96 }, 255);
              r.strokeRoundRect(40, 50, 80, 60, 10, 2, kCard);
              r.fillCircle(300, 220, 20, kTint);
          } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(paint(area, c.draw, true), paint(area, c.draw, false));
    }
    SDL_DestroyTexture(texture);
    SDL_FreeSurface(picture);
}

} // namespace

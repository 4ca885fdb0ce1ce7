#pragma once
// A headless UI context for widget tests: a software renderer drawing into a
// surface, the real fonts, the theme and the built-in style classes.

#include "vell/action_bus.h"
#include "vell/renderer.h"
#include "vell/style_sheet.h"
#include "vell/theme.h"
#include "vell/ui_context.h"
#include "vell/widget.h"

#include "support/temp_home.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace vell_render_test {

inline std::string fontFile(const char* name)
{
    return std::string(SONARIA_BINARY_DIR) + "/data/fonts/" + name;
}

class RenderFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 400, kHeight = 300;

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
        surface = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
        ASSERT_TRUE(surface) << SDL_GetError();
        sdl = SDL_CreateSoftwareRenderer(surface);
        ASSERT_TRUE(sdl) << SDL_GetError();
        renderer.attach(sdl, fontFile("font.ttf"), fontFile("MaterialIcons-Regular.ttf"));
        renderer.setScale(1, 0, 0, kWidth, kHeight);
        renderer.beginFrame();
        theme.buildPalettes();
        sheet.installDefaults();
        ctx.renderer = &renderer;
        ctx.theme = &theme;
        ctx.sheet = &sheet;
        ctx.actions = &actions;
        ctx.focus = &focus;
        ctx.logicalSize = { float(kWidth), float(kHeight) };
        ctx.dt = 1.0f / 60;
        clear();
    }
    void TearDown() override
    {
        renderer.shutdown();
        SDL_DestroyRenderer(sdl);
        SDL_FreeSurface(surface);
    }

    void clear()
    {
        SDL_SetRenderDrawBlendMode(sdl, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(sdl, 0, 0, 0, 255);
        SDL_RenderSetClipRect(sdl, nullptr);
        SDL_RenderClear(sdl);
    }

    std::vector<uint32_t> pixels()
    {
        std::vector<uint32_t> out(size_t(kWidth) * kHeight);
        EXPECT_EQ(SDL_RenderReadPixels(sdl, nullptr, SDL_PIXELFORMAT_ARGB8888, out.data(), kWidth * 4), 0);
        return out;
    }

    // Ticks the tree, lays the root out over the given rectangle.
    void frame(vell::Widget& root, vell::Rect area, float dt = 1.0f / 60)
    {
        ctx.dt = dt;
        root.tickTree(ctx, dt);
        root.measureConstrained(ctx, area.w, area.h);
        root.place(ctx, { area.x, area.y }, { area.w, area.h });
    }

    SDL_Surface* surface = nullptr;
    SDL_Renderer* sdl = nullptr;
    vell::Renderer renderer;
    vell::Theme theme;
    vell::StyleSheet sheet;
    vell::ActionBus actions;
    vell::Widget* focus = nullptr;
    vell::UiContext ctx;
};

} // namespace vell_render_test

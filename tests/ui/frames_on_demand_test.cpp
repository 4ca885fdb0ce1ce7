// Frames on demand against drawing every frame: the same scripted session on
// the software renderer, with the screen compared after every step of a hand-
// driven clock. The on-demand run also skips ahead over the time the engine
// asks to sleep, as the real loop would.
#include "app/ui/widgets/text_field.h"

#include "support/temp_home.h"
#include "vell/box.h"
#include "vell/button.h"
#include "vell/engine.h"
#include "vell/image.h"
#include "vell/label.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <string_view>
#include <vector>

namespace {

// A power of two, so clock sums are exact and a timer never falls on a tie.
constexpr double kStep = 1.0 / 64;
constexpr int kSteps = 420;

SDL_Event keyEvent(SDL_Keycode sym, bool down)
{
    SDL_Event e {};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    return e;
}

void tap(SDL_Keycode sym)
{
    SDL_Event down = keyEvent(sym, true), up = keyEvent(sym, false);
    SDL_PushEvent(&down);
    SDL_PushEvent(&up);
}

struct Session {
    std::vector<size_t> screens; // hash of what is on screen after each step
    uint64_t presented = 0;
    uint64_t inPart = 0; // presented frames that redrew only their damaged areas
    uint64_t frames = 0;
    uint64_t presentedInStillness = 0;
    double lastWait = 0;
};

class FramesOnDemandTest : public ::testing::Test {
protected:
    Session session(bool alwaysDraw, bool frameTexture = false)
    {
        Session run;
        auto clock = std::make_shared<vell::ManualClock>();
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 960, 544, 32, SDL_PIXELFORMAT_ARGB8888);
        SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(surface);
        auto engine = std::make_unique<vell::Engine>();
        engine->setClock(clock);
        vell::Settings s;
        s.audio = false;
        s.vsync = false;
        s.fps = 64;
        s.alwaysDraw = alwaysDraw;
        s.frameTexture = frameTexture;
        s.fontPath = SONARIA_BINARY_DIR "/data/fonts/font.ttf";
        s.iconFontPath = SONARIA_BINARY_DIR "/data/fonts/MaterialIcons-Regular.ttf";
        s.externalRenderer = renderer;
        s.externalWindow = SDL_CreateWindow("frames", 0, 0, 960, 544, SDL_WINDOW_HIDDEN);
        EXPECT_TRUE(engine->init(s)) << SDL_GetError();
        engine->onEvent = [](const SDL_Event& e) {
            if (cad::TextField* field = cad::TextField::editingField())
                field->handleEvent(e);
        };

        auto column = vell::box();
        auto field = cad::textField("Server");
        column->addChild(field);
        column->addChild(vell::button("Connect", 0));
        column->addChild(vell::label("Frames on demand"));
        auto first = vell::View::framed("First");
        first->body->addChild(column);
        engine->shell().push(first);

        std::map<int, std::function<void()>> script {
            { 10, [] { tap(SDLK_RETURN); } }, // begins editing: the caret blinks
            { 20, [] {
                 SDL_Event text {};
                 text.type = SDL_TEXTINPUT;
                 std::strcpy(text.text.text, "h");
                 SDL_PushEvent(&text);
             } },
            { 100, [] { tap(SDLK_ESCAPE); } },
            { 110, [] { tap(SDLK_DOWN); } }, // the focus ring springs over
            { 130, [&] { engine->shell().toast("Saved", "", 0xE86C, 1.0f); } },
            { 220, [&] {
                 auto second = vell::View::framed("Second");
                 second->body->addChild(vell::label("Another page"));
                 engine->shell().push(second);
             } },
            { 260, [&] { engine->shell().dialog("Delete?", "Really?", { { "Cancel", {} }, { "Delete", {} } }); } },
            { 290, [] { tap(SDLK_ESCAPE); } },
            { 320, [&] {
                 auto logo = vell::image(SONARIA_BINARY_DIR "/data/logo.png");
                 logo->style().width = vell::SizeSpec::fixed(64);
                 logo->style().height = vell::SizeSpec::fixed(64);
                 engine->shell().currentView()->body->addChild(logo);
             } },
        };

        std::vector<uint32_t> screen(960 * 544);
        int step = 0;
        while (step < kSteps) {
            if (auto it = script.find(step); it != script.end())
                it->second();
            const uint64_t before = engine->framesPresented();
            engine->frame();
            ++run.frames;
            if (step == 320) // the image decodes off the UI thread: same frame in both runs
                waitForDecode(*engine);
            if (engine->framesPresented() != before) {
                std::memcpy(screen.data(), surface->pixels, screen.size() * 4);
                if (step >= 380)
                    ++run.presentedInStillness;
            }
            const size_t hash = std::hash<std::string_view> {}(
                std::string_view(reinterpret_cast<const char*>(screen.data()), screen.size() * 4));
            // Skip ahead over the sleep the engine asked for, up to the next scripted step.
            int next = step + 1;
            run.lastWait = engine->lastIdleWait();
            if (!alwaysDraw && run.lastWait > kStep) {
                const double wanted = std::isinf(run.lastWait) ? kSteps : std::ceil(run.lastWait / kStep);
                next = step + int(std::min<double>(wanted, kSteps));
                if (auto it = script.upper_bound(step); it != script.end())
                    next = std::min(next, it->first);
                next = std::min(next, kSteps);
            }
            clock->advance(kStep * (next - step));
            for (; step < next; ++step)
                run.screens.push_back(hash);
        }
        run.presented = engine->framesPresented();
        run.inPart = engine->framesRedrawnInPart();
        engine.reset();
        SDL_DestroyRenderer(renderer);
        SDL_FreeSurface(surface);
        return run;
    }

    static void waitForDecode(vell::Engine& engine)
    {
        for (int i = 0; i < 500 && engine.assets().waitingCompletions() == 0; ++i)
            SDL_Delay(10);
        ASSERT_GT(engine.assets().waitingCompletions(), 0u) << "the image was not decoded";
    }

    testing_support::TempHome home;
};

TEST_F(FramesOnDemandTest, EveryStepShowsWhatDrawingEveryFrameShows)
{
    const Session always = session(true);
    const Session onDemand = session(false);
    const Session throughTexture = session(false, true); // the path of renderers whose screen forgets
    ASSERT_EQ(always.screens.size(), size_t(kSteps));
    for (const Session* run : { &onDemand, &throughTexture }) {
        ASSERT_EQ(run->screens.size(), size_t(kSteps));
        int differing = 0, firstDifference = -1;
        for (int i = 0; i < kSteps; ++i) {
            if (always.screens[i] != run->screens[i] && differing++ == 0)
                firstDifference = i;
        }
        EXPECT_EQ(differing, 0) << "first at step " << firstDifference << (run == &onDemand ? "" : " (texture)");
        EXPECT_GT(run->inPart, run->presented / 2) << "most changes redraw only their areas";
    }
    EXPECT_EQ(always.presented, uint64_t(kSteps));
    EXPECT_EQ(always.inPart, 0u);
    EXPECT_LT(onDemand.presented, always.presented * 3 / 4);
    EXPECT_LT(onDemand.frames, always.frames);
    // Once the image has faded in nothing moves: nothing is drawn, and the loop
    // would sleep until an event.
    EXPECT_EQ(onDemand.presentedInStillness, 0u);
    EXPECT_TRUE(std::isinf(onDemand.lastWait));
}

} // namespace

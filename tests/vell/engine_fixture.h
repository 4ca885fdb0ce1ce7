#pragma once
// An engine on the offscreen video driver with a hand-driven clock, and
// helpers that feed it SDL events the way a user would.
#include <gtest/gtest.h>

#include <memory>

#include "support/temp_home.h"
#include "vell/box.h"
#include "vell/engine.h"

namespace vell_testing {

inline vell::Settings headlessSettings() {
    vell::Settings s;
    s.audio = false;
    s.vsync = false;
    s.fontPath = SONARIA_BINARY_DIR "/data/fonts/font.ttf";
    s.iconFontPath = SONARIA_BINARY_DIR "/data/fonts/MaterialIcons-Regular.ttf";
    return s;
}

// A focusable box of a fixed size.
inline std::shared_ptr<vell::Box> tile(float w = 100, float h = 60) {
    auto b = vell::box();
    b->focusable = true;
    b->style().width = vell::SizeSpec::fixed(w);
    b->style().height = vell::SizeSpec::fixed(h);
    return b;
}

class EngineTest : public ::testing::Test {
protected:
    static constexpr double kFrame = 1.0 / 60;

    void SetUp() override { start(headlessSettings()); }

    void start(const vell::Settings& settings) {
        engine = std::make_unique<vell::Engine>();
        engine->setClock(clock);
        ASSERT_TRUE(engine->init(settings)) << SDL_GetError();
    }

    void TearDown() override { engine.reset(); }

    void step(int frames = 1, double dt = kFrame) {
        for (int i = 0; i < frames; ++i) {
            clock->advance(dt);
            engine->frame();
        }
    }

    static void push(SDL_Event e) { SDL_PushEvent(&e); }

    static void key(SDL_Keycode sym, bool down) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = sym;
        push(e);
    }

    // Press and release over two frames.
    void tap(SDL_Keycode sym) {
        key(sym, true);
        step();
        key(sym, false);
        step();
    }

    static void mouseButton(bool down, int x, int y, Uint32 which = 0) {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.x = x;
        e.button.y = y;
        e.button.which = which;
        push(e);
    }

    static void mouseMove(int x, int y) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = x;
        e.motion.y = y;
        push(e);
    }

    // Shows a framed view holding `content` in its body.
    std::shared_ptr<vell::View> showView(const vell::WidgetPtr& content, const std::string& title = "Test") {
        auto view = vell::View::framed(title);
        if (content)
            view->body->addChild(content);
        engine->shell().push(view);
        return view;
    }

    testing_support::TempHome home;
    std::shared_ptr<vell::ManualClock> clock = std::make_shared<vell::ManualClock>();
    std::unique_ptr<vell::Engine> engine;
};

} // namespace vell_testing

#include <cmath>
#include <cstdlib>

#include "engine_fixture.h"
#include "support/temp_home.h"

using namespace vell;
using vell_testing::EngineTest;

namespace {

// Counts how often each logical button's binding ran.
struct Counter {
    int hits[kPadButtonCount] = {};
    std::vector<Binding> bindings() {
        std::vector<Binding> out;
        for (int b = 0; b < kPadButtonCount; ++b)
            out.push_back({b, padButtonName(b), [this, b] { ++hits[b]; }, false});
        return out;
    }
};

// A container that accepts mostly vertical drags, like a scroller.
struct Dragger : WidgetT<Dragger, Flex> {
    static constexpr const char* kTypeName = "box";
    int downs = 0;
    bool canDrag(Point m) override { return std::fabs(m.y) >= std::fabs(m.x); }
    void onPointerDown(UiContext& ctx, Point p) override {
        ++downs;
        Flex::onPointerDown(ctx, p);
    }
};

} // namespace

class EngineInputTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        engine->bindings() = counter.bindings();
        step();
    }
    Counter counter;
};

TEST_F(EngineInputTest, KeysReachBindingsThroughTheTable) {
    tap(SDLK_z);
    tap(SDLK_RETURN);
    tap(SDLK_a);
    tap(SDLK_v);
    EXPECT_EQ(counter.hits[Cross], 2);
    EXPECT_EQ(counter.hits[Square], 1);
    EXPECT_EQ(counter.hits[Select], 1);
    EXPECT_EQ(counter.hits[Circle], 0);
}

TEST_F(EngineInputTest, HeldDirectionRepeatsOnTheEngineClock) {
    key(SDLK_RIGHT, true);
    key(SDLK_RETURN, true);
    step(50, 0.01); // 0.5 s held: at once, at 0.38 s and at 0.465 s
    EXPECT_EQ(counter.hits[Right], 3);
    EXPECT_EQ(counter.hits[Cross], 1) << "Cross never repeats";
    key(SDLK_RIGHT, false);
    step(50, 0.01);
    EXPECT_EQ(counter.hits[Right], 3);
}

TEST_F(EngineInputTest, LongFramesAreClampedSoRepeatsDoNotBurst) {
    key(SDLK_DOWN, true);
    step(1);
    step(1, 2.0); // a two-second stall counts as 50 ms
    EXPECT_EQ(counter.hits[Down], 1);
    EXPECT_FLOAT_EQ(engine->context().dt, 0.05f);
    key(SDLK_DOWN, false);
    step();
}

TEST_F(EngineInputTest, QuitEndsTheLoopAfterTheFrame) {
    SDL_Event e{};
    e.type = SDL_QUIT;
    push(e);
    clock->advance(kFrame);
    EXPECT_FALSE(engine->frame());
    EXPECT_FALSE(engine->frame());
}

class SwappedEngineTest : public EngineInputTest {
protected:
    void SetUp() override {
        Settings s = vell_testing::headlessSettings();
        s.swapConfirmCancel = true;
        start(s);
        engine->bindings() = counter.bindings();
        step();
    }
};

TEST_F(SwappedEngineTest, EscapeConfirmsAndReturnCancels) {
    tap(SDLK_ESCAPE);
    EXPECT_EQ(counter.hits[Cross], 1);
    EXPECT_EQ(counter.hits[Circle], 0);
    tap(SDLK_RETURN);
    EXPECT_EQ(counter.hits[Circle], 1);
}

TEST_F(EngineInputTest, KeyboardIsIgnoredWhileAControllerIsAttached) {
    // The offscreen window never has input focus; let the pad report anyway.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Test pad";
    key(SDLK_RIGHT, true);
    step();
    int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0)
        GTEST_SKIP() << "no virtual joystick: " << SDL_GetError();
    step(2);
    ASSERT_NE(engine->input().controller, nullptr) << "device-added opens the controller";
    key(SDLK_RIGHT, false);

    tap(SDLK_RETURN);
    EXPECT_EQ(counter.hits[Cross], 0);
    EXPECT_FALSE(engine->input().held(Right)) << "a key held across the attach is still released";

    SDL_Joystick* pad = SDL_GameControllerGetJoystick(engine->input().controller);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    step(2);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, SDL_RELEASED);
    step(2);
    EXPECT_EQ(counter.hits[Cross], 1) << "the controller's A";

    engine->input().keyboardWithController = true;
    tap(SDLK_RETURN);
    EXPECT_EQ(counter.hits[Cross], 2);

    SDL_JoystickDetachVirtual(index);
    step(2);
    EXPECT_EQ(engine->input().controller, nullptr);
}

TEST_F(EngineInputTest, SynthesisedMouseEventsAreIgnoredButFingersPress) {
    int clicks = 0;
    auto target = vell_testing::tile(200, 200);
    target->onClick = [&] { ++clicks; };
    auto view = showView(target);
    step(3);
    Rect r = target->rect;
    ASSERT_GT(r.w, 0);
    int x = int(r.x + 50), y = int(r.y + 50);

    mouseButton(true, x, y, SDL_TOUCH_MOUSEID);
    step();
    mouseButton(false, x, y, SDL_TOUCH_MOUSEID);
    step();
    EXPECT_EQ(clicks, 0);

    // Fingers are normalised to the output: 960 x 544 at scale 1.
    SDL_Event f{};
    f.type = SDL_FINGERDOWN;
    f.tfinger.x = float(x) / 960;
    f.tfinger.y = float(y) / 544;
    push(f);
    step();
    EXPECT_EQ(engine->pressedWidget(), target.get());
    EXPECT_EQ(engine->hovered(), nullptr) << "touch never leaves a widget hovered";
    f.type = SDL_FINGERUP;
    push(f);
    step();
    EXPECT_EQ(clicks, 1);

    mouseButton(true, x, y);
    step();
    mouseButton(false, x, y);
    step();
    EXPECT_EQ(clicks, 2);
}

TEST_F(EngineInputTest, PointerMapsThroughTheLetterboxBars) {
    SDL_SetWindowSize(engine->window(), 1920, 544);
    step(2);
    const Letterbox& box = engine->letterbox();
    ASSERT_EQ(box.outputWidth, 1920) << "offscreen output follows the window";
    EXPECT_FLOAT_EQ(box.scale, 1.0f);
    EXPECT_FLOAT_EQ(box.offsetX, 480.0f);

    mouseMove(580, 40);
    step();
    EXPECT_EQ(engine->input().pointer, (Point{100, 40}));
    mouseMove(200, 40);
    step();
    EXPECT_EQ(engine->input().pointer, (Point{-280, 40})) << "inside the bar: outside the layout";

    SDL_SetWindowSize(engine->window(), 960, 1088);
    step(2);
    EXPECT_FLOAT_EQ(engine->letterbox().offsetY, 272.0f);
    mouseMove(480, 272 + 100);
    step();
    EXPECT_EQ(engine->input().pointer, (Point{480, 100}));
}

TEST_F(EngineInputTest, DraggingPastTheThresholdHandsThePointerToAnAncestor) {
    auto parent = std::make_shared<Dragger>();
    parent->style().width = SizeSpec::fixed(300);
    parent->style().height = SizeSpec::fixed(300);
    int clicks = 0;
    auto child = vell_testing::tile(200, 200);
    child->onClick = [&] { ++clicks; };
    parent->addChild(child);
    showView(parent);
    step(3);
    int x = int(child->rect.x + 20), y = int(child->rect.y + 20);

    mouseButton(true, x, y);
    step();
    EXPECT_EQ(engine->pressedWidget(), child.get());
    mouseMove(x, y + 5);
    step();
    EXPECT_FALSE(engine->dragging()) << "5 px is below the threshold";
    mouseMove(x, y + 30);
    step();
    EXPECT_TRUE(engine->dragging());
    EXPECT_EQ(engine->pressedWidget(), parent.get());
    EXPECT_EQ(parent->downs, 1);
    EXPECT_FALSE(child->pressed);
    mouseButton(false, x, y + 30);
    step();
    EXPECT_EQ(clicks, 0) << "a drag never activates";
    EXPECT_EQ(engine->pressedWidget(), nullptr);
}

// A renderer that accepts vsync need not block (offscreen, dummy): the loop
// still sleeps off the rest of each frame so an idle UI does not spin a core.
TEST_F(EngineTest, PacingSleepsTheRestOfTheFrameEvenWithVsync) {
    Settings s = vell_testing::headlessSettings();
    s.vsync = true;
    start(s);
    engine->onFrame = [this](float) { engine->context().keepAnimating(); }; // paced frames
    double before = clock->slept();
    step(10);
    EXPECT_NEAR(clock->slept() - before, 10 * 0.016, 1e-9) << "16 whole ms per 60 Hz frame";

    s.fps = 0;
    start(s);
    engine->onFrame = [this](float) { engine->context().keepAnimating(); };
    before = clock->slept();
    step(10);
    EXPECT_EQ(clock->slept(), before) << "uncapped";
}

// Pictures dropped over budget give their memory back once, when the screen comes to rest.
TEST_F(EngineTest, DroppedPicturesGiveTheirMemoryBackAtRest) {
    testing_support::TempDir dir;
    SDL_Surface* big = SDL_CreateRGBSurfaceWithFormat(0, 1024, 1024, 32, SDL_PIXELFORMAT_ARGB8888); // 4 MiB
    ASSERT_NE(big, nullptr);
    std::vector<std::string> paths;
    for (const char* name : { "a", "b", "c" }) {
        paths.push_back(dir.file(std::string(name) + ".bmp"));
        ASSERT_EQ(SDL_SaveBMP(big, paths.back().c_str()), 0) << SDL_GetError();
    }
    SDL_FreeSurface(big);
    Settings s = vell_testing::headlessSettings();
    s.assetBudget = 5u << 20;
    start(s);
    const auto loadAndRest = [&](const std::string& path) {
        auto asset = engine->assets().image(path);
        for (int i = 0; i < 4000 && asset->state == ImageAsset::Loading; ++i) {
            step();
            SDL_Delay(1);
        }
        ASSERT_TRUE(asset->ready());
        asset.reset();
        step(3);
    };
    loadAndRest(paths[0]);
    loadAndRest(paths[1]); // drops a: 4 MiB
    EXPECT_EQ(engine->memoryReturns(), 1u);
    step(10);
    EXPECT_EQ(engine->memoryReturns(), 1u) << "once";
    engine->assets().setMaxSide(256);
    loadAndRest(paths[2]); // 256 KiB more: fits, nothing dropped
    EXPECT_EQ(engine->memoryReturns(), 1u);
}

// Without a sound device the UI still starts; only music stays off.
TEST_F(EngineTest, MissingSoundDeviceLeavesMusicOffButStarts) {
    engine.reset();
    Settings s = vell_testing::headlessSettings();
    s.audio = true;
    const char* previous = std::getenv("SDL_AUDIODRIVER");
    const std::string driver = previous ? previous : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    engine = std::make_unique<Engine>();
    engine->setClock(clock);
    const bool started = engine->init(s);
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    ASSERT_TRUE(started) << SDL_GetError();
    EXPECT_FALSE(engine->music().audioOpen());
    engine->music().play("/nowhere.flac");
    step();
    EXPECT_EQ(engine->music().state(), MusicState::Stopped);
}

namespace {

// Takes Cross the way a text field begins editing: key mapping stops.
struct TextTaker : WidgetT<TextTaker, Box> {
    static constexpr const char* kTypeName = "box";
    TextTaker() { focusable = true; }
    bool onButton(UiContext& ctx, int32_t button) override {
        if (button != Cross)
            return false;
        ctx.input->textInput = true;
        return true;
    }
};

SDL_Event event(Uint32 type, SDL_Keycode sym = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = sym;
    if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP)
        e.button.button = SDL_BUTTON_LEFT;
    if (type == SDL_TEXTINPUT)
        e.text.text[0] = char(sym);
    return e;
}

} // namespace

// Events queued behind a press are translated only after that press has been
// dispatched, so keys typed right after the Return that begins editing are
// text for the field, not buttons.
TEST_F(EngineInputTest, EventsAfterAPressWaitForItsDispatch) {
    struct Case {
        std::vector<SDL_Event> events;
        std::vector<size_t> perFrame; // events seen by each frame
    };
    const std::vector<Case> cases{
        {{event(SDL_KEYDOWN, SDLK_RETURN), event(SDL_KEYDOWN, SDLK_a), event(SDL_TEXTINPUT, 'a'),
          event(SDL_KEYUP, SDLK_RETURN)},
         {1, 3}},
        {{event(SDL_MOUSEMOTION), event(SDL_MOUSEBUTTONDOWN), event(SDL_MOUSEMOTION), event(SDL_MOUSEBUTTONUP),
          event(SDL_KEYUP, SDLK_a)},
         {2, 2, 1}},
        {{event(SDL_KEYUP, SDLK_a), event(SDL_TEXTINPUT, 'q'), event(SDL_MOUSEWHEEL)}, {3}},
    };
    auto taker = std::make_shared<TextTaker>();
    showView(taker);
    step();
    size_t seen = 0;
    engine->onEvent = [&](const SDL_Event&) { ++seen; };
    for (const Case& c : cases) {
        engine->setFocus(taker.get());
        engine->input().textInput = false;
        for (const SDL_Event& e : c.events)
            push(e);
        for (size_t n : c.perFrame) {
            seen = 0;
            step();
            EXPECT_EQ(seen, n);
        }
    }
    EXPECT_EQ(counter.hits[Square], 0); // the A typed after Return was text, not a button
}

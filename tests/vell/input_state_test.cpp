#include <gtest/gtest.h>

#include "vell/input_state.h"

using namespace vell;

namespace {

SDL_Event keyEvent(Uint32 type, SDL_Keycode sym, Uint8 repeat = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = sym;
    e.key.repeat = repeat;
    return e;
}

SDL_Event controllerButtonEvent(Uint32 type, Uint8 button) {
    SDL_Event e{};
    e.type = type;
    e.cbutton.button = button;
    return e;
}

SDL_Event axisEvent(Uint8 axis, Sint16 value) {
    SDL_Event e{};
    e.type = SDL_CONTROLLERAXISMOTION;
    e.caxis.axis = axis;
    e.caxis.value = value;
    return e;
}

SDL_Event mouseButtonEvent(Uint32 type, int x, int y, Uint32 which = 0) {
    SDL_Event e{};
    e.type = type;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = x;
    e.button.y = y;
    e.button.which = which;
    return e;
}

const Letterbox kIdentity{};

} // namespace

TEST(InputStateTest, KeyboardTableCoversEveryMappedKey) {
    struct Row {
        SDL_Keycode key;
        int button;
    };
    const Row table[] = {
        {SDLK_UP, Up},         {SDLK_DOWN, Down},     {SDLK_LEFT, Left},   {SDLK_RIGHT, Right},
        {SDLK_RETURN, Cross},  {SDLK_z, Cross},       {SDLK_ESCAPE, Circle}, {SDLK_x, Circle},
        {SDLK_a, Square},      {SDLK_s, Triangle},    {SDLK_q, L},         {SDLK_w, R},
        {SDLK_SPACE, Start},   {SDLK_v, Select},      {SDLK_b, -1},        {SDLK_i, -1},
    };
    for (const Row& row : table)
        EXPECT_EQ(InputState::keyButton(row.key), row.button) << SDL_GetKeyName(row.key);
    EXPECT_EQ(InputState::controllerButton(SDL_CONTROLLER_BUTTON_A), Cross);
    EXPECT_EQ(InputState::controllerButton(SDL_CONTROLLER_BUTTON_BACK), Select);
    EXPECT_EQ(InputState::controllerButton(SDL_CONTROLLER_BUTTON_GUIDE), -1);
    EXPECT_EQ(InputState::controllerButton(SDL_CONTROLLER_BUTTON_LEFTSTICK), -1);
}

TEST(InputStateTest, SourcesCombineAndOnlyTheLastReleaseCounts) {
    InputState in;
    in.navMode = false;
    in.handleEvent(keyEvent(SDL_KEYDOWN, SDLK_RETURN), kIdentity);
    EXPECT_TRUE(in.buttons[Cross].pressed);
    EXPECT_TRUE(in.navMode);
    in.beginFrame();
    in.handleEvent(controllerButtonEvent(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLER_BUTTON_A), kIdentity);
    EXPECT_FALSE(in.buttons[Cross].pressed) << "already held by the keyboard";
    EXPECT_EQ(in.buttons[Cross].held, SourceKeyboard | SourceController);
    in.handleEvent(keyEvent(SDL_KEYUP, SDLK_RETURN), kIdentity);
    EXPECT_FALSE(in.buttons[Cross].released);
    in.handleEvent(controllerButtonEvent(SDL_CONTROLLERBUTTONUP, SDL_CONTROLLER_BUTTON_A), kIdentity);
    EXPECT_TRUE(in.buttons[Cross].released);
    EXPECT_EQ(in.buttons[Cross].held, 0);
}

TEST(InputStateTest, KeyRepeatEventsAndTextInputDoNotPress) {
    InputState in;
    in.handleEvent(keyEvent(SDL_KEYDOWN, SDLK_DOWN, 1), kIdentity);
    EXPECT_FALSE(in.held(Down));
    in.textInput = true;
    in.handleEvent(keyEvent(SDL_KEYDOWN, SDLK_z), kIdentity);
    EXPECT_FALSE(in.held(Cross));
}

TEST(InputStateTest, SwapExchangesConfirmAndCancelForEverySource) {
    InputState in;
    in.swapConfirmCancel = true;
    in.handleEvent(controllerButtonEvent(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLER_BUTTON_A), kIdentity);
    EXPECT_TRUE(in.buttons[Circle].pressed);
    EXPECT_FALSE(in.held(Cross));
    in.handleEvent(keyEvent(SDL_KEYDOWN, SDLK_ESCAPE), kIdentity);
    EXPECT_TRUE(in.buttons[Cross].pressed);
    in.handleEvent(controllerButtonEvent(SDL_CONTROLLERBUTTONUP, SDL_CONTROLLER_BUTTON_A), kIdentity);
    EXPECT_TRUE(in.buttons[Circle].released);
}

TEST(InputStateTest, DirectionsRepeatAfterDelayThenAtInterval) {
    InputState in;
    const float dt = 0.01f;
    in.beginFrame();
    in.handleEvent(keyEvent(SDL_KEYDOWN, SDLK_RIGHT), kIdentity);
    in.handleEvent(keyEvent(SDL_KEYDOWN, SDLK_RETURN), kIdentity);
    in.tickRepeat(dt);
    std::vector<int> rightFrames;
    int crossRepeats = 0;
    for (int frame = 1; frame <= 70; ++frame) {
        in.beginFrame();
        in.tickRepeat(dt);
        if (in.triggered(Right))
            rightFrames.push_back(frame);
        crossRepeats += in.buttons[Cross].repeat;
    }
    // Held time at frame f is (f + 1) * dt: the first repeat once it reaches 0.38,
    // then one every 0.085 s, each within one frame of its exact time.
    ASSERT_GE(rightFrames.size(), 3u);
    auto heldAt = [&](int frame) { return (frame + 1) * dt; };
    EXPECT_GE(heldAt(rightFrames[0]), 0.38f - 1e-4f);
    EXPECT_LE(heldAt(rightFrames[0]), 0.38f + dt + 1e-4f);
    for (size_t i = 1; i < rightFrames.size(); ++i)
        EXPECT_NEAR(heldAt(rightFrames[i]) - heldAt(rightFrames[0]), i * 0.085f, dt);
    EXPECT_EQ(crossRepeats, 0);

    in.handleEvent(keyEvent(SDL_KEYUP, SDLK_RIGHT), kIdentity);
    in.tickRepeat(dt);
    EXPECT_EQ(in.buttons[Right].timer, 0.0f);
}

TEST(InputStateTest, AnalogSticksAndTriggersActAsButtonsAndScroll) {
    InputState in;
    in.handleEvent(axisEvent(SDL_CONTROLLER_AXIS_LEFTX, 30000), kIdentity);
    EXPECT_TRUE(in.buttons[Right].pressed);
    EXPECT_EQ(in.buttons[Right].held, SourceAnalog);
    in.handleEvent(axisEvent(SDL_CONTROLLER_AXIS_LEFTX, 10000), kIdentity);
    EXPECT_TRUE(in.buttons[Right].released);
    in.handleEvent(axisEvent(SDL_CONTROLLER_AXIS_LEFTY, -20000), kIdentity);
    EXPECT_TRUE(in.held(Up));
    in.handleEvent(axisEvent(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 20000), kIdentity);
    EXPECT_TRUE(in.held(R2));
    in.handleEvent(axisEvent(SDL_CONTROLLER_AXIS_RIGHTY, 5000), kIdentity);
    EXPECT_EQ(in.stick.y, 0.0f) << "inside the dead zone";
    in.handleEvent(axisEvent(SDL_CONTROLLER_AXIS_RIGHTX, -32767), kIdentity);
    EXPECT_FLOAT_EQ(in.stick.x, -1.0f);
}

TEST(InputStateTest, IjklKeysDriveTheScrollStick) {
    InputState in;
    in.handleEvent(keyEvent(SDL_KEYDOWN, SDLK_k), kIdentity);
    EXPECT_EQ(in.stick.y, 1.0f);
    in.handleEvent(keyEvent(SDL_KEYDOWN, SDLK_i), kIdentity);
    EXPECT_EQ(in.stick.y, -1.0f);
    in.handleEvent(keyEvent(SDL_KEYUP, SDLK_k), kIdentity);
    EXPECT_EQ(in.stick.y, -1.0f) << "still points up";
    in.handleEvent(keyEvent(SDL_KEYUP, SDLK_i), kIdentity);
    EXPECT_EQ(in.stick.y, 0.0f);
}

TEST(InputStateTest, PointerPressClearsNavModeAndSynthesisedMouseIsIgnored) {
    InputState in;
    in.handleEvent(mouseButtonEvent(SDL_MOUSEBUTTONDOWN, 100, 50, SDL_TOUCH_MOUSEID), kIdentity);
    EXPECT_FALSE(in.pressed);
    EXPECT_TRUE(in.navMode);
    in.handleEvent(mouseButtonEvent(SDL_MOUSEBUTTONDOWN, 100, 50), kIdentity);
    EXPECT_TRUE(in.pressed && in.down && in.active);
    EXPECT_FALSE(in.navMode);
    EXPECT_EQ(in.pointer, (Point{100, 50}));
    in.handleEvent(mouseButtonEvent(SDL_MOUSEBUTTONUP, 104, 50), kIdentity);
    EXPECT_TRUE(in.released);
    EXPECT_FALSE(in.down);
    EXPECT_EQ(in.movement, (Point{4, 0}));
    EXPECT_TRUE(in.moved);
}

TEST(LetterboxTest, WideWindowGetsSideBarsAndBarsMapOutsideTheLayout) {
    // 1920 x 544 output for a 960 x 544 layout: scale 1, 480 px bars left and right.
    Letterbox box = Letterbox::fit({}, 1920, 544, 1920, 544, 960, 544);
    EXPECT_FLOAT_EQ(box.scale, 1.0f);
    EXPECT_FLOAT_EQ(box.offsetX, 480.0f);
    EXPECT_FLOAT_EQ(box.offsetY, 0.0f);
    EXPECT_EQ(box.windowToLogical(480, 10), (Point{0, 10}));
    EXPECT_EQ(box.windowToLogical(100, 10), (Point{-380, 10}));
    EXPECT_EQ(box.windowToLogical(1900, 10), (Point{1420, 10}));

    // A high-density window: 2 output pixels per point and a tall output.
    Letterbox tall = Letterbox::fit({}, 960, 1088 * 2, 480, 1088, 480, 272);
    EXPECT_FLOAT_EQ(tall.scale, 2.0f);
    EXPECT_FLOAT_EQ(tall.offsetY, 816.0f);
    EXPECT_FLOAT_EQ(tall.ratioX, 2.0f);
    EXPECT_EQ(tall.windowToLogical(240, 544), (Point{240, 136}));
    EXPECT_EQ(tall.fingerToLogical(0.5f, 0.5f), (Point{240, 136}));

    Letterbox kept = Letterbox::fit(tall, 0, 0, 0, 0, 480, 272);
    EXPECT_FLOAT_EQ(kept.scale, 2.0f);
}

#include "vell/input_state.h"

#include <cmath>

namespace vell {

InputState::InputState() {
    for (int b = 0; b < kPadButtonCount; ++b)
        buttonNames[b] = ButtonName{padButtonName(b), 0};
}

const std::map<int32_t, ButtonName>& keyboardButtonNames()
{
    static const std::map<int32_t, ButtonName> names = {
        { Cross, { "Z", 0 } }, { Circle, { "X", 0 } }, { Square, { "A", 0 } }, { Triangle, { "S", 0 } },
        { L, { "Q", 0 } }, { R, { "W", 0 } }, { Start, { "Space", 0 } }, { Select, { "V", 0 } },
    };
    return names;
}

void InputState::mergeButtonNames(const std::map<int32_t, ButtonName>& names) {
    for (const auto& [button, name] : names)
        buttonNames[button] = name;
}

ButtonName InputState::buttonName(int32_t button) const {
    auto it = buttonNames.find(button);
    if (it != buttonNames.end())
        return it->second;
    return ButtonName{"#" + std::to_string(button), 0};
}

bool InputState::triggered(int button) const {
    if (button < 0 || button >= kPadButtonCount)
        return false;
    return buttons[button].pressed || buttons[button].repeat;
}

bool InputState::held(int button) const {
    return button >= 0 && button < kPadButtonCount && buttons[button].held != 0;
}

void InputState::beginFrame() {
    moved = pressed = released = false;
    movement = {};
    wheel = {};
    for (auto& b : buttons)
        b.pressed = b.released = false;
}

int InputState::keyButton(SDL_Keycode key) {
    switch (key) {
    case SDLK_UP: return Up;
    case SDLK_DOWN: return Down;
    case SDLK_LEFT: return Left;
    case SDLK_RIGHT: return Right;
    case SDLK_RETURN:
    case SDLK_z: return Cross;
    case SDLK_ESCAPE:
    case SDLK_x: return Circle;
    case SDLK_a: return Square;
    case SDLK_s: return Triangle;
    case SDLK_q: return L;
    case SDLK_w: return R;
    case SDLK_SPACE: return Start;
    case SDLK_v: return Select;
    default: return -1;
    }
}

int InputState::controllerButton(int sdlButton) {
    switch (sdlButton) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return Up;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return Down;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return Left;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return Right;
    case SDL_CONTROLLER_BUTTON_A: return Cross;
    case SDL_CONTROLLER_BUTTON_B: return Circle;
    case SDL_CONTROLLER_BUTTON_X: return Square;
    case SDL_CONTROLLER_BUTTON_Y: return Triangle;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return L;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return R;
    case SDL_CONTROLLER_BUTTON_START: return Start;
    case SDL_CONTROLLER_BUTTON_BACK: return Select;
    default: return -1; // Guide and the stick clicks stay unmapped
    }
}

int InputState::swapped(int button) const {
    if (!swapConfirmCancel)
        return button;
    if (button == Cross)
        return Circle;
    if (button == Circle)
        return Cross;
    return button;
}

void InputState::press(int button, uint8_t source) {
    button = swapped(button);
    if (button < 0 || button >= kPadButtonCount)
        return;
    ButtonState& b = buttons[button];
    bool wasHeld = b.held != 0;
    b.held |= source;
    if (wasHeld)
        return;
    b.pressed = true;
    b.timer = 0;
    navMode = true;
    ++actions;
}

void InputState::release(int button, uint8_t source) {
    button = swapped(button);
    if (button < 0 || button >= kPadButtonCount)
        return;
    ButtonState& b = buttons[button];
    if (b.held == 0)
        return;
    b.held &= uint8_t(~source);
    if (b.held == 0)
        b.released = true;
}

void InputState::tickRepeat(float dt) {
    for (int i = 0; i < kPadButtonCount; ++i) {
        ButtonState& b = buttons[i];
        b.repeat = false;
        if (!isDirection(i))
            continue;
        if (b.held == 0) {
            b.timer = 0;
            continue;
        }
        b.timer += dt;
        if (b.timer >= kRepeatDelay) {
            b.repeat = true;
            b.timer -= kRepeatInterval;
        }
    }
}

void InputState::keyEvent(const SDL_KeyboardEvent& key, bool isDown) {
    // Key-ups always pass: a key held when a controller arrives (or a text field
    // takes the keys) would otherwise stay held, a direction repeating for good.
    bool ignored = controller && !keyboardWithController;
    if (isDown && (ignored || key.repeat || textInput))
        return;
    SDL_Keycode sym = key.keysym.sym;
    // I/K and J/L stand in for the right stick; a release only recentres an
    // axis that still points the released way.
    switch (sym) {
    case SDLK_i: stick.y = isDown ? -1.0f : (stick.y < 0 ? 0.0f : stick.y); return;
    case SDLK_k: stick.y = isDown ? 1.0f : (stick.y > 0 ? 0.0f : stick.y); return;
    case SDLK_j: stick.x = isDown ? -1.0f : (stick.x < 0 ? 0.0f : stick.x); return;
    case SDLK_l: stick.x = isDown ? 1.0f : (stick.x > 0 ? 0.0f : stick.x); return;
    default: break;
    }
    int button = keyButton(sym);
    if (button < 0)
        return;
    if (isDown)
        press(button, SourceKeyboard);
    else
        release(button, SourceKeyboard);
}

void InputState::setAnalog(int button, bool on) {
    if (on)
        press(button, SourceAnalog);
    else
        release(button, SourceAnalog);
}

void InputState::axisEvent(const SDL_ControllerAxisEvent& axis) {
    float v = axis.value / 32767.0f;
    auto deadZoned = [](float x) { return std::fabs(x) <= kScrollDeadZone ? 0.0f : x; };
    switch (axis.axis) {
    case SDL_CONTROLLER_AXIS_LEFTX:
        setAnalog(Left, v < -kStickThreshold);
        setAnalog(Right, v > kStickThreshold);
        break;
    case SDL_CONTROLLER_AXIS_LEFTY:
        setAnalog(Up, v < -kStickThreshold);
        setAnalog(Down, v > kStickThreshold);
        break;
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT: setAnalog(L2, v > kTriggerThreshold); break;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: setAnalog(R2, v > kTriggerThreshold); break;
    case SDL_CONTROLLER_AXIS_RIGHTX: stick.x = deadZoned(v); break;
    case SDL_CONTROLLER_AXIS_RIGHTY: stick.y = deadZoned(v); break;
    default: break;
    }
}

void InputState::openFirstController() {
    if (controller)
        return;
    int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        if (!SDL_IsGameController(i))
            continue;
        controller = SDL_GameControllerOpen(i);
        if (controller)
            return;
    }
}

void InputState::closeController() {
    if (!controller)
        return;
    SDL_GameControllerClose(controller);
    controller = nullptr;
}

void InputState::handleController(const SDL_Event& event) {
    switch (event.type) {
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        int button = controllerButton(event.cbutton.button);
        if (button < 0)
            return;
        if (event.type == SDL_CONTROLLERBUTTONDOWN)
            press(button, SourceController);
        else
            release(button, SourceController);
        return;
    }
    case SDL_CONTROLLERAXISMOTION: axisEvent(event.caxis); return;
    case SDL_CONTROLLERDEVICEADDED:
        if (!controller && SDL_IsGameController(event.cdevice.which))
            controller = SDL_GameControllerOpen(event.cdevice.which);
        return;
    case SDL_CONTROLLERDEVICEREMOVED:
        if (controller &&
            SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller)) == event.cdevice.which)
            closeController();
        return;
    default: return;
    }
}

void InputState::movePointer(Point to, bool fromTouch) {
    float dx = to.x - pointer.x;
    float dy = to.y - pointer.y;
    bool changed = dx != 0 || dy != 0;
    if (changed && (active || down)) {
        movement.x += dx;
        movement.y += dy;
        moved = true;
    }
    if (std::hypot(dx, dy) > 2.0f || (down && changed))
        navMode = false;
    touch = fromTouch;
    if (!fromTouch)
        active = true;
    pointer = to;
}

void InputState::handleMouse(const SDL_Event& event, const Letterbox& box) {
    switch (event.type) {
    case SDL_MOUSEMOTION:
        if (event.motion.which == SDL_TOUCH_MOUSEID)
            return;
        movePointer(box.windowToLogical(float(event.motion.x), float(event.motion.y)), false);
        return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const SDL_MouseButtonEvent& b = event.button;
        if (b.which == SDL_TOUCH_MOUSEID || b.button != SDL_BUTTON_LEFT)
            return;
        movePointer(box.windowToLogical(float(b.x), float(b.y)), false);
        if (event.type == SDL_MOUSEBUTTONDOWN) {
            down = pressed = active = true;
            touch = false;
            navMode = false;
        } else {
            down = false;
            released = true;
        }
        ++actions;
        return;
    }
    case SDL_MOUSEWHEEL:
        if (event.wheel.which == SDL_TOUCH_MOUSEID)
            return;
        wheel.x += float(event.wheel.x);
        wheel.y += float(event.wheel.y);
        return;
    default: return;
    }
}

bool InputState::acceptsFinger(SDL_TouchID device) const {
    if (SDL_GetNumTouchDevices() <= 0)
        return true;
    return device == SDL_GetTouchDevice(0);
}

void InputState::handleFinger(const SDL_Event& event, const Letterbox& box) {
    const SDL_TouchFingerEvent& f = event.tfinger;
    if (!acceptsFinger(f.touchId))
        return;
    movePointer(box.fingerToLogical(f.x, f.y), true);
    if (event.type == SDL_FINGERDOWN) {
        down = pressed = active = touch = true;
        navMode = false;
        ++actions;
    } else if (event.type == SDL_FINGERUP) {
        down = false;
        released = true;
        active = false;
        ++actions;
    }
}

void InputState::handleEvent(const SDL_Event& event, const Letterbox& box) {
    switch (event.type) {
    case SDL_KEYDOWN: keyEvent(event.key, true); return;
    case SDL_KEYUP: keyEvent(event.key, false); return;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL: handleMouse(event, box); return;
    case SDL_FINGERDOWN:
    case SDL_FINGERUP:
    case SDL_FINGERMOTION: handleFinger(event, box); return;
    default: handleController(event); return;
    }
}

} // namespace vell

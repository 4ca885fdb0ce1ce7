#pragma once
#include <SDL.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "vell/geometry.h"
#include "vell/letterbox.h"
#include "vell/pad_button.h"

namespace vell {

// Where a held button comes from; a button stays held while any source holds it.
enum InputSource : uint8_t {
    SourceController = 1,
    SourceKeyboard = 2,
    SourceAnalog = 4, // left stick or trigger past its threshold
};

// Display name of a logical button and the font it is drawn in (0 text, 1 icon),
// so a name may be an icon code point.
struct ButtonName {
    std::string name;
    int32_t fontKind = 0;
};

// The keyboard keys that press each face, shoulder and menu button ("Z" for Cross, ...):
// the names a hint bar shows when no game controller is attached.
const std::map<int32_t, ButtonName>& keyboardButtonNames();

// One logical button as seen this frame.
struct ButtonState {
    uint8_t held = 0;     // InputSource bits
    bool pressed = false; // went down this frame
    bool released = false;
    bool repeat = false; // auto-repeat fired this frame (directions only)
    float timer = 0;     // seconds held, less the repeats already fired
};

// The logical input state: keyboard, controller, mouse and touch folded into
// 14 buttons, a pointer, a wheel and a scroll stick. Rebuilt every frame by the
// engine (beginFrame, handleEvent for each event, tickRepeat) and read by the
// dispatch and by widgets through the context.
struct InputState {
    static constexpr float kRepeatDelay = 0.38f;
    static constexpr float kRepeatInterval = 0.085f;
    static constexpr float kStickThreshold = 0.55f;   // left stick as d-pad
    static constexpr float kTriggerThreshold = 0.5f;  // triggers as L2 / R2
    static constexpr float kScrollDeadZone = 0.18f;   // right stick

    InputState();

    // Pointer, in logical pixels.
    Point pointer;
    Point movement; // accumulated this frame
    bool down = false;
    bool pressed = false;
    bool released = false;
    bool moved = false;
    bool active = false; // a mouse has been seen, or a finger is on the screen
    bool touch = false;  // the last pointer event came from a finger

    Point wheel; // accumulated this frame
    Point stick; // right stick (and I/J/K/L), -1..1 per axis

    bool navMode = true; // the user drives the UI with buttons: focus ring on
    bool swapConfirmCancel = false;
    bool keyboardWithController = false;
    bool textInput = false; // a text field takes the keys: key-down mapping suspended
    // Counts the events that give the dispatch something to act on: a button
    // going down, the pointer going down or up. The engine ends a frame's
    // polling after each one (see Engine::pollEvents).
    uint32_t actions = 0;

    std::array<ButtonState, kPadButtonCount> buttons{};
    std::map<int32_t, ButtonName> buttonNames;
    SDL_GameController* controller = nullptr;
    Size logicalSize;

    // Replaces or adds names over the built-in ones.
    void mergeButtonNames(const std::map<int32_t, ButtonName>& names);
    // The display name of a button; a fallback with its number when unknown.
    ButtonName buttonName(int32_t button) const;

    // Pressed or auto-repeated this frame: the button takes part in dispatch.
    bool triggered(int button) const;
    bool held(int button) const;

    // Clears everything that describes only one frame.
    void beginFrame();
    // Translates one SDL event; pointer positions go through `box`.
    void handleEvent(const SDL_Event& event, const Letterbox& box);
    // Advances the repeat timers of the directions by dt.
    void tickRepeat(float dt);

    // Adds or removes one source of a logical button (after the confirm/cancel swap).
    void press(int button, uint8_t source);
    void release(int button, uint8_t source);

    // Opens the first attached game controller when none is open.
    void openFirstController();
    void closeController();

    // The logical button of a key or a controller button; -1 when unmapped.
    static int keyButton(SDL_Keycode key);
    static int controllerButton(int sdlButton);

private:
    int swapped(int button) const;
    void keyEvent(const SDL_KeyboardEvent& key, bool isDown);
    void axisEvent(const SDL_ControllerAxisEvent& axis);
    void setAnalog(int button, bool on);
    void movePointer(Point to, bool fromTouch);
    bool acceptsFinger(SDL_TouchID device) const;
    void handleMouse(const SDL_Event& event, const Letterbox& box);
    void handleFinger(const SDL_Event& event, const Letterbox& box);
    void handleController(const SDL_Event& event);
};

} // namespace vell

#pragma once
// The record every widget operation receives: the engine's services and the
// frame's shared values. Owned by the engine; widgets never store it.

#include "vell/geometry.h"
#include "vell/hint.h"

#include <cstdint>
#include <vector>

namespace vell {

class Renderer;
class Theme;
class StyleSheet;
struct InputState;
class AssetLoader;
class MusicPlayer;
class ActionBus;
class Widget;

struct UiContext {
    Renderer* renderer = nullptr;
    Theme* theme = nullptr;
    StyleSheet* sheet = nullptr;
    InputState* input = nullptr;
    AssetLoader* assets = nullptr;
    MusicPlayer* music = nullptr;
    ActionBus* actions = nullptr;
    Widget** focus = nullptr; // the engine's focused widget (may point at null)

    Size logicalSize { 960, 544 };
    bool navMode = true; // copied from the input state each frame; shows the focus ring

    std::vector<Hint> hints;
    uint64_t hintsVersion = 0; // bumped whenever `hints` is replaced

    float fontSize = 16; // base text size
    double time = 0;     // total animation seconds
    float dt = 0;        // this frame's step (clamped to 50 ms: for springs and other integrators)

    // ---- Frames on demand ----
    // The engine draws only when the picture may have changed and lets the loop sleep
    // while nothing moves. Springs report their motion themselves, and anything drawn
    // differently every frame keeps the loop going by itself. Time that decides what
    // is drawn later (a blink, a countdown) must use `elapsed` and ask for the frame
    // at which it matters:
    //
    //   blink += ctx.elapsed;
    //   ctx.requestFrameIn(0.6 - std::fmod(blink, 1.0f));   // the next caret toggle
    float elapsed = 0;       // real seconds since the previous frame, not clamped: for timers
    bool animating = false;  // something moves: the next frame comes at the normal rate
    double frameDue = 1e300; // seconds from now to the earliest frame asked for this frame
    void keepAnimating() { animating = true; }
    // The time to take off a timer this frame: `elapsed`, but only one frame step
    // (`dt`) for a timer started since the previous frame (`fresh`, cleared here),
    // so a sleep before it began is not charged to it.
    float timerStep(bool& fresh)
    {
        const float step = fresh ? dt : elapsed;
        fresh = false;
        return step;
    }
    void requestFrameIn(double seconds) { frameDue = seconds < frameDue ? (seconds > 0 ? seconds : 0) : frameDue; }

    Widget* focused() const { return focus ? *focus : nullptr; }
};

} // namespace vell

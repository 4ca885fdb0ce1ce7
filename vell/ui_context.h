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
    float dt = 0;        // this frame's step

    Widget* focused() const { return focus ? *focus : nullptr; }
};

} // namespace vell

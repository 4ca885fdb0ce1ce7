#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "vell/binding.h"
#include "vell/geometry.h"
#include "vell/input_state.h"
#include "vell/style.h"

struct SDL_Window;
struct SDL_Renderer;

namespace vell {

// A colour token set or replaced after the built-in palettes are built.
struct ColorOverride {
    std::string token;
    Color dark;
    Color light;
};

// Everything Engine::init needs; copied whole into the engine.
struct Settings {
    std::string title = "VellUI";
    int32_t windowWidth = 960;
    int32_t windowHeight = 544;
    // The layout space; the whole UI is laid out here and scaled to the window.
    int32_t logicalWidth = 960;
    int32_t logicalHeight = 544;
    bool fullscreen = false; // full-screen at desktop resolution
    // The window never opens larger than the display's usable area, and small
    // displays (up to 1280 x 800) and drivers without a desktop start full screen.
    // Ignored by the offscreen and dummy drivers, which have no screen to fit.
    bool fitToDisplay = false;
    // The layout space follows the window: its pixels divided by the UI scale
    // (Engine::setUiScale; automatic by default, measured against the logical size
    // above as the design size). Off: the logical size is fixed and letterboxed.
    bool layoutFollowsWindow = false;
    bool resizable = true;
    bool vsync = true;
    // Frame-rate cap; the loop sleeps off whatever is left of a frame. 0 or less: uncapped.
    int32_t fps = 60;
    std::string fontPath;
    std::string iconFontPath; // empty: fontPath
    float fontSize = 16.0f;   // base text size in logical pixels
    int32_t themeMode = 0;    // 0 dark, 1 light
    std::vector<ColorOverride> colorOverrides;
    std::vector<StyleClass> styleOverrides; // merged after the built-in classes
    std::vector<Binding> bindings;          // engine-wide
    std::map<int32_t, ButtonName> buttonNames; // merged over the built-in names
    bool swapConfirmCancel = false;
    bool keyboardWithController = false;
    bool audio = true;
    bool defaultStyles = true;
    uint64_t assetBudget = 50331648; // 48 MiB of picture textures (copies at shown size included)
    int32_t assetLimit = 1024;       // largest side of a decoded image
    // When both are set the engine draws into them and never creates or destroys them.
    SDL_Window* externalWindow = nullptr;
    SDL_Renderer* externalRenderer = nullptr;
    // Draw and present every frame, as if frames on demand did not exist (for
    // comparison; VELL_ALWAYS_DRAW=1 in the environment sets it too).
    bool alwaysDraw = false;
    // While the only thing moving is the music (a playing track's progress and
    // the animations that follow it), frames come when what follows the music
    // asks for one (UiContext::requestFrameIn: the bar's next pixel, the next
    // second of the clock, a dancing playing mark), at most ambientFps times a
    // second, and otherwise every musicCheckSeconds: a playing song whose screen
    // barely changes costs a few frames a second.
    int32_t ambientFps = 30;
    double musicCheckSeconds = 0.25;
    // Keep the last frame in a texture so that renderers whose screen forgets it
    // (OpenGL) also redraw only what changed. Off by default: without a GPU
    // (llvmpipe) copying that texture costs more than whole frames. The
    // software renderer's screen keeps its frame, so it always redraws in part.
    bool frameTexture = false;
};

} // namespace vell

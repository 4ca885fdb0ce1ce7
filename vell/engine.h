#pragma once
#include <SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vell/action_bus.h"
#include "vell/asset_loader.h"
#include "vell/frame_clock.h"
#include "vell/input_state.h"
#include "vell/letterbox.h"
#include "vell/screen_fit.h"
#include "vell/music_player.h"
#include "vell/renderer.h"
#include "vell/settings.h"
#include "vell/shell.h"
#include "vell/style_sheet.h"
#include "vell/theme.h"
#include "vell/ui_context.h"
#include "vell/widget_watcher.h"

namespace vell {

// Owns the window, renderer, fonts, theme and style sheet, the asset loader
// thread, the music device and the shell, and runs the frame loop: input,
// dispatch, animation, layout, drawing and pacing. UI thread only.
//
//   vell::Engine engine;
//   if (!engine.init(settings)) { fprintf(stderr, "VellUI init failed: %s\n", SDL_GetError()); return 1; }
//   engine.shell().push(vell::View::framed("Home"));
//   while (engine.frame()) {}
//
// The destructor shuts everything down in reverse order.
class Engine : public WidgetWatcher {
public:
    Engine();
    ~Engine() override;
    // Forgets the focused, hovered or pressed widget when it is the dying one.
    void widgetDestroyed(Widget* widget) override;

    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Start-up. False on failure with the reason in SDL_GetError().
    bool init(const Settings& settings);
    // One iteration of the loop; false once a quit was requested (after
    // finishing that frame) or when init has not succeeded.
    bool frame();
    // Asks the loop to end after the current frame.
    void quit() { m_running = false; }

    // Raw SDL events, after translation (quit included).
    std::function<void(const SDL_Event&)> onEvent;
    // After dispatch, before the shell update, with the real seconds since the
    // previous frame: the frame's dt, except after the loop slept or stalled, when
    // it is the whole time (dt itself is clamped to 50 ms for the springs).
    std::function<void(float seconds)> onFrame;

    // Moves the focus: the old widget blurs, ancestors scroll the new one into
    // view, then it gets onFocus. Null clears the focus.
    void setFocus(Widget* widget);
    Widget* focus() const { return m_focus; }
    Widget* hovered() const { return m_hovered; }
    Widget* pressedWidget() const { return m_pressed; }
    bool dragging() const { return m_dragging; }

    // The scroll container directions and the right stick scroll: from the
    // focus upwards, then from the widget under the pointer, then the first in
    // the top root.
    Widget* scrollTarget();

    // ---- Frames on demand ----
    // Every frame runs input, dispatch, hooks, animation and layout, but draws and
    // presents only when the picture differs from the last presented one (or an event
    // arrived, or requestRedraw was called). While nothing moves and no frame is due the
    // loop sleeps in SDL_WaitEventTimeout until an event, a vell::wakeEngine() from
    // another thread, or the earliest time asked for with requestFrameIn.
    //
    //   engine.onFrame = [&](float seconds) {
    //       pingTimer += seconds;                                // real time, also after a sleep
    //       engine.requestFrameIn(kPingInterval - pingTimer);   // ask again every frame
    //   };

    // Draws and presents the next frame even if its picture looks unchanged.
    void requestRedraw() { m_redrawRequested = true; }
    // The loop runs a frame within `seconds` (0: the next frame at the normal rate).
    // A request holds until the next frame has run; timers ask again every frame.
    void requestFrameIn(double seconds) { m_ctx.requestFrameIn(seconds); }
    bool alwaysDraw() const { return m_alwaysDraw; }
    // Frames drawn and presented so far (frameCount() counts every frame).
    uint64_t framesPresented() const { return m_presented; }
    // Of those, the frames that redrew only their damaged areas.
    uint64_t framesRedrawnInPart() const { return m_redrawnInPart; }
    // How long the last frame let the loop sleep: 0 when it went on at the normal
    // rate, infinity when it waited for an event alone.
    double lastIdleWait() const { return m_lastIdleWait; }
    // How often the memory of dropped pictures went back to the system (see returnFreedMemory).
    uint64_t memoryReturns() const { return m_memoryReturns; }

    // Replaces the time source (before init). Tests use a ManualClock.
    void setClock(std::shared_ptr<FrameClock> clock);

    Shell& shell() { return *m_shell; }
    UiContext& context() { return m_ctx; }
    InputState& input() { return m_input; }
    Renderer& renderer() { return m_renderer; }
    Theme& theme() { return m_theme; }
    StyleSheet& styleSheet() { return m_sheet; }
    AssetLoader& assets() { return m_assets; }
    MusicPlayer& music() { return m_music; }
    ActionBus& actions() { return m_actions; }
    SDL_Window* window() const { return m_window; }
    SDL_Renderer* sdlRenderer() const { return m_sdlRenderer; }
    const Settings& settings() const { return m_settings; }
    const Letterbox& letterbox() const { return m_letterbox; }
    // With Settings::layoutFollowsWindow: device pixels per layout pixel, 0 for the
    // automatic choice (autoUiScale). Applied from the next frame.
    void setUiScale(float scale) { m_uiScaleChoice = scale; }
    float uiScaleChoice() const { return m_uiScaleChoice; }
    // The current layout space, in logical pixels.
    Size logicalSize() const { return m_ctx.logicalSize; }
    std::vector<Binding>& bindings() { return m_bindings; }
    bool initialised() const { return m_initialised; }
    bool running() const { return m_running; }
    uint64_t frameCount() const { return m_frames; }

private:
    bool createWindowAndRenderer();
    void setUpTheme();
    void shutdown();

    bool updateLetterbox();
    Size layoutSize(int outW, int outH) const;
    WindowPlan windowPlan() const;
    size_t pollEvents();
    void shareAssetBudget();
    void returnFreedMemory();
    bool frameChanged(bool forced, bool resized);
    // What keeps the next frame coming: nothing, only the music, or anything else.
    enum class Motion { None, Music, Full };
    Motion motionSince(uint64_t motionBefore) const;
    void waitAmbient(double frameStart);
    void idle(double frameStart);
    double frameBudget() const;
    void updateHints();
    void repairFocus();
    void drawFrame();
    void paint(std::optional<DeviceRect> area);
    SDL_Texture* frameTexture();
    void releaseFrameTexture();
    void pace(double frameStart);

    void dispatchButtons();
    bool dispatchButton(int button);
    // Runs the bindings of `button` (only those marked `first` when `firstOnly`).
    bool runBindings(const std::vector<Binding>& bindings, int button, bool firstOnly = false);
    void moveFocus(int direction);
    void dispatchPointer(float dt);
    void setHovered(Widget* widget);
    void pointerPress();
    void pointerHeld();
    void pointerRelease();
    void pointerWheel();

    Settings m_settings;
    std::shared_ptr<FrameClock> m_clock;
    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_sdlRenderer = nullptr;
    bool m_ownsWindow = false;
    Renderer m_renderer;
    Theme m_theme;
    StyleSheet m_sheet;
    InputState m_input;
    AssetLoader m_assets;
    MusicPlayer m_music;
    ActionBus m_actions;
    UiContext m_ctx;
    std::unique_ptr<Shell> m_shell;
    std::vector<Binding> m_bindings;

    Widget* m_focus = nullptr;
    Widget* m_hovered = nullptr;
    Widget* m_pressed = nullptr;
    Point m_pressPosition;
    bool m_dragging = false;

    Letterbox m_letterbox;
    float m_uiScaleChoice = 0;
    double m_previousTime = 0;
    bool m_initialised = false;
    bool m_running = false;
    bool m_watching = false;
    bool m_audioOpen = false;
    std::string m_hintKey;
    uint64_t m_frames = 0;
    bool m_alwaysDraw = false;
    bool m_redrawRequested = true;
    uint64_t m_presented = 0;
    uint64_t m_redrawnInPart = 0;
    uint64_t m_presentedSignature = 0;
    std::vector<DrawnCall> m_presentedCalls;
    std::vector<DeviceRect> m_damage; // what this frame redraws, unless m_wholeFrame
    bool m_wholeFrame = true;
    SDL_Texture* m_frameTexture = nullptr; // keeps the last presented frame
    std::pair<int, int> m_frameSize;
    bool m_frameStale = true;               // its content is not the last frame
    bool m_noFrameTexture = false;          // render targets unavailable: draw whole frames
    bool m_screenKeepsFrame = false;        // the software renderer's window surface keeps the last frame
    double m_lastIdleWait = 0;
    bool m_slept = false;
    uint64_t m_memoryReturns = 0;
};

} // namespace vell

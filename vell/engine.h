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
    // After dispatch, before the shell update, with the frame's dt.
    std::function<void(float dt)> onFrame;

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
    std::vector<Binding>& bindings() { return m_bindings; }
    bool initialised() const { return m_initialised; }
    bool running() const { return m_running; }
    uint64_t frameCount() const { return m_frames; }

private:
    bool createWindowAndRenderer();
    void setUpTheme();
    void shutdown();

    void updateLetterbox();
    void pollEvents();
    void updateHints();
    void repairFocus();
    void drawFrame();
    void pace(double frameStart);

    void dispatchButtons();
    bool dispatchButton(int button);
    bool runBindings(const std::vector<Binding>& bindings, int button);
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
    double m_previousTime = 0;
    bool m_initialised = false;
    bool m_running = false;
    bool m_watching = false;
    bool m_audioOpen = false;
    std::string m_hintKey;
    uint64_t m_frames = 0;
};

} // namespace vell

#include "vell/engine.h"

#include <SDL_image.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>

#include "vell/focus_navigation.h"
#include "vell/wake.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace vell {

Engine::Engine() : m_clock(std::make_shared<FrameClock>()) {}

Engine::~Engine() { shutdown(); }

void Engine::setClock(std::shared_ptr<FrameClock> clock) {
    if (clock)
        m_clock = std::move(clock);
}

void Engine::widgetDestroyed(Widget* widget) {
    if (m_focus == widget)
        m_focus = nullptr;
    if (m_hovered == widget)
        m_hovered = nullptr;
    if (m_pressed == widget) {
        m_pressed = nullptr;
        m_dragging = false;
    }
}

// ---- Start-up ----

namespace {

// Whether the renderer SDL_CreateRenderer(-1) tries first (the driver named by
// SDL_HINT_RENDER_DRIVER, else the first one listed) draws through OpenGL.
bool firstRendererUsesOpenGL() {
    std::string name;
    if (const char* hint = SDL_GetHint(SDL_HINT_RENDER_DRIVER))
        name = hint;
    SDL_RendererInfo info;
    if (name.empty() && SDL_GetNumRenderDrivers() > 0 && SDL_GetRenderDriverInfo(0, &info) == 0 && info.name)
        name = info.name;
    return name.rfind("opengl", 0) == 0;
}

} // namespace

bool Engine::createWindowAndRenderer() {
    if (m_settings.externalWindow && m_settings.externalRenderer) {
        m_window = m_settings.externalWindow;
        m_sdlRenderer = m_settings.externalRenderer;
        m_ownsWindow = false;
        return true;
    }
    // Hidden until the renderer exists: a renderer that needs other window flags
    // makes SDL destroy and recreate the window, which must not flash on screen.
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (m_settings.resizable)
        flags |= SDL_WINDOW_RESIZABLE;
    if (m_settings.fullscreen)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    auto create = [this](Uint32 windowFlags) {
        return SDL_CreateWindow(m_settings.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                m_settings.windowWidth, m_settings.windowHeight, windowFlags);
    };
    // Created for OpenGL when the renderer SDL will pick uses it, so it is made once.
    m_window = firstRendererUsesOpenGL() ? create(flags | SDL_WINDOW_OPENGL) : nullptr;
    if (!m_window)
        m_window = create(flags);
    if (!m_window)
        return false;
    Uint32 rendererFlags = SDL_RENDERER_ACCELERATED;
    if (m_settings.vsync)
        rendererFlags |= SDL_RENDERER_PRESENTVSYNC;
    m_sdlRenderer = SDL_CreateRenderer(m_window, -1, rendererFlags);
    if (!m_sdlRenderer)
        m_sdlRenderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_SOFTWARE);
    m_ownsWindow = true;
    if (!m_sdlRenderer) {
        SDL_DestroyWindow(m_window);
        m_window = nullptr;
        return false;
    }
    SDL_ShowWindow(m_window);
    return true;
}

void Engine::setUpTheme() {
    m_renderer.resetTransform();
    m_theme.buildPalettes();
    for (const ColorOverride& o : m_settings.colorOverrides)
        m_theme.setToken(o.token, o.dark, o.light);
    m_theme.setMode(m_settings.themeMode);
    if (m_settings.defaultStyles)
        m_sheet.installDefaults();
    for (const StyleClass& cls : m_settings.styleOverrides)
        m_sheet.merge(cls);
}

bool Engine::init(const Settings& settings) {
    if (m_initialised)
        shutdown();
    m_settings = settings;

    SDL_SetHint("SDL_RENDER_SCALE_QUALITY", "1");
    SDL_SetHint("SDL_MOUSE_TOUCH_EVENTS", "0");

    // Audio is left to the music player: a machine without a sound device
    // still gets a working UI, only with music disabled.
    const Uint32 systems = SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER;
    if (SDL_WasInit(0) == 0 && SDL_Init(systems) != 0)
        return false;
    if (SDL_InitSubSystem(systems) != 0)
        return false;

    if (!createWindowAndRenderer())
        return false;
    IMG_Init(IMG_INIT_JPG | IMG_INIT_PNG | IMG_INIT_WEBP);
    const std::string& icons = m_settings.iconFontPath.empty() ? m_settings.fontPath : m_settings.iconFontPath;
    m_renderer.attach(m_sdlRenderer, m_settings.fontPath, icons);
    if (!TTF_WasInit() && TTF_Init() != 0)
        return false;
    setUpTheme();

    m_input.mergeButtonNames(m_settings.buttonNames);
    m_input.swapConfirmCancel = m_settings.swapConfirmCancel;
    m_input.keyboardWithController = m_settings.keyboardWithController;
    m_input.logicalSize = {float(m_settings.logicalWidth), float(m_settings.logicalHeight)};
    m_input.openFirstController();

    m_assets.start(m_sdlRenderer, m_settings.assetBudget, m_settings.assetLimit);
    if (m_settings.audio)
        m_audioOpen = m_music.openAudio(&m_assets);

    m_bindings = m_settings.bindings;
    m_ctx.renderer = &m_renderer;
    m_ctx.theme = &m_theme;
    m_ctx.sheet = &m_sheet;
    m_ctx.input = &m_input;
    m_ctx.assets = &m_assets;
    m_ctx.music = &m_music;
    m_ctx.actions = &m_actions;
    m_ctx.focus = &m_focus;
    m_ctx.logicalSize = m_input.logicalSize;
    m_ctx.fontSize = m_settings.fontSize;

    m_shell = std::make_unique<Shell>();
    m_shell->focusGetter = [this]() -> WidgetPtr {
        return m_focus ? m_focus->shared_from_this() : nullptr;
    };
    m_shell->focusSetter = [this](Widget* w) { setFocus(w); };

    const char* always = std::getenv("VELL_ALWAYS_DRAW");
    m_alwaysDraw = m_settings.alwaysDraw || (always && std::strcmp(always, "1") == 0);
    m_redrawRequested = true;
    m_presented = 0;
    detail::registerWakeEvent();

    addWidgetWatcher(this);
    m_watching = true;
    m_previousTime = m_clock->now();
    m_initialised = m_running = true;
    return true;
}

// ---- Shutdown ----

void Engine::shutdown() {
    if (!m_initialised && !m_window && !m_sdlRenderer)
        return;
    m_initialised = false;
    m_running = false;
    detail::unregisterWakeEvent();
    if (m_watching)
        removeWidgetWatcher(this);
    m_watching = false;
    m_shell.reset();
    m_focus = m_hovered = m_pressed = nullptr;
    // The loader thread stops before the mixer closes: it may be opening a
    // music file, and SDL_mixer must not close its decoders under it.
    m_assets.stop();
    if (m_audioOpen)
        m_music.closeAudio();
    m_audioOpen = false;
    m_input.closeController();
    m_renderer.shutdown();
    if (m_ownsWindow) {
        if (m_sdlRenderer)
            SDL_DestroyRenderer(m_sdlRenderer);
        if (m_window)
            SDL_DestroyWindow(m_window);
    }
    m_sdlRenderer = nullptr;
    m_window = nullptr;
    m_ownsWindow = false;
    IMG_Quit();
    TTF_Quit();
    SDL_Quit();
}

// ---- One frame ----

bool Engine::frame() {
    if (!m_initialised)
        return false;
    const double start = m_clock->now();
    // Springs step by the clamped dt so a stall does not make them jump; timers
    // (the hooks, blinks, countdowns) take the real time, which after a sleep is long.
    const double elapsed = std::max(0.0, start - m_previousTime);
    double step = std::clamp(elapsed, 0.0001, 0.05);
    // After a sleep the springs take one ordinary frame: what starts moving now
    // moves exactly as it would have with every frame drawn.
    if (m_slept)
        step = std::min(step, frameBudget());
    m_slept = false;
    const float dt = float(step);
    m_previousTime = start;
    m_ctx.elapsed = float(elapsed);
    m_ctx.animating = false;
    const uint64_t motionBefore = Spring::motionCount();

    bool forced = updateLetterbox();
    m_input.beginFrame();
    forced |= pollEvents() > 0;
    m_input.tickRepeat(dt);
    m_assets.pump(3.0);
    m_music.update(dt);

    m_ctx.time += dt;
    m_ctx.dt = dt;
    m_ctx.navMode = m_input.navMode;
    updateHints();

    dispatchButtons();
    dispatchPointer(dt);
    if (onFrame)
        onFrame(m_ctx.elapsed);
    if (!m_shell)
        return false; // a hook shut the engine down
    m_shell->update(m_ctx, dt);
    repairFocus();
    m_renderer.tickFrame();
    const bool changed = frameChanged(forced);
    if (changed) {
        drawFrame();
        ++m_presented;
    }
    ++m_frames;
    m_lastIdleWait = 0;
    if (m_alwaysDraw || forced || changed || stillInMotion(motionBefore))
        pace(start);
    else
        idle(start);
    // Requests from now on (the next frame's hooks, or code between frames) decide the next sleep.
    m_ctx.frameDue = std::numeric_limits<double>::infinity();
    return m_running;
}

// Whether this frame must be drawn: always in the comparison mode, after any event
// (window exposure and resizing included) or an explicit request, and otherwise
// when the frame's signature differs from that of the last presented frame.
bool Engine::frameChanged(bool forced) {
    forced |= m_alwaysDraw || m_redrawRequested || m_presented == 0;
    m_redrawRequested = false;
    if (m_alwaysDraw)
        return true;
    m_renderer.beginRecording();
    m_renderer.beginFrame();
    const Color bg = m_theme.color("background");
    m_renderer.note(bg);
    m_shell->draw(m_ctx);
    const uint64_t signature = m_renderer.endRecording();
    const bool changed = forced || signature != m_presentedSignature;
    m_presentedSignature = signature;
    return changed;
}

// Something that the next frame must carry on at the normal rate: springs that
// moved, widgets that said so, held buttons (their repeats), a pressed pointer,
// a playing track (its position shows), completions left for the next frame.
bool Engine::stillInMotion(uint64_t motionBefore) const {
    if (m_ctx.animating || Spring::motionCount() != motionBefore || m_redrawRequested)
        return true;
    if (m_input.down || m_music.state() == MusicState::Playing || m_assets.waitingCompletions() > 0)
        return true;
    return std::any_of(m_input.buttons.begin(), m_input.buttons.end(), [](const ButtonState& b) { return b.held; });
}

// Seconds of one frame at the frame-rate cap (60 fps when uncapped).
double Engine::frameBudget() const { return 1.0 / (m_settings.fps > 0 ? m_settings.fps : 60); }

// Sleeps until the next event, wake-up or requested frame, but never runs faster
// than the frame-rate cap.
void Engine::idle(double frameStart) {
    const double wait = std::max(m_ctx.frameDue, frameBudget() - (m_clock->now() - frameStart));
    m_lastIdleWait = wait;
    m_slept = true;
    m_clock->waitForEvent(wait);
}

bool Engine::updateLetterbox() {
    int outW = 0, outH = 0, winW = 0, winH = 0;
    SDL_GetRendererOutputSize(m_sdlRenderer, &outW, &outH);
    if (m_window)
        SDL_GetWindowSize(m_window, &winW, &winH);
    const Letterbox before = m_letterbox;
    m_letterbox = Letterbox::fit(m_letterbox, outW, outH, winW, winH, float(m_settings.logicalWidth),
                                 float(m_settings.logicalHeight));
    const bool flushed = m_renderer.setScale(m_letterbox.scale, m_letterbox.offsetX, m_letterbox.offsetY,
                                             float(m_settings.logicalWidth), float(m_settings.logicalHeight));
    return flushed || std::memcmp(&before, &m_letterbox, sizeof before) != 0;
}

// Polling stops after an event that presses a button or the pointer: the rest
// waits in SDL's queue for the next frame, so it is translated after that
// press was dispatched. A press may begin text editing, and the keys typed
// right after it must then reach the field as text instead of being mapped to
// buttons (or dropped) in the state from before the press. One pump, then the
// queue is drained: SDL_PollEvent would leave its end-of-poll marker behind the
// events kept for later and so skip a frame.
// Returns how many events it handled, the wake-ups from other threads not counted.
size_t Engine::pollEvents() {
    // A wake event flushed by someone else must not block later ones: at most one
    // more is pushed per frame.
    detail::wakeTaken();
    SDL_PumpEvents();
    SDL_Event event;
    size_t handled = 0;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
        if (event.type == wakeEventType()) {
            detail::wakeTaken();
            continue;
        }
        ++handled;
        const uint32_t actionsBefore = m_input.actions;
        if (event.type == SDL_QUIT)
            m_running = false;
        else
            m_input.handleEvent(event, m_letterbox);
        if (onEvent)
            onEvent(event);
        if (m_input.actions != actionsBefore)
            break;
    }
    return handled;
}

void Engine::updateHints() {
    std::vector<Hint> hints;
    if (m_shell->hasOpenLayer() || m_shell->drawerOpen()) {
        hints.push_back({Circle, "Close"});
    } else {
        auto addFrom = [&hints](const std::vector<Binding>& bindings) {
            for (const Binding& b : bindings) {
                if (!b.showHint)
                    continue;
                bool listed = std::any_of(hints.begin(), hints.end(),
                                          [&](const Hint& h) { return h.button == b.button; });
                if (!listed)
                    hints.push_back({b.button, b.label});
            }
        };
        if (ViewPtr view = m_shell->currentView())
            addFrom(view->bindings);
        addFrom(m_bindings);
    }
    std::string key;
    for (const Hint& h : hints)
        key += std::to_string(h.button) + ':' + h.label + '\n';
    if (key == m_hintKey)
        return;
    m_hintKey = key;
    m_ctx.hints = std::move(hints);
    ++m_ctx.hintsVersion;
}

void Engine::repairFocus() {
    Widget* root = m_shell->topRoot();
    Widget* f = m_focus;
    bool valid = f && (root == f || root->isAncestorOf(f)) && f->visibleInTree() && f->enabled() &&
                 f->focusable;
    if (!valid)
        setFocus(firstFocusable(root));
}

void Engine::drawFrame() {
    m_renderer.beginFrame();
    Color bg = m_theme.color("background");
    auto channel = [](float v) { return Uint8(std::clamp(std::lround(v), 0L, 255L)); };
    SDL_SetRenderDrawBlendMode(m_sdlRenderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(m_sdlRenderer, channel(bg.r), channel(bg.g), channel(bg.b), 255);
    SDL_RenderClear(m_sdlRenderer);
    m_renderer.reapplyClip();
    m_shell->draw(m_ctx);
    SDL_RenderPresent(m_sdlRenderer);
}

// Sleeps off what is left of the frame budget. Done with vsync too: a
// renderer that accepts vsync but does not block (offscreen and dummy
// drivers, some compositors) would otherwise spin a core.
void Engine::pace(double frameStart) {
    if (m_settings.fps <= 0)
        return;
    double budget = 1.0 / m_settings.fps;
    double elapsed = m_clock->now() - frameStart;
    double ms = std::floor((budget - elapsed) * 1000.0);
    if (ms >= 1)
        m_clock->sleep(ms / 1000.0);
}

} // namespace vell

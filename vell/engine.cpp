#include "vell/engine.h"

#include <SDL_image.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>

#include "vell/focus_navigation.h"
#include "vell/screen_fit.h"
#include "vell/wake.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#ifdef __GLIBC__
#include <malloc.h> // malloc_trim
#endif

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

// Whether `renderer` is OpenGL emulated on the CPU (Mesa's llvmpipe or
// softpipe, a machine without a GPU). Its current context is the renderer's.
bool openGlWithoutGpu(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0)
        return false;
    using GetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString ? getString(0x1F01 /* GL_RENDERER */) : nullptr;
    if (!name)
        return false;
    const std::string text(reinterpret_cast<const char*>(name));
    for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"})
        if (text.find(software) != std::string::npos)
            return true;
    return false;
}

// A new, resized or re-exposed window surface does not hold the last frame.
bool windowLosesFrame(Uint8 windowEvent) {
    switch (windowEvent) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
        return true;
    default:
        return false;
    }
}

} // namespace

// The window's size and mode on the display it opens on (see planWindow).
WindowPlan Engine::windowPlan() const {
    const Size wanted{float(m_settings.windowWidth), float(m_settings.windowHeight)};
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string name = driver ? driver : "";
    if (!m_settings.fitToDisplay || name == "offscreen" || name == "dummy")
        return {m_settings.windowWidth, m_settings.windowHeight, false};
    SDL_Rect usable{};
    SDL_DisplayMode mode{};
    Size usableSize, display;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0)
        usableSize = {float(usable.w), float(usable.h)};
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0)
        display = {float(mode.w), float(mode.h)};
    return planWindow(wanted, usableSize, display, name != "KMSDRM");
}

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
    const WindowPlan plan = windowPlan();
    // Full screen opens on the display's origin: without a window manager (a bare X
    // server, a handheld) nothing else moves a centred window into place.
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    SDL_Rect bounds{};
    if (plan.fullscreen) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        if (SDL_GetDisplayBounds(0, &bounds) == 0)
            x = bounds.x, y = bounds.y;
    }
    auto create = [this, plan, x, y](Uint32 windowFlags) {
        return SDL_CreateWindow(m_settings.title.c_str(), x, y, plan.width, plan.height, windowFlags);
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
    // Emulated OpenGL presents each frame at many times the cost of the software
    // renderer, which also redraws only what changed; unless a driver was asked for.
    const char* asked = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    if (m_sdlRenderer && !(asked && *asked) && openGlWithoutGpu(m_sdlRenderer)) {
        SDL_DestroyRenderer(m_sdlRenderer);
        m_sdlRenderer = nullptr;
    }
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
    // The software renderer presents through X11's shared memory instead of an
    // OpenGL texture: without a GPU (llvmpipe) that texture costs most of a frame.
    // The environment variable still decides when set.
    if (const char* video = SDL_GetCurrentVideoDriver(); video && std::strcmp(video, "x11") == 0)
        SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);

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
    SDL_RendererInfo info{};
    m_screenKeepsFrame = !m_settings.frameTexture && SDL_GetRendererInfo(m_sdlRenderer, &info) == 0 &&
                         (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    m_frameStale = true;
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
    releaseFrameTexture();
    m_noFrameTexture = false;
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

    const bool resized = updateLetterbox();
    bool forced = resized;
    m_input.beginFrame();
    forced |= pollEvents() > 0;
    m_input.tickRepeat(dt);
    shareAssetBudget();
    m_assets.pump(3.0);
    m_music.update(dt);
    m_ctx.requestFrameIn(m_music.secondsToHeardChange());

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
    const bool changed = frameChanged(forced, resized);
    if (changed) {
        drawFrame();
        ++m_presented;
    }
    ++m_frames;
    m_lastIdleWait = 0;
    const Motion motion = motionSince(motionBefore);
    if (motion != Motion::Full)
        returnFreedMemory();
    if (m_alwaysDraw || forced || motion == Motion::Full || (changed && motion == Motion::None))
        pace(start);
    else if (motion == Motion::Music)
        waitAmbient(start);
    else
        idle(start);
    // Requests from now on (the next frame's hooks, or code between frames) decide the next sleep.
    m_ctx.frameDue = std::numeric_limits<double>::infinity();
    return m_running;
}

// Pictures kept at their shown size are textures too: they come out of the same
// budget as the decoded ones, so showing pictures faster does not hold more memory.
void Engine::shareAssetBudget() {
    const ScaledCopies& copies = m_renderer.scaledCopies();
    const uint64_t held = uint64_t(std::max<int64_t>(0, copies.bytes() + copies.spareBytes()));
    m_assets.setBudget(m_settings.assetBudget > held ? m_settings.assetBudget - held : 0);
}

// Pictures dropped over budget leave their pages in the C library's heap, where they
// still count against the device's memory until new pictures reuse them. Once the
// screen comes to rest after a good many were dropped, those pages go back to the
// system; scrolling on takes fresh ones.
void Engine::returnFreedMemory() {
    constexpr uint64_t kWorthReturning = 4u << 20;
    if (m_assets.droppedBytes() < kWorthReturning)
        return;
    m_assets.takeDroppedBytes();
#ifdef __GLIBC__
    malloc_trim(0);
#endif
    ++m_memoryReturns;
}

// Whether this frame must be presented: always in the comparison mode, after any
// event (window exposure and resizing included) or an explicit request, and
// otherwise when the frame's signature differs from that of the last presented
// frame. Also decides what to redraw: everything (first frame, new size,
// explicit request, comparison mode) or the areas whose drawing calls changed.
bool Engine::frameChanged(bool forced, bool resized) {
    m_wholeFrame = m_alwaysDraw || m_redrawRequested || m_presented == 0 || resized;
    forced |= m_wholeFrame;
    m_redrawRequested = false;
    m_damage.clear();
    if (m_alwaysDraw)
        return true;
    m_renderer.setDamageClip(std::nullopt);
    m_renderer.beginRecording();
    m_renderer.beginFrame();
    const Color bg = m_theme.color("background");
    m_renderer.note(bg);
    m_shell->draw(m_ctx);
    const uint64_t signature = m_renderer.endRecording();
    const bool changed = forced || signature != m_presentedSignature;
    if (changed && !m_wholeFrame)
        m_damage = damagedAreas(m_presentedCalls, m_renderer.recordedCalls());
    m_renderer.swapRecordedCalls(m_presentedCalls);
    m_presentedSignature = signature;
    return changed;
}

// Something that the next frame must carry on at the normal rate: springs that
// moved, widgets that said so, held buttons (their repeats), a pressed pointer,
// completions left for the next frame. A playing track alone (its position and
// the animations that follow it) is Motion::Music, at the ambient rate.
Engine::Motion Engine::motionSince(uint64_t motionBefore) const {
    if (m_ctx.animating || Spring::motionCount() != motionBefore || m_redrawRequested)
        return Motion::Full;
    if (m_input.down || m_assets.waitingCompletions() > 0)
        return Motion::Full;
    if (std::any_of(m_input.buttons.begin(), m_input.buttons.end(), [](const ButtonState& b) { return b.held; }))
        return Motion::Full;
    return m_music.state() == MusicState::Playing ? Motion::Music : Motion::None;
}

// While only the music moves: waits until something that follows it asks for a frame
// (see Settings::ambientFps and musicCheckSeconds), waking at once for an event. Not a
// sleep for the springs: the music's time is real.
void Engine::waitAmbient(double frameStart) {
    const int32_t fps = m_settings.ambientFps > 0 ? std::min(m_settings.ambientFps, m_settings.fps) : m_settings.fps;
    if (fps <= 0)
        return;
    const double due = std::max(std::min(m_ctx.frameDue, m_settings.musicCheckSeconds), 1.0 / fps);
    const double wait = due - (m_clock->now() - frameStart);
    if (wait > 0)
        m_clock->waitForEvent(wait);
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

// The layout space for an output of outW x outH pixels: fixed, or following
// the window at the chosen or automatic UI scale.
Size Engine::layoutSize(int outW, int outH) const {
    const Size design{float(m_settings.logicalWidth), float(m_settings.logicalHeight)};
    if (!m_settings.layoutFollowsWindow || outW <= 0 || outH <= 0)
        return design;
    const float scale = m_uiScaleChoice > 0 ? chosenUiScale(m_uiScaleChoice, outW, outH, design)
                                            : autoUiScale(outW, outH, design);
    return layoutSizeFor(outW, outH, scale);
}

bool Engine::updateLetterbox() {
    int outW = 0, outH = 0, winW = 0, winH = 0;
    SDL_GetRendererOutputSize(m_sdlRenderer, &outW, &outH);
    if (m_window)
        SDL_GetWindowSize(m_window, &winW, &winH);
    const Letterbox before = m_letterbox;
    const Size logical = layoutSize(outW, outH);
    m_letterbox = Letterbox::fit(m_letterbox, outW, outH, winW, winH, logical.w, logical.h);
    const bool flushed = m_renderer.setScale(m_letterbox.scale, m_letterbox.offsetX, m_letterbox.offsetY,
                                             logical.w, logical.h);
    const bool relaid = logical != m_ctx.logicalSize;
    m_input.logicalSize = m_ctx.logicalSize = logical;
    return flushed || relaid || std::memcmp(&before, &m_letterbox, sizeof before) != 0;
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
        if (event.type == SDL_RENDER_TARGETS_RESET || event.type == SDL_RENDER_DEVICE_RESET)
            m_frameStale = true; // the kept frame is lost
        // A new, resized or re-exposed window surface does not hold the last frame
        // (full screen on and off may keep the output size, so no resize is seen).
        if (event.type == SDL_WINDOWEVENT && windowLosesFrame(event.window.event))
            m_frameStale = true;
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
        auto addFrom = [&hints](const std::vector<Binding>& bindings, bool firstOnly = false) {
            for (const Binding& b : bindings) {
                if (!b.showHint || (firstOnly && !b.first))
                    continue;
                bool listed = std::any_of(hints.begin(), hints.end(),
                                          [&](const Hint& h) { return h.button == b.button; });
                if (!listed)
                    hints.push_back({b.button, b.label, b.shortLabel});
            }
        };
        addFrom(m_bindings, true);
        if (ViewPtr view = m_shell->currentView())
            addFrom(view->bindings);
        addFrom(m_bindings);
    }
    std::string key;
    for (const Hint& h : hints)
        key += std::to_string(h.button) + ':' + h.label + ':' + h.shortLabel + '\n';
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

// A frame where little changed redraws only its damaged areas, over the last
// frame: the software renderer's window surface keeps it between presents;
// with Settings::frameTexture other renderers draw into a texture that keeps
// it and copy that to the window whole. Otherwise every frame is drawn in full.
void Engine::drawFrame() {
    SDL_Texture* target = m_screenKeepsFrame ? nullptr : frameTexture();
    if (target)
        SDL_SetRenderTarget(m_sdlRenderer, target);
    if ((!target && !m_screenKeepsFrame) || m_wholeFrame || m_frameStale) {
        paint(std::nullopt);
    } else {
        for (const DeviceRect& area : m_damage)
            paint(area);
        ++m_redrawnInPart;
    }
    if (target) {
        SDL_SetRenderTarget(m_sdlRenderer, nullptr);
        SDL_RenderSetClipRect(m_sdlRenderer, nullptr);
        SDL_RenderCopy(m_sdlRenderer, target, nullptr, nullptr);
    }
    if (target || m_screenKeepsFrame)
        m_frameStale = false;
    SDL_RenderPresent(m_sdlRenderer);
}

// Paints the whole frame, or only `area` (device px): cleared to the
// background, then the tree with everything clipped to it.
void Engine::paint(std::optional<DeviceRect> area) {
    m_renderer.setDamageClip(area);
    m_renderer.beginFrame();
    Color bg = m_theme.color("background");
    auto channel = [](float v) { return Uint8(std::clamp(std::lround(v), 0L, 255L)); };
    SDL_SetRenderDrawBlendMode(m_sdlRenderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(m_sdlRenderer, channel(bg.r), channel(bg.g), channel(bg.b), 255);
    DeviceRect clip;
    if (area && m_renderer.currentClip(clip)) {
        // Mostly hidden under the shell's opaque panels: filled only where it shows.
        m_renderer.fillBackground(clip, channel(bg.r), channel(bg.g), channel(bg.b));
    } else {
        SDL_RenderClear(m_sdlRenderer);
    }
    m_renderer.reapplyClip();
    m_shell->draw(m_ctx);
    m_renderer.flushBackground();
    m_renderer.setDamageClip(std::nullopt);
}

// The texture that keeps the last frame, at the window's output size; null
// when the renderer cannot draw into textures.
SDL_Texture* Engine::frameTexture() {
    if (m_noFrameTexture || !m_settings.frameTexture)
        return nullptr;
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(m_sdlRenderer, &w, &h);
    if (m_frameTexture && (w != m_frameSize.first || h != m_frameSize.second))
        releaseFrameTexture();
    if (m_frameTexture || w <= 0 || h <= 0)
        return m_frameTexture;
    if (SDL_RenderTargetSupported(m_sdlRenderer))
        m_frameTexture = SDL_CreateTexture(m_sdlRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, w, h);
    if (!m_frameTexture) {
        m_noFrameTexture = true;
        return nullptr;
    }
    SDL_SetTextureBlendMode(m_frameTexture, SDL_BLENDMODE_NONE);
    m_frameSize = {w, h};
    m_frameStale = true;
    return m_frameTexture;
}

void Engine::releaseFrameTexture() {
    if (m_frameTexture)
        SDL_DestroyTexture(m_frameTexture);
    m_frameTexture = nullptr;
    m_frameStale = true;
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

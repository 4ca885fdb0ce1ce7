#include "app/main/sonaria.h"

#include "app/core/instance_lock.h"
#include "app/core/platform.h"
#include "app/core/platform_hooks.h"
#include "app/main/connecting_view.h"
#include "app/main/media_controls.h"
#include "app/main/single_instance.h"
#include "app/main/resume_offer.h"
#include "app/main/test_hooks.h"
#include "app/net/temporaries.h"
#include "app/player/download_toasts.h"
#include "app/player/player_core.h"
#include "app/player/queue_sync.h"
#include "app/player/stream_cache_trim.h"
#include "app/ui/pages/albums_page.h"
#include "app/ui/app_styles.h"
#include "app/ui/interface_size.h"
#include "app/ui/pages/artist_page.h"
#include "app/ui/pages/artists_page.h"
#include "app/ui/pages/collection_page.h"
#include "app/ui/device_profile.h"
#include "app/ui/pages/favorites_page.h"
#include "app/ui/pages/home_page.h"
#include "app/ui/pages/login_page.h"
#include "app/ui/nav.h"
#include "app/ui/pages/now_playing_page.h"
#include "app/ui/pages/offline_page.h"
#include "app/ui/online_state.h"
#include "app/ui/page_push.h"
#include "app/ui/pages/playlists_page.h"
#include "app/ui/widgets/queue_drawer.h"
#include "app/ui/pages/search_page.h"
#include "app/ui/services.h"
#include "app/ui/pages/settings_page.h"
#include "app/ui/widgets/text_field.h"
#include "vell/button.h"
#include "vell/engine.h"
#include "vell/image.h"
#include "vell/wake.h"

#include <SDL_ttf.h>

#include <array>
#include <memory>
#include <cstdio>
#include <cstdlib>

namespace cad {
namespace {

constexpr unsigned kSlotCount = 9;
constexpr unsigned kHomeSlot = 0;
constexpr unsigned kSearchSlot = 4;
constexpr unsigned kOfflineSlot = 6;
constexpr unsigned kNowPlayingSlot = 7;
constexpr float kPingInterval = 30.0f;
constexpr float kDrawerWidth = 430.0f;

constexpr unsigned kCloudDone = 0xE2BF;
constexpr unsigned kCloudOff = 0xE2C1;
constexpr unsigned kErrorIcon = 0xE000;
constexpr int kStreamWorkers = 2; // the song to play and the next one's prefetch

struct NavRow {
    int32_t icon;
    bool compact; // present when the profile asks for compact navigation
};

constexpr std::array<NavRow, kSlotCount> kNavRows { {
    { 0xE88A, true },  // home
    { 0xE019, true },  // albums
    { 0xE7FD, false }, // artists
    { 0xE03D, false }, // playlists
    { 0xE8B6, true },  // search
    { 0xE87D, false }, // favourites
    { 0xE90A, true },  // offline
    { 0xE405, true },  // now playing
    { 0xE8B8, true },  // settings
} };

std::shared_ptr<Page> makeNavPage(unsigned slot)
{
    switch (slot) {
    case 0: return std::make_shared<HomePage>();
    case 1: return std::make_shared<AlbumsPage>();
    case 2: return std::make_shared<ArtistsPage>();
    case 3: return std::make_shared<PlaylistsPage>();
    case 4: return std::make_shared<SearchPage>();
    case 5: return std::make_shared<FavoritesPage>();
    case 6: return std::make_shared<OfflinePage>();
    case 7: return std::make_shared<NowPlayingPage>();
    default: return std::make_shared<SettingsPage>();
    }
}

struct NavEntry {
    std::shared_ptr<Page> page;
    vell::ViewPtr view;
    std::shared_ptr<vell::Button> button;
};

// A user font in the data directory replaces the shipped one, unless SDL_ttf
// cannot open it.
std::string usableFontPath()
{
    const std::string shipped = platform::assetPath("fonts/font.ttf");
    const std::string chosen = platform::fontPath();
    if (chosen == shipped)
        return chosen;
    if (!TTF_WasInit() && TTF_Init() != 0)
        return shipped;
    TTF_Font* probe = TTF_OpenFont(chosen.c_str(), 16);
    if (!probe)
        return shipped;
    TTF_CloseFont(probe);
    return chosen;
}

vell::Settings desktopSettings(const Store& store)
{
    vell::Settings settings;
    settings.windowWidth = settings.logicalWidth = 1280;
    settings.windowHeight = settings.logicalHeight = 720;
    settings.fullscreen = false;
    settings.fitToDisplay = true;
    // 1280 x 720 is the design size: the layout follows the window at a UI scale
    // picked from it (exactly 1 at 1280 x 720) or chosen under Settings.
    settings.layoutFollowsWindow = true;
    settings.resizable = true;
    settings.assetBudget = 100663296;
    settings.assetLimit = 1024;
    settings.title = "Sonaria";
    settings.fontPath = usableFontPath();
    settings.iconFontPath = platform::assetPath("fonts/MaterialIcons-Regular.ttf");
    settings.themeMode = store.dark ? 0 : 1;
    settings.styleOverrides = appStyles();
    return settings;
}

class Sonaria {
public:
    int run();

private:
    void begin();
    void ping(bool verbose);
    void hookNav();
    void addNavButtons();
    void installBindings();
    void selectNav(unsigned slot);
#ifdef SONARIA_TESTHOOKS
    // The pad script's "do" lines: the screen commands, and "nav <slot>",
    // "album|artist|playlist <id>", "queue", "dialog", "theme light|dark", "search <text>",
    // "interface-size <percent>" (not stored; 0 for Auto).
    void testCommand(const std::string& command);
#endif
    void updateOnline(bool announce);
    void buildMain();
    void showLogin();
    void signOut();
    void onEvent(const SDL_Event& event);
    void onFrame(float seconds);

    // Shows `view` as the only entry of the view stack and hands focus to it.
    void replaceStack(const vell::ViewPtr& view);
    void toggleQueue();
    void toggleFullScreen();
    void useKeyboardNames();
    void toast(const std::string& title, const std::string& detail, unsigned icon, float seconds);

    // Transport of the play queue: the global keys and the media keys.
    void togglePause() { m_player->togglePause(); }
    void previous() { m_player->previous(); }
    void next() { m_player->next(); }
    void startPlayer();
    void shutDown();
    void requestTimedFrames();

    // Held for the whole run: one Sonaria per data folder.
    InstanceLock m_instance;
    vell::Engine m_engine;
    // After the engine: the player plays through the engine's music player and must go first.
    std::unique_ptr<PlayerCore> m_player;
    MediaControls m_media;
    std::unique_ptr<QueueSync> m_sync; // the queue on the server, after the player it reads
    ResumeOffer m_resumeOffer;
    vell::Shell* m_shell = nullptr;
    std::array<NavEntry, kSlotCount> m_slots;
    vell::ViewPtr m_loginView;
    std::shared_ptr<LoginPage> m_loginPage;
    bool m_reachable = false;
    bool m_started = false;
    float m_pingTimer = 0;
};

int Sonaria::run()
{
    platform::pinDirectories();
    // Before anything in the data folder is read or swept: it may be another run's.
    if (const int status = claimDataFolder(m_instance); status >= 0)
        return status;
    Services& s = services();
    // State temporaries a kill left inside writeFileAtomic; nothing has read them yet.
    removeTemporaries(platform::dataDir(), ".tmp");
    s.store.load();
    // Temporaries of transfers cut short by the last exit; no transfer runs yet.
    for (const std::string& dir : { platform::cacheDir() + "/tracks", platform::dataDir() + "/offline",
                                    platform::dataDir() + "/covers" })
        removeTemporaries(dir);
    const vell::Settings settings = desktopSettings(s.store);
    s.net.insecure = s.store.insecure;
    s.net.requestPool.start(deviceProfile().requestWorkers);
    s.net.downloadPool.start(deviceProfile().downloadWorkers);
    s.net.streamPool.start(kStreamWorkers);

    testhooks::attachPad();
    if (!m_engine.init(settings)) {
        std::fprintf(stderr, "VellUI init failed: %s\n", SDL_GetError());
        return 1;
    }
    s.engine = &m_engine;
    // Replies queued by the worker threads wake a loop that sleeps for want of events.
    s.net.wake = &vell::wakeEngine;
    m_shell = &m_engine.shell();
    m_engine.theme().setAccent(s.store.palette);
    if (!m_engine.input().controller)
        useKeyboardNames();

    startPlayer();
    m_instance.setNote(m_media.start(*m_player, m_engine));
    trimStreamCache(platform::cacheDir() + "/tracks");
    s.downloads.onToast = [](const std::string& title, const std::string& detail, unsigned icon,
                             float seconds) { cad::toast(title, detail, icon, seconds); };
    s.downloads.isOnline = [] { return services().online; };
    s.downloads.onFinished = DownloadToasts([] { return services().downloads.pending(); },
                                            s.downloads.onToast);
    s.downloads.restore();

    hookNav();
    auto logo = vell::image(platform::assetPath("logo.png"));
    logo->style().width = vell::SizeSpec::fixed(64);
    logo->style().height = vell::SizeSpec::fixed(64);
    logo->style().radius = 32;
    m_shell->navHeader->add(logo);
    addNavButtons();
    m_shell->drawer->addChild(queueDrawer());
    m_shell->drawer->style().width = vell::SizeSpec::fixed(kDrawerWidth);
    m_shell->nav->visible = false;
    installBindings();
    m_engine.onEvent = [this](const SDL_Event& event) { onEvent(event); };
    m_engine.onFrame = [this](float seconds) { onFrame(seconds); };

    begin();
    while (m_engine.frame()) {
    }

    shutDown();
    return 0;
}

void Sonaria::startPlayer()
{
    Services& s = services();
    m_player = std::make_unique<PlayerCore>(s.net, s.subsonic, s.store, m_engine.music());
    s.player = m_player.get();
    s.store.volume = std::clamp(s.store.volume, 0.0f, 1.0f);
    m_engine.music().setVolume(s.store.volume);
    m_engine.setUiScale(interfaceScale(s.store.uiScale));
    m_player->restoreQueue();
    m_sync = std::make_unique<QueueSync>(s.subsonic, s.store, *m_player);
    m_sync->onOffer = [this](const Subsonic::PlayQueue& queue) {
        m_resumeOffer.show(m_engine, queue, [this] {
            if (m_sync->accept() && nav().showNowPlaying)
                nav().showNowPlaying();
        });
    };
    m_player->onMessage = [](const std::string& message) {
        cad::toast("Playback problem", message, kErrorIcon, 5.0f);
    };
}

// Running transfers are cancelled before the pools are joined, so quitting never
// waits for a song download (the download list stays saved for the next run);
// completions that arrived are still delivered (a download that finished gets its
// library entry) before the state is saved.
void Sonaria::shutDown()
{
    Services& s = services();
    m_sync->saveAtQuit(s.net);
    s.downloads.suspend();
    s.net.cancelAll();
    s.net.stopPools();
    s.net.poll();
    m_player->saveQueue();
    s.store.save();
    s.net.shutdown();
    s.downloads.onFinished = nullptr;
    s.downloads.onToast = nullptr;
    s.downloads.isOnline = nullptr;
    m_media.stop();
    s.player = nullptr;
    m_sync.reset();
    m_player.reset();
    s.net.wake = nullptr;
    s.engine = nullptr;
    nav() = Nav {}; // the hooks point at this controller
}

void Sonaria::useKeyboardNames()
{
    m_engine.input().mergeButtonNames(vell::keyboardButtonNames());
}

void Sonaria::installBindings()
{
    auto& bindings = m_engine.bindings();
    bindings.push_back({ vell::Start, "Play/Pause", [this] { togglePause(); }, true, false, "Play" });
    bindings.push_back({ vell::Select, "Up next", [this] { toggleQueue(); }, true, false, "Queue" });
    bindings.push_back({ vell::L, "Previous", [this] { previous(); }, true, false, "Prev" });
    bindings.push_back({ vell::R, "Next", [this] { next(); }, true });
}

// ---- Start-up decision ----

void Sonaria::begin()
{
    Services& s = services();
    if (!s.store.hasCredentials()) {
        showLogin();
        return;
    }
    s.subsonic.configure({ s.store.url, s.store.user, s.store.salt, s.store.token });
    replaceStack(connectingView());
    m_shell->nav->visible = false;
    if (s.store.offlineForced) {
        m_reachable = false;
        buildMain();
        return;
    }
    s.subsonic.ping([this](bool ok, const std::string&) {
        m_reachable = ok;
        buildMain();
    });
}

void Sonaria::showLogin()
{
    m_loginPage = std::make_shared<LoginPage>();
    m_loginView = presentPage(m_loginPage);
    replaceStack(m_loginView);
    m_shell->nav->visible = false;
}

void Sonaria::buildMain()
{
    if (m_started)
        return;
    m_started = true;
    updateOnline(false);
    for (unsigned slot = 0; slot < kSlotCount; ++slot) {
        m_slots[slot].page = makeNavPage(slot);
        m_slots[slot].view = presentPage(m_slots[slot].page);
    }
    m_shell->nav->visible = true;
    const Store& store = services().store;
    const bool online = services().online;
    selectNav(online ? kHomeSlot : kOfflineSlot);
    if (!online && store.hasCredentials() && !store.offlineForced)
        toast("Offline mode", "Couldn't reach the server", kCloudOff, 5.0f);
    m_loginView.reset();
    m_loginPage.reset();
    m_player->flushScrobbles();
}

void Sonaria::addNavButtons()
{
    for (unsigned slot = 0; slot < kSlotCount; ++slot) {
        if (deviceProfile().compactNavigation && !kNavRows[slot].compact)
            continue;
        auto button = vell::button("", kNavRows[slot].icon, "nav");
        button->group = "nav";
        button->onClick = [this, slot] { selectNav(slot); };
        m_slots[slot].button = button;
        m_shell->navBody->add(button);
    }
}

// ---- Navigation ----

void Sonaria::replaceStack(const vell::ViewPtr& view)
{
    m_shell->viewStack.clear();
    m_shell->viewStack.push_back(view);
    m_shell->show(view, 1);
    m_shell->handOverFocus(view);
    testhooks::log("view", view->title);
}

void Sonaria::selectNav(unsigned slot)
{
    if (slot >= kSlotCount || !m_slots[slot].page)
        return;
    if (m_shell->drawerOpen())
        m_shell->closeDrawer();
    if (m_shell->viewHost->current() != m_slots[slot].view)
        replaceStack(m_slots[slot].view);
    for (unsigned i = 0; i < kSlotCount; ++i) {
        auto& button = m_slots[i].button;
        if (!button || button->checked == (i == slot))
            continue;
        button->setChecked(i == slot);
        if (button->onChange)
            button->onChange(i == slot);
    }
}

void Sonaria::toggleQueue()
{
    if (m_shell->drawerOpen())
        m_shell->closeDrawer();
    else
        m_shell->openDrawer();
}

void Sonaria::hookNav()
{
    Nav& n = nav();
    n.openAlbum = [this](const std::string& id) { testhooks::log("view", pushPage(*m_shell, std::make_shared<CollectionPage>(CollectionKind::Album, id))->title); };
    n.openPlaylist = [this](const std::string& id) { testhooks::log("view", pushPage(*m_shell, std::make_shared<CollectionPage>(CollectionKind::Playlist, id))->title); };
    n.openArtist = [this](const std::string& id) { testhooks::log("view", pushPage(*m_shell, std::make_shared<ArtistPage>(id))->title); };
    n.showNowPlaying = [this] { selectNav(kNowPlayingSlot); };
    n.toggleQueue = [this] { toggleQueue(); };
    n.showOffline = [this] { selectNav(kOfflineSlot); };
    n.showHome = [this] { selectNav(kHomeSlot); };
    n.showSearch = [this] { selectNav(kSearchSlot); };
    n.checkServer = [this] { ping(true); };
    n.refreshOnline = [this] { updateOnline(true); };
    n.signedIn = [this] {
        m_reachable = true;
        buildMain();
    };
    n.signOut = [this] { signOut(); };
    n.toast = [this](const std::string& title, const std::string& detail, float seconds, unsigned icon) {
        m_shell->toast(title, detail, icon, seconds);
        testhooks::log("toast", title, detail);
    };
}

void Sonaria::toast(const std::string& title, const std::string& detail, unsigned icon, float seconds)
{
    cad::toast(title, detail, icon, seconds);
}

// ---- Online state ----

void Sonaria::updateOnline(bool announce)
{
    Services& s = services();
    const bool online = isOnline(m_reachable, s.store);
    const bool changed = online != s.online;
    s.online = online;
    s.covers.offline = !online;
    m_player->offline = !online;
    s.lyrics.offline = !online;
    m_sync->setOnline(online && m_started);
    if (changed && online) {
        m_player->flushScrobbles();
        s.lyrics.forgetFailures();
    }
    if (!changed || !announce || !m_started)
        return;
    if (online)
        toast("Back online", "", kCloudDone, 3.5f);
    else
        toast("Offline mode", "", kCloudOff, 3.5f);
}

void Sonaria::ping(bool verbose)
{
    if (!services().store.hasCredentials())
        return;
    services().subsonic.ping([this, verbose](bool ok, const std::string& error) {
        m_reachable = ok;
        updateOnline(true);
        if (ok && verbose && services().store.offlineForced)
            toast("Server reachable", "Turn off offline mode to use it", kCloudDone, 3.5f);
        if (!ok && verbose)
            toast("Couldn't reach the server", error, kCloudOff, 5.0f);
    });
}

void Sonaria::signOut()
{
    Services& s = services();
    m_player->clear();
    s.lyrics.clear();
    s.downloads.cancelAll();
    s.store.url.clear();
    s.store.user.clear();
    s.store.salt.clear();
    s.store.token.clear();
    s.store.save();
    s.subsonic.configure({});
    m_reachable = false;
    m_started = false;
    updateOnline(false);
    if (m_shell->drawerOpen())
        m_shell->closeDrawer();
    showLogin();
    m_slots = {};
    m_shell->navBody->clearChildren();
    addNavButtons();
}

// ---- Engine hooks ----

void Sonaria::toggleFullScreen()
{
    SDL_Window* window = m_engine.window();
    if (!window)
        return;
    const Uint32 flags = SDL_GetWindowFlags(window);
    const bool full = flags & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_SetWindowFullscreen(window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void Sonaria::onEvent(const SDL_Event& event)
{
    TextField* field = TextField::editingField();
    if (field && !field->dialogMode && field->handleEvent(event))
        return;
    if (event.type != SDL_KEYDOWN)
        return;
    switch (event.key.keysym.sym) {
    case SDLK_F11: toggleFullScreen(); break;
    case SDLK_AUDIONEXT: next(); break;
    case SDLK_AUDIOPREV: previous(); break;
    case SDLK_AUDIOSTOP:
    case SDLK_AUDIOPLAY: togglePause(); break;
    default: break;
    }
}

#ifdef SONARIA_TESTHOOKS
void Sonaria::testCommand(const std::string& command)
{
    if (testhooks::screenCommand(m_engine, command))
        return;
    const size_t space = command.find(' ');
    const std::string verb = command.substr(0, space);
    const std::string arg = space == std::string::npos ? std::string() : command.substr(space + 1);
    Nav& n = nav();
    if (verb == "nav")
        selectNav(unsigned(std::strtoul(arg.c_str(), nullptr, 10)));
    else if (verb == "album" && n.openAlbum)
        n.openAlbum(arg);
    else if (verb == "artist" && n.openArtist)
        n.openArtist(arg);
    else if (verb == "playlist" && n.openPlaylist)
        n.openPlaylist(arg);
    else if (verb == "queue" && n.toggleQueue)
        n.toggleQueue();
    else if (verb == "dialog")
        askDeleteDownloads();
    else if (verb == "theme")
        m_engine.theme().setMode(arg == "light" ? 1 : 0);
    else if (verb == "interface-size")
        m_engine.setUiScale(interfaceScale(int32_t(std::strtol(arg.c_str(), nullptr, 10))));
    else if (verb == "search") {
        selectNav(kSearchSlot);
        if (auto page = std::dynamic_pointer_cast<SearchPage>(m_slots[kSearchSlot].page)) {
            page->field->setText(arg);
            page->run();
        }
    }
    else
        testhooks::log("do", "unknown", command);
}
#endif

void Sonaria::onFrame(float seconds)
{
    platform::frame();
    if (const int delay = testhooks::frameDelayMs())
        SDL_Delay(Uint32(delay));
#ifdef SONARIA_TESTHOOKS
    testhooks::padFrame(seconds, { [this] {
        std::string out = testhooks::texts(*m_shell->root);
        for (const auto& layer : m_shell->layers)
            out += testhooks::texts(*layer.panel);
        return out;
    }, [this] {
        // A control without text of its own (a toggle) is named by its row, after a "~".
        vell::Widget* focus = m_engine.focus();
        std::string out = focus ? testhooks::texts(*focus) : std::string();
        if (out.empty() && focus && focus->parent)
            out = "~" + testhooks::texts(*focus->parent);
        return out;
    }, [this](const std::string& command) { testCommand(command); } });
    // The pad script's waits and presses advance with frames, and an idle loop sleeps.
    static const bool scripted = std::getenv("SONARIA_TEST_PAD") != nullptr;
    if (scripted)
        m_engine.requestFrameIn(0.01);
    testhooks::notePlaying(m_engine.music().state() == vell::MusicState::Playing, m_engine.music().path());
#endif
    TextField* field = TextField::editingField();
    std::string entered;
    if (field && field->dialogMode) {
        // The submit may close the page that owns the field.
        auto keepAlive = field->shared_from_this();
        const auto result = platform::pollTextDialog(entered);
        if (result != platform::DialogResult::None) {
            TextField::noteDialogResult(SDL_GetTicks());
            if (result == platform::DialogResult::Accepted) {
                field->setText(entered);
                if (field->onChange)
                    field->onChange(field->text);
                if (auto submit = field->onSubmit)
                    submit(field->text);
            }
            // The submit may have moved the edit to another field already.
            if (field->editing && field->dialogMode)
                field->endEdit();
        }
    }
    Services& s = services();
    s.net.poll();
    s.downloads.schedule();
    m_player->tick(seconds);
    m_media.frame();
    m_sync->tick();
    m_resumeOffer.tick(m_engine);
    for (auto& slot : m_slots) {
        if (slot.page)
            slot.page->tick(seconds);
    }
    if (m_loginPage)
        m_loginPage->tick(seconds);

    // `seconds` is real time, long after the loop slept; the loop is asked to wake
    // for the next retry.
    m_pingTimer += seconds * testhooks::clockScale();
    if (m_started && !m_reachable && !s.store.offlineForced) {
        if (m_pingTimer > kPingInterval) {
            m_pingTimer = 0;
            if (s.store.hasCredentials())
                ping(false);
        }
        m_engine.requestFrameIn((kPingInterval - m_pingTimer) / testhooks::clockScale() + 0.001);
    }
    requestTimedFrames();
}

// Work that moves without input events needs frames while it lasts: download
// progress rings, a stream being fetched, the queue save and the flush of pending
// plays (their timers count real time, so a frame a second is enough for them).
void Sonaria::requestTimedFrames()
{
    const Services& s = services();
    // Waiting downloads (restored ones too) go nowhere while offline.
    const bool downloading = s.downloads.running() > 0 || (s.online && s.downloads.pending() > 0);
    if (downloading || m_player->fetching)
        m_engine.requestFrameIn(0.1f);
    else if (m_player->changeCount != m_player->savedCount || !s.store.pendingScrobbles.empty() || m_sync->busy())
        m_engine.requestFrameIn(1.0f);
}

} // namespace

int runSonaria()
{
    Sonaria app;
    return app.run();
}

} // namespace cad

// The Albums page over a library of 1,000 albums from our test server, on the
// software renderer in an offscreen window of 1280 x 720, or of the size given as
// SONARIA_BENCH_SIZE=WxH (the layout follows the window as on a handheld; one size per
// run, so RssAnon belongs to that size alone):
// - first12_ms: from opening the page to its first 12 covers drawn (all on a screen that
//   holds fewer), with every cover
//   already in the disk cache (a fresh engine, so no texture is in memory);
// - median_ms, p99_ms: whole engine frames while the grid scrolls from the top to the
//   bottom (40 px a frame), with the server paging the albums in and the covers
//   decoded from the disk cache as rows appear;
// - rss_anon_kb: RssAnon once every cover was shown and the page came to rest;
//   copies_kb and pictures_kb: how much of it the pictures kept at their shown size
//   and the decoded pictures take then.
// The first run fills the cover cache (a warm-up pass) and is not measured.
//
//   bench_albums_scroll                              (needs python3; starts tests/server/subsonic_server.py)
//   SONARIA_BENCH_SIZE=640x480 bench_albums_scroll

#include "bench/bench_server.h"
#include "app/net/credentials.h"
#include "app/ui/pages/albums_page.h"
#include "app/ui/app_styles.h"
#include "app/ui/widgets/cover.h"
#include "app/ui/page_push.h"
#include "app/ui/services.h"
#include "vell/engine.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kAlbums = 1000;
constexpr int kFixedAlbums = 5; // the server's own library before the generated ones

std::string dataFile(const std::string& relative)
{
    char* base = SDL_GetBasePath();
    const std::string dir = base ? base : "./";
    SDL_free(base);
    for (const std::string& candidate : { dir + "data/" + relative, dir + "../data/" + relative })
        if (std::ifstream(candidate).good())
            return candidate;
    return dir + "data/" + relative;
}

long rssAnonKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("RssAnon:", 0) == 0)
            return std::strtol(line.c_str() + 8, nullptr, 10);
    return -1;
}

vell::Settings benchSettings(int width, int height)
{
    vell::Settings settings;
    settings.title = "albums scroll bench";
    settings.windowWidth = settings.logicalWidth = width;
    settings.windowHeight = settings.logicalHeight = height;
    settings.layoutFollowsWindow = true;
    settings.vsync = false;
    settings.fps = 0;
    settings.audio = false;
    settings.assetBudget = 100663296;
    settings.assetLimit = 1024;
    settings.fontPath = dataFile("fonts/font.ttf");
    settings.iconFontPath = dataFile("fonts/MaterialIcons-Regular.ttf");
    settings.styleOverrides = cad::appStyles();
    return settings;
}

// Every Cover below `root` that is on screen.
void visibleCovers(vell::Widget& root, float bottom, std::vector<cad::Cover*>& out)
{
    if (!root.visible)
        return;
    if (auto cover = dynamic_cast<cad::Cover*>(&root); cover && cover->rect.y < bottom && cover->rect.y + cover->rect.h > 0)
        out.push_back(cover);
    for (const auto& child : root.children)
        visibleCovers(*child, bottom, out);
}

// Whether the first `wanted` covers on screen show their pictures (all of them on a
// screen that holds fewer).
bool coversShown(vell::Engine& engine, size_t wanted)
{
    std::vector<cad::Cover*> covers;
    visibleCovers(*engine.shell().root, engine.logicalSize().h, covers);
    const size_t shown = size_t(std::count_if(covers.begin(), covers.end(), [](cad::Cover* c) { return c->revealed(); }));
    return !covers.empty() && shown >= std::min(wanted, covers.size());
}

// An engine showing a fresh Albums page; frames pump the Net like the controller.
struct Session {
    vell::Engine engine;
    std::shared_ptr<cad::AlbumsPage> page;

    int width = 1280, height = 720;

    bool open()
    {
        if (!engine.init(benchSettings(width, height)))
            return false;
        cad::services().engine = &engine;
        engine.onFrame = [](float) { cad::services().net.poll(); };
        page = std::make_shared<cad::AlbumsPage>();
        cad::pushPage(engine.shell(), page);
        return true;
    }
    ~Session()
    {
        cad::services().engine = nullptr;
        page.reset();
    }
    bool runUntil(const std::function<bool()>& done, double seconds)
    {
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end) {
            engine.frame();
            if (done())
                return true;
        }
        return false;
    }
    vell::ListView& list() { return *page->grid.list; }
    bool atBottom() { return page->exhausted && !page->loading && list().scrollY.value >= list().maxY() - 1; }
};

void BM_AlbumsScroll(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
    // SONARIA_BENCH_HOME keeps the cover cache between runs, which skips most of the warm-up.
    const char* keptHome = getenv("SONARIA_BENCH_HOME");
    const std::string home = keptHome ? keptHome
                                      : (std::filesystem::temp_directory_path() / ("sonaria-bench-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(home);
    setenv("CADDIS_HOME", home.c_str(), 1);

    BenchServer server(home, { "--albums", std::to_string(kAlbums - kFixedAlbums) });
    if (server.port.empty()) {
        state.SkipWithError("the test server did not start");
        return;
    }
    cad::Services& s = cad::services();
    s.store.load();
    s.net.requestPool.start(3);
    const std::string salt = "bench1";
    s.subsonic.configure({ server.url(), "demo", salt, cad::makeToken("demo", salt) });
    s.online = true;

    // Warm-up: page every album in and let every cover reach the disk cache.
    {
        Session warm;
        if (!warm.open()) {
            state.SkipWithError(SDL_GetError());
            return;
        }
        warm.runUntil([&] {
            warm.list().scrollBy(warm.engine.context(), { 0, 60 });
            return warm.atBottom();
        }, 600);
        int files = 0;
        warm.runUntil([&] {
            files = 0;
            for (auto& entry : std::filesystem::directory_iterator(home + "/data/covers"))
                files += entry.path().extension() == ".jpg";
            return files >= kAlbums;
        }, 300);
        state.counters["covers_cached"] = files;
    }

    for (auto _ : state) {
        Session run;
        if (const char* size = getenv("SONARIA_BENCH_SIZE"); size && std::sscanf(size, "%dx%d", &run.width, &run.height) != 2) {
            state.SkipWithError("SONARIA_BENCH_SIZE is not WxH");
            return;
        }
        state.SetLabel(std::to_string(run.width) + "x" + std::to_string(run.height));
        if (!run.open()) {
            state.SkipWithError(SDL_GetError());
            return;
        }
        const auto opened = Clock::now();
        run.runUntil([&] { return coversShown(run.engine, 12); }, 60);
        const double first12 = std::chrono::duration<double, std::milli>(Clock::now() - opened).count();

        std::vector<double> frameMs;
        for (int i = 0; i < 100000 && !run.atBottom(); ++i) {
            run.list().scrollBy(run.engine.context(), { 0, 40 });
            const auto start = Clock::now();
            run.engine.frame();
            frameMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        run.runUntil([&] { return coversShown(run.engine, 10); }, 30);
        run.runUntil([&] { return run.engine.lastIdleWait() > 0; }, 10); // at rest
        const long rss = rssAnonKb();
        const vell::ScaledCopies& copies = run.engine.renderer().scaledCopies();
        state.counters["copies_kb"] = double((copies.bytes() + copies.spareBytes()) / 1024);
        state.counters["pictures_kb"] = double(run.engine.assets().totalBytes() / 1024);
        std::sort(frameMs.begin(), frameMs.end());
        state.counters["first12_ms"] = first12;
        state.counters["frames"] = double(frameMs.size());
        state.counters["median_ms"] = frameMs.empty() ? 0 : frameMs[frameMs.size() / 2];
        state.counters["p99_ms"] = frameMs.empty() ? 0 : frameMs[std::min(frameMs.size() - 1, frameMs.size() * 99 / 100)];
        state.counters["rss_anon_kb"] = double(rss);
        state.counters["albums"] = double(run.page->grid.albums->size());
    }
    s.net.shutdown();
    if (!keptHome)
        std::filesystem::remove_all(home);
}

} // namespace

BENCHMARK(BM_AlbumsScroll)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

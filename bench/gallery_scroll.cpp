// Frame time of the gallery's 10,000-row list scrolling continuously: the
// whole engine frame (input, shell update, layout, painting, present) on the
// software renderer at 1280 x 720 in an offscreen window. Reports the median
// and 99th-percentile frame time and the most rows alive at once.

#include "tools/gallery/gallery_list.h"

#include "vell/engine.h"
#include "vell/view.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

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

void BM_GalleryListScroll(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);

    vell::Settings settings;
    settings.title = "gallery scroll bench";
    settings.windowWidth = settings.logicalWidth = 1280;
    settings.windowHeight = settings.logicalHeight = 720;
    settings.vsync = false;
    settings.fps = 0;
    settings.audio = false;
    settings.fontPath = dataFile("fonts/font.ttf");
    settings.iconFontPath = dataFile("fonts/MaterialIcons-Regular.ttf");

    vell::Engine engine;
    if (!engine.init(settings)) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    auto view = std::make_shared<vell::View>();
    view->title = "List";
    auto list = gallery::longList();
    view->root = view->body = list;
    engine.shell().push(view);
    for (int i = 0; i < 30; ++i) // settle the view transition and text caches
        engine.frame();

    std::vector<double> frameMs;
    size_t mostRows = 0;
    for (auto _ : state) {
        if (list->scrollY.target >= list->maxY())
            list->scrollTo({ 0, 0 });
        list->scrollBy(engine.context(), { 0, 40 });
        const auto start = std::chrono::steady_clock::now();
        engine.frame();
        const auto end = std::chrono::steady_clock::now();
        frameMs.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        mostRows = std::max(mostRows, list->rows.size());
    }
    if (frameMs.empty())
        return;
    std::sort(frameMs.begin(), frameMs.end());
    state.counters["median_ms"] = frameMs[frameMs.size() / 2];
    state.counters["p99_ms"] = frameMs[std::min(frameMs.size() - 1, frameMs.size() * 99 / 100)];
    state.counters["rows_alive_max"] = double(mostRows);
}

} // namespace

BENCHMARK(BM_GalleryListScroll)->Iterations(3000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

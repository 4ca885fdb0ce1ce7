// What one save of a 2,000-entry offline.json costs the frame that makes it: the JSON
// text, the write, the flush of the temporary and of the folder, and the rename.
// The frame loop makes saves on the UI thread; the audio callback never waits for one.
#include "app/core/library.h"
#include "app/core/platform.h"
#include "app/core/store.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

cad::Song song(int n)
{
    cad::Song s;
    s.id = "tr-" + std::to_string(n * 2654435761u);
    s.title = "Song number " + std::to_string(n);
    s.album = "Album " + std::to_string(n / 12);
    s.albumId = "al-" + std::to_string(n / 12);
    s.artist = "Artist " + std::to_string(n / 40);
    s.artistId = "ar-" + std::to_string(n / 40);
    s.coverArt = s.albumId;
    s.suffix = "mp3";
    s.duration = 180 + n % 120;
    s.bitRate = 320;
    s.size = 7'000'000 + n;
    return s;
}

void SaveOfflineIndex(benchmark::State& state)
{
    const std::string home = std::filesystem::temp_directory_path() / ("sonaria-bench-" + std::to_string(::getpid()));
    setenv("CADDIS_HOME", home.c_str(), 1);
    cad::Store store;
    for (int n = 0; n < state.range(0); ++n)
        store.offline.push_back({ song(n), home + "/data/offline/" + std::to_string(n) + ".mp3" });
    for (auto _ : state) {
        if (!store.saveOffline())
            state.SkipWithError("offline.json was not written");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * cad::platform::fileSize(home + "/data/offline.json"));
    cad::platform::removeTree(home);
}

// The same bytes written and renamed without any flush: what a save cost before.
void WriteWithoutFlush(benchmark::State& state)
{
    const std::string home = std::filesystem::temp_directory_path() / ("sonaria-bench-" + std::to_string(::getpid()));
    setenv("CADDIS_HOME", home.c_str(), 1);
    cad::Store store;
    for (int n = 0; n < state.range(0); ++n)
        store.offline.push_back({ song(n), home + "/data/offline/" + std::to_string(n) + ".mp3" });
    store.saveOffline();
    const std::string path = home + "/data/offline.json";
    const std::string text = cad::platform::readFile(path);
    for (auto _ : state) {
        std::ofstream(path + ".tmp", std::ios::binary) << text;
        cad::platform::renameFile(path + ".tmp", path);
    }
    cad::platform::removeTree(home);
}

} // namespace

BENCHMARK(SaveOfflineIndex)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteWithoutFlush)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

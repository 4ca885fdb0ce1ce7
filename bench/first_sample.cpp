// From playIndex to the first sample handed to the sound device, for a song fetched from our
// test server limited to 2 MB/s (its throttle fault on every stream request):
// - BM_FirstSample/0: a 40 MB FLAC at "Original" (the file as it is);
// - BM_FirstSample/320: the same song at 320 kbps (the server's mp3 of it, made before timing
//   starts: our test server transcodes ahead, a real one while it sends).
// Counters: first_sample_ms (now), whole_transfer_ms (the time the complete stream takes at
// 2 MB/s: what the player waited before it could play a stream that was still arriving), and
// the stream's size. The device is SDL's "dummy" driver, which takes samples at the real pace.
//
//   bench_first_sample            (needs python3, ffmpeg; starts tests/server/subsonic_server.py)

#include "bench/bench_server.h"
#include "app/core/platform.h"
#include "app/core/store.h"
#include "app/net/credentials.h"
#include "app/net/net.h"
#include "app/net/subsonic.h"
#include "app/player/player_core.h"
#include "vell/asset_loader.h"
#include "vell/music_player.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBytesPerSecond = 2'000'000;
constexpr double kBigSeconds = 240; // two channels of white noise in 16-bit FLAC: about 40 MB

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

// The server's media with song tr-4 ("Polar Night", FLAC) replaced by a 40 MB file.
bool prepareMedia(const std::string& dir)
{
    const std::string tools = std::string(SONARIA_SOURCE_DIR) + "/tests/server";
    const std::string flac = dir + "/tr-4.flac";
    const std::string seconds = std::to_string(kBigSeconds);
    return run("python3 '" + tools + "/make_media.py' '" + dir + "' >/dev/null")
        && run("ffmpeg -nostdin -v error -y -f lavfi -i anoisesrc=c=white:a=0.5:seed=1:d=" + seconds
               + " -f lavfi -i anoisesrc=c=white:a=0.5:seed=2:d=" + seconds
               + " -filter_complex amerge=inputs=2 -ar 44100 -c:a flac -sample_fmt s16 '" + flac + "'")
        && run("python3 -c 'import json, os, sys; p = sys.argv[1] + \"/index.json\"; i = json.load(open(p)); "
               "i[\"tr-4\"] = {\"seconds\": float(sys.argv[2]), \"size\": os.path.getsize(sys.argv[1] + \"/tr-4.flac\")}; "
               "json.dump(i, open(p, \"w\"))' '" + dir + "' " + std::to_string(kBigSeconds));
}

// Every stream request from now on is sent at kBytesPerSecond.
bool throttle(const BenchServer& server)
{
    return run("curl -s -f -X POST -d '{\"endpoint\": \"stream\", \"times\": -1, \"throttleBytesPerSecond\": "
               + std::to_string(kBytesPerSecond) + "}' " + server.url() + "/__test/faults >/dev/null");
}

struct Player {
    vell::AssetLoader loader;
    vell::MusicPlayer music;
    cad::Net net;
    cad::Subsonic subsonic { net };
    cad::Store store;
    std::unique_ptr<cad::PlayerCore> core;

    bool start(const BenchServer& server)
    {
        if (!loader.start(nullptr, 1 << 20, 1024) || !music.openAudio(&loader))
            return false;
        store.load();
        net.requestPool.start(2);
        net.streamPool.start(2);
        subsonic.configure({ server.url(), "demo", "bench1", cad::makeToken("demo", "bench1") });
        core = std::make_unique<cad::PlayerCore>(net, subsonic, store, music);
        return true;
    }
    ~Player()
    {
        core.reset();
        net.shutdown();
        loader.stop();
        music.closeAudio();
    }
    void frame()
    {
        loader.pump();
        music.update(0.001f);
        net.poll();
        core->tick(0.001f);
    }
    // Frames every millisecond until `done`, or 120 s; the seconds it took, or -1.
    double until(const std::function<bool()>& done)
    {
        const auto start = Clock::now();
        while (!done()) {
            if (Clock::now() - start > std::chrono::seconds(120))
                return -1;
            frame();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return std::chrono::duration<double>(Clock::now() - start).count();
    }
};

cad::Song bigSong()
{
    cad::Song s;
    s.id = "tr-4";
    s.title = "Polar Night";
    s.suffix = "flac";
    s.duration = int(kBigSeconds);
    return s;
}

void BM_FirstSample(benchmark::State& state)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const int kbps = int(state.range(0));
    const std::string home = (std::filesystem::temp_directory_path() / ("sonaria-bench-first-" + std::to_string(getpid()))).string();
    const std::string media = home + "/media";
    std::filesystem::create_directories(media);
    setenv("CADDIS_HOME", (home + "/app").c_str(), 1);
    if (!prepareMedia(media)) {
        state.SkipWithError("the media could not be made");
        return;
    }
    BenchServer server(home, { "--media-dir", media });
    Player player;
    if (server.port.empty() || !player.start(server)) {
        state.SkipWithError("the test server or the audio device did not start");
        return;
    }
    player.store.streamKbps = kbps;
    const cad::Song song = bigSong();
    const std::string url = player.subsonic.streamUrl(song, kbps);
    // The server makes its mp3 on the first request; not part of what is measured.
    run("curl -s -o /dev/null '" + url + "'");
    if (!throttle(server)) {
        state.SkipWithError("no throttle fault");
        return;
    }
    const std::string tracks = cad::platform::cacheDir() + "/tracks";

    double first = 0, whole = 0, bytes = 0;
    for (auto _ : state) {
        std::filesystem::remove_all(tracks);
        player.core->setQueue({ song }, 0);
        const double heard = player.until([&] { return player.music.position() > 0; });
        state.SetIterationTime(std::max(heard, 0.0));
        if (heard < 0) {
            state.SkipWithError("nothing was heard");
            break;
        }
        first += heard;
        player.core->stop();
        player.until([&] { return !player.core->fetching; });

        // The whole stream at the same pace: what the player used to wait for.
        const std::string copy = home + "/whole";
        bool done = false, ok = false;
        auto transfer = player.net.fetchStream(url, copy, [&](bool success, const std::string&) { ok = success, done = true; });
        const double took = player.until([&] { return done; });
        whole += took;
        bytes += double(cad::platform::fileSize(copy));
        std::filesystem::remove(copy);
        if (!ok) {
            state.SkipWithError("the whole transfer failed");
            break;
        }
    }
    const double n = double(state.iterations());
    state.counters["first_sample_ms"] = 1000 * first / n;
    state.counters["whole_transfer_ms"] = 1000 * whole / n;
    state.counters["stream_MB"] = bytes / n / 1e6;
    std::filesystem::remove_all(home);
}

BENCHMARK(BM_FirstSample)->Arg(0)->Arg(320)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

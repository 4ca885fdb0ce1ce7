// A 200 MB song download over loopback: Net::download against the curl command line
// writing the same file, and the process's peak memory, which must not grow with the
// file (downloads stream to disk).
//
//   build/bench/bench_download
#include "app/net/net.h"
#include "tests/support/loopback_http_server.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

constexpr long long kBodyBytes = 200'000'000;

testing_support::LoopbackHttpServer& server()
{
    static testing_support::LoopbackHttpServer instance(
        testing_support::CannedReply::body(kBodyBytes, "audio/flac"));
    return instance;
}

const std::string& workDir()
{
    static const std::string dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "sonaria-bench-XXXXXX").string();
        return std::string(mkdtemp(pattern.data()) ? pattern : "/tmp");
    }();
    return dir;
}

double peakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB on Linux
}

double g_netSeconds = 0;
double g_curlSeconds = 0;

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_NetDownload(benchmark::State& state)
{
    cad::Net net;
    net.downloadPool.start(2);
    const std::string path = workDir() + "/net.flac";
    const std::string url = server().url("/rest/download");
    const double rssBefore = peakRssMiB();
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        bool finished = false;
        bool ok = false;
        net.download(url, path, [&](bool success, const std::string&) { finished = true; ok = success; }, false);
        while (!finished) {
            net.poll();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        total += secondsSince(start);
        if (!ok || std::filesystem::file_size(path) != std::uintmax_t(kBodyBytes))
            state.SkipWithError("download failed");
    }
    g_netSeconds = total / double(state.iterations());
    state.counters["peak_rss_before_MiB"] = rssBefore;
    state.counters["peak_rss_growth_MiB"] = peakRssMiB() - rssBefore;
    state.SetBytesProcessed(state.iterations() * kBodyBytes);
}

void BM_CurlCommandLine(benchmark::State& state)
{
    const std::string path = workDir() + "/cli.flac";
    const std::string command = "curl -s -o '" + path + "' '" + server().url("/rest/download") + "'";
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("curl failed");
        total += secondsSince(start);
    }
    g_curlSeconds = total / double(state.iterations());
    state.SetBytesProcessed(state.iterations() * kBodyBytes);
}

BENCHMARK(BM_NetDownload)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurlCommandLine)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_netSeconds > 0 && g_curlSeconds > 0)
        std::printf("Net::download / curl CLI wall time: %.3f (%.0f ms vs %.0f ms)\n",
                    g_netSeconds / g_curlSeconds, g_netSeconds * 1000, g_curlSeconds * 1000);
    std::error_code ignored;
    std::filesystem::remove_all(workDir(), ignored);
    return 0;
}

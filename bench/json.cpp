// Parse and write throughput of cad::Json on Subsonic replies of realistic shape,
// against nlohmann::json and RapidJSON on the same bytes.
#include "app/core/json.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdio>
#include <string>

using cad::Json;

namespace {

std::string serverId(const char* prefix, int n)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s%08x%08x", prefix, n * 2654435761u, n * 40503u + 17u);
    return buffer;
}

const char* const kGenres[] = { "Rock", "Jazz", "Électronique", "Hip-Hop", "Classical", "Folk" };
const char* const kWords[] = { "Blue", "Night", "Señorita", "Echoes", "\"Live\"", "Glass", "Été", "River", "東京", "Drift" };

std::string title(int n, int words)
{
    std::string text;
    for (int i = 0; i < words; ++i) {
        if (i)
            text += ' ';
        text += kWords[(n * 7 + i * 3) % 10];
    }
    return text;
}

Json album(int n)
{
    Json json;
    json.set("id", serverId("al", n))
        .set("name", title(n, 3))
        .set("artist", title(n + 5, 2))
        .set("artistId", serverId("ar", n / 3))
        .set("coverArt", "al-" + serverId("", n) + "_65f1b2c0")
        .set("songCount", 8 + n % 12)
        .set("duration", 1800 + (n * 37) % 2400)
        .set("playCount", n % 50)
        .set("created", "2023-11-0" + std::to_string(1 + n % 9) + "T12:34:56.789Z")
        .set("year", 1960 + n % 64)
        .set("genre", kGenres[n % 6]);
    if (n % 4 == 0)
        json.set("starred", "2024-02-03T04:05:06Z");
    return json;
}

Json song(int n)
{
    Json json;
    json.set("id", serverId("", n))
        .set("parent", serverId("al", n / 10))
        .set("isDir", false)
        .set("title", title(n, 4))
        .set("album", title(n / 10, 3))
        .set("artist", title(n / 30, 2))
        .set("track", 1 + n % 12)
        .set("year", 1960 + n % 64)
        .set("genre", kGenres[n % 6])
        .set("coverArt", "mf-" + serverId("", n) + "_65f1b2c0")
        .set("size", 3000000 + (n * 7919) % 9000000)
        .set("contentType", "audio/flac")
        .set("suffix", "flac")
        .set("duration", 120 + n % 300)
        .set("bitRate", 900 + n % 200)
        .set("path", title(n / 30, 2) + "/" + title(n / 10, 3) + "/" + std::to_string(1 + n % 12) + " - " + title(n, 4) + ".flac")
        .set("discNumber", 1)
        .set("created", "2023-11-05T12:34:56.789Z")
        .set("albumId", serverId("al", n / 10))
        .set("artistId", serverId("ar", n / 30))
        .set("type", "music")
        .set("isVideo", false)
        .set("bpm", 0)
        .set("comment", "")
        .set("replayGain", Json().set("trackGain", -7.23 - n % 5 * 0.11).set("albumPeak", 0.988525));
    if (n % 5 == 0)
        json.set("starred", "2024-02-03T04:05:06Z");
    return json;
}

Json envelope(const char* member, Json body)
{
    Json response;
    response.set("status", "ok")
        .set("version", "1.16.1")
        .set("type", "navidrome")
        .set("serverVersion", "0.52.5 (c5560888)")
        .set("openSubsonic", true)
        .set(member, std::move(body));
    return Json().set("subsonic-response", std::move(response));
}

std::string albumList()
{
    Json albums = Json::array();
    for (int i = 0; i < 500; ++i)
        albums.push(album(i));
    return envelope("albumList2", Json().set("album", std::move(albums))).dump();
}

std::string playlist()
{
    Json entries = Json::array();
    for (int i = 0; i < 10000; ++i)
        entries.push(song(i));
    Json list;
    list.set("id", "pl-1").set("name", "Everything").set("owner", "ann").set("public", false)
        .set("songCount", 10000).set("duration", 2700000).set("entry", std::move(entries));
    return envelope("playlist", std::move(list)).dump();
}

std::string search()
{
    Json artists = Json::array();
    for (int i = 0; i < 8; ++i)
        artists.push(Json().set("id", serverId("ar", i)).set("name", title(i, 2)).set("albumCount", 1 + i % 7).set("coverArt", "ar-" + serverId("", i)));
    Json albums = Json::array();
    for (int i = 0; i < 12; ++i)
        albums.push(album(i));
    Json songs = Json::array();
    for (int i = 0; i < 30; ++i)
        songs.push(song(i));
    Json result;
    result.set("artist", std::move(artists)).set("album", std::move(albums)).set("song", std::move(songs));
    return envelope("searchResult3", std::move(result)).dump();
}

const std::string& reply(int which)
{
    static const std::string replies[] = { albumList(), playlist(), search() };
    return replies[which];
}

void nameReply(benchmark::State& state)
{
    static const char* const names[] = { "getAlbumList2/500", "getPlaylist/10000", "search3" };
    state.SetLabel(names[state.range(0)]);
}

void finish(benchmark::State& state, size_t bytes)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    nameReply(state);
}

void parseOurs(benchmark::State& state)
{
    const std::string& text = reply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        bool ok = false;
        Json value = cad::parse(text, ok);
        benchmark::DoNotOptimize(value);
        if (!ok)
            state.SkipWithError("rejected");
    }
    finish(state, text.size());
}

void parseNlohmann(benchmark::State& state)
{
    const std::string& text = reply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto value = nlohmann::json::parse(text, nullptr, false);
        benchmark::DoNotOptimize(value);
    }
    finish(state, text.size());
}

void parseRapidJson(benchmark::State& state)
{
    const std::string& text = reply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        rapidjson::Document document;
        document.Parse(text.data(), text.size());
        benchmark::DoNotOptimize(document);
    }
    finish(state, text.size());
}

void dumpOurs(benchmark::State& state)
{
    const std::string& text = reply(static_cast<int>(state.range(0)));
    bool ok = false;
    Json value = cad::parse(text, ok);
    size_t bytes = 0;
    for (auto _ : state) {
        std::string out;
        value.dump(out, -1);
        bytes = out.size();
        benchmark::DoNotOptimize(out);
    }
    finish(state, bytes);
}

void dumpNlohmann(benchmark::State& state)
{
    auto value = nlohmann::json::parse(reply(static_cast<int>(state.range(0))));
    size_t bytes = 0;
    for (auto _ : state) {
        std::string out = value.dump();
        bytes = out.size();
        benchmark::DoNotOptimize(out);
    }
    finish(state, bytes);
}

void dumpRapidJson(benchmark::State& state)
{
    const std::string& text = reply(static_cast<int>(state.range(0)));
    rapidjson::Document document;
    document.Parse(text.data(), text.size());
    size_t bytes = 0;
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        document.Accept(writer);
        bytes = buffer.GetSize();
        benchmark::DoNotOptimize(buffer);
    }
    finish(state, bytes);
}

} // namespace

BENCHMARK(parseOurs)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(parseNlohmann)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(parseRapidJson)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(dumpOurs)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(dumpNlohmann)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(dumpRapidJson)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

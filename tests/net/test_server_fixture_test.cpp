// The Subsonic test server and its fixture, checked with plain libcurl so that the client's own
// tests can rely on them.
#include "support/subsonic_test_server.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

using testing_support::Fault;
using testing_support::SubsonicTestServer;
using Json = nlohmann::json;

struct Fetched {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string contentType;
    std::string body;

    Json envelope() const
    {
        Json json = Json::parse(body, nullptr, false);
        return json.is_object() ? json.value("subsonic-response", Json::object()) : Json::object();
    }
};

size_t collect(char* data, size_t size, size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

Fetched fetch(const std::string& url, const std::string& range = {}, const std::string& caFile = {})
{
    Fetched result;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Sonaria/1.0");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);
    if (!range.empty())
        curl_easy_setopt(curl, CURLOPT_RANGE, range.c_str());
    if (!caFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());
    result.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    char* type = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
    result.contentType = type ? type : "";
    curl_easy_cleanup(curl);
    return result;
}

std::string replaceParam(std::string url, const std::string& name, const std::string& value)
{
    size_t start = url.find("&" + name + "=");
    if (start == std::string::npos)
        start = url.find("?" + name + "=");
    size_t end = url.find('&', start + 1);
    url.replace(start + 1, end - start - 1, name + "=" + value);
    return url;
}

TEST(TestServerFixture, AcceptsTheTokenAndRefusesWrongOrMissingCredentials)
{
    SubsonicTestServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    EXPECT_EQ(server.user(), "demo");
    EXPECT_EQ(server.password(), "demo");

    const std::string url = server.restUrl("ping");
    // md5("demo" + "c0ffee1234"), computed independently of the server.
    EXPECT_NE(url.find("&t=e670582628f316a4a63956bf1e0ebcea&s=c0ffee1234&"), std::string::npos) << url;
    Fetched ok = fetch(url);
    EXPECT_EQ(ok.status, 200);
    EXPECT_EQ(ok.contentType, "application/json");
    EXPECT_EQ(ok.envelope().value("status", ""), "ok");
    EXPECT_EQ(ok.envelope().value("version", ""), "1.16.1");

    Json refused = fetch(replaceParam(url, "t", "0123456789abcdef0123456789abcdef")).envelope();
    EXPECT_EQ(refused.value("status", ""), "failed");
    EXPECT_EQ(refused["error"].value("code", 0), 40);
    EXPECT_EQ(refused["error"].value("message", ""), "Wrong username or password");
    EXPECT_EQ(fetch(replaceParam(url, "u", "nobody")).envelope()["error"].value("code", 0), 40);

    Json missing = fetch(server.baseUrl() + "/rest/ping?u=demo&v=1.16.1&c=tests&f=json").envelope();
    EXPECT_EQ(missing.value("status", ""), "failed");
    EXPECT_EQ(missing["error"].value("code", 0), 10);
}

TEST(TestServerFixture, FaultsApplyTheRequestedNumberOfTimesAndClear)
{
    SubsonicTestServer server;
    ASSERT_TRUE(server.ok()) << server.error();

    ASSERT_TRUE(server.injectFault({.endpoint = "ping", .status = 503}));
    Fetched first = fetch(server.restUrl("ping"));
    EXPECT_EQ(first.status, 503);
    EXPECT_NE(first.body.find("<html>"), std::string::npos);
    EXPECT_EQ(fetch(server.restUrl("ping")).status, 200);

    ASSERT_TRUE(server.injectFault({.endpoint = "*", .times = Fault::kForever, .status = 404, .emptyBody = true}));
    for (int i = 0; i < 2; ++i) {
        Fetched empty = fetch(server.restUrl("getArtists"));
        EXPECT_EQ(empty.status, 404);
        EXPECT_TRUE(empty.body.empty());
    }
    ASSERT_TRUE(server.clearFaults());
    EXPECT_EQ(fetch(server.restUrl("getArtists")).envelope().value("status", ""), "ok");

    // A Subsonic error where a file is expected, and a connection dropped mid-body.
    ASSERT_TRUE(server.injectFault({.endpoint = "download", .subsonicError = true}));
    Fetched error = fetch(server.restUrl("download", {{"id", "tr-1"}}));
    EXPECT_EQ(error.status, 200);
    EXPECT_EQ(error.contentType, "application/json");
    EXPECT_EQ(error.envelope()["error"].value("code", 0), 70);
    ASSERT_TRUE(server.injectFault({.endpoint = "stream", .dropAfterBytes = 1000}));
    Fetched cut = fetch(server.restUrl("stream", {{"id", "tr-1"}}));
    EXPECT_EQ(cut.code, CURLE_PARTIAL_FILE);
    EXPECT_EQ(cut.body.size(), 1000u);
}

TEST(TestServerFixture, RecordsEveryRequestInOrder)
{
    SubsonicTestServer server;
    ASSERT_TRUE(server.ok()) << server.error();

    fetch(server.restUrl("ping"));
    fetch(server.restUrl("search3", {{"query", "AC/DC é"}, {"songCount", "30"}}));
    fetch(server.baseUrl() + "/rest/getAlbum.view?u=demo&id=al-1");
    std::vector<testing_support::RecordedRequest> seen = server.requests();

    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].endpoint, "ping");
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[0].header("user-agent"), "Sonaria/1.0");
    EXPECT_EQ(seen[1].endpoint, "search3");
    EXPECT_NE(seen[1].query.find("query=AC%2FDC%20%C3%A9&songCount=30"), std::string::npos) << seen[1].query;
    EXPECT_EQ(seen[1].param("query"), "AC/DC é");
    ASSERT_EQ(seen[1].params.size(), 8u);
    EXPECT_EQ(seen[1].params[0].first, "u");
    EXPECT_EQ(seen[1].params[7].first, "songCount");
    EXPECT_EQ(seen[2].path, "/rest/getAlbum.view");
    EXPECT_EQ(seen[2].endpoint, "getAlbum");

    ASSERT_TRUE(server.reset());
    EXPECT_TRUE(server.requests().empty());
}

TEST(TestServerFixture, StreamsRealAudioWithRanges)
{
    SubsonicTestServer server;
    ASSERT_TRUE(server.ok()) << server.error();

    Fetched mp3 = fetch(server.restUrl("stream", {{"id", "tr-1"}}));
    ASSERT_EQ(mp3.status, 200);
    EXPECT_EQ(mp3.contentType, "audio/mpeg");
    EXPECT_EQ(mp3.body.substr(0, 3), "ID3");
    EXPECT_EQ(fetch(server.restUrl("download", {{"id", "tr-4"}})).body.substr(0, 4), "fLaC");
    EXPECT_EQ(fetch(server.restUrl("stream", {{"id", "tr-7"}})).body.substr(0, 4), "OggS");

    Fetched part = fetch(server.restUrl("stream", {{"id", "tr-1"}}), "100-199");
    EXPECT_EQ(part.status, 206);
    EXPECT_EQ(part.body, mp3.body.substr(100, 100));

    // A limit below the file's rate gives an mp3 transcode.
    Fetched transcoded = fetch(server.restUrl("stream", {{"id", "tr-4"}, {"maxBitRate", "128"}, {"format", "mp3"}}));
    EXPECT_EQ(transcoded.status, 200);
    EXPECT_EQ(transcoded.contentType, "audio/mpeg");
    EXPECT_EQ(transcoded.body.substr(0, 3), "ID3");

    Fetched cover = fetch(server.restUrl("getCoverArt", {{"id", "al-1"}, {"size", "300"}}));
    EXPECT_EQ(cover.contentType, "image/jpeg");
    EXPECT_EQ(cover.body.substr(0, 3), "\xFF\xD8\xFF");
}

TEST(TestServerFixture, ReflectsStarsAndScrobbles)
{
    SubsonicTestServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    auto starredSongs = [&] {
        std::vector<std::string> ids;
        Json reply = fetch(server.restUrl("getStarred2")).envelope();
        for (const auto& song : reply["starred2"]["song"])
            ids.push_back(song["id"].is_string() ? song["id"].get<std::string>() : song["id"].dump());
        return ids;
    };
    EXPECT_EQ(starredSongs(), std::vector<std::string>({"tr-2"}));

    fetch(server.restUrl("star", {{"id", "42"}}));
    fetch(server.restUrl("unstar", {{"id", "tr-2"}}));
    EXPECT_EQ(starredSongs(), std::vector<std::string>({"42"}));
    fetch(server.restUrl("scrobble", {{"id", "tr-3"}, {"submission", "true"}, {"time", "1700000000000"}}));
    auto scrobbles = server.scrobbles();
    ASSERT_EQ(scrobbles.size(), 1u);
    EXPECT_EQ(scrobbles[0].id, "tr-3");
    EXPECT_EQ(scrobbles[0].time, 1700000000000LL);

    ASSERT_TRUE(server.reset());
    EXPECT_EQ(starredSongs(), std::vector<std::string>({"tr-2"}));
    EXPECT_TRUE(server.scrobbles().empty());
}

TEST(TestServerFixture, ServesTlsWithItsOwnCertificate)
{
    SubsonicTestServer server({.tls = true});
    ASSERT_TRUE(server.ok()) << server.error();
    ASSERT_EQ(server.baseUrl().rfind("https://127.0.0.1:", 0), 0u);

    Fetched trusted = fetch(server.restUrl("ping"), {}, server.certificatePath());
    EXPECT_EQ(trusted.code, CURLE_OK) << curl_easy_strerror(trusted.code);
    EXPECT_EQ(trusted.envelope().value("status", ""), "ok");
    EXPECT_EQ(fetch(server.restUrl("ping")).code, CURLE_PEER_FAILED_VERIFICATION);
}

} // namespace

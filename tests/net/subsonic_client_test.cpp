#include "app/net/subsonic.h"
#include "net/net_test_helpers.h"
#include "support/subsonic_test_server.h"
#include "support/temp_home.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

using namespace net_testing;
using cad::Subsonic;
using testing_support::Fault;
using testing_support::SubsonicTestServer;

namespace {

// Captures one endpoint callback.
template <class... Values>
struct Reply {
    bool delivered = false;
    bool ok = false;
    std::tuple<Values...> values;
    std::string error;

    Subsonic::Callback<Values...> callback()
    {
        return [this](bool success, const Values&... got, const std::string& message) {
            EXPECT_FALSE(delivered) << "called back twice";
            delivered = true;
            ok = success;
            values = std::tuple<Values...>(got...);
            error = message;
        };
    }
    template <size_t I>
    const auto& get() const { return std::get<I>(values); }
};

Fault on(const std::string& endpoint)
{
    Fault fault;
    fault.endpoint = endpoint;
    return fault;
}

std::vector<std::string> idsOf(const auto& records)
{
    std::vector<std::string> ids;
    for (const auto& record : records)
        ids.push_back(record.id);
    return ids;
}

struct SubsonicServerTest : testing::Test {
    testing_support::TempHome home;
    SubsonicTestServer server;
    StartedNet net;
    Subsonic client{net};

    void SetUp() override
    {
        ASSERT_TRUE(server.ok()) << server.error();
        const std::string salt = cad::makeSalt();
        client.configure({server.baseUrl() + "/", server.user(), salt, cad::makeToken(server.password(), salt)});
    }

    template <class R>
    void await(R& reply)
    {
        ASSERT_TRUE(pollUntil(net, [&] { return reply.delivered; }, 30));
    }

    // The last request the server saw for `endpoint`.
    testing_support::RecordedRequest lastRequest(const std::string& endpoint)
    {
        const auto all = server.requests();
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            if (it->endpoint == endpoint)
                return *it;
        }
        ADD_FAILURE() << "no request for " << endpoint;
        return {};
    }
};

struct Envelope {
    bool delivered = false;
    bool ok = false;
    cad::Json response;
    std::string error;
};

} // namespace

// ---- reply envelope

using SubsonicEnvelope = SubsonicServerTest;

TEST_F(SubsonicEnvelope, EveryFailureRowGivesItsMessage)
{
    struct Case {
        const char* name;
        Fault fault;
        std::string error;
        bool responseIsNull;
    };
    std::vector<Case> cases;
    Fault bare = on("ping");
    bare.status = 401;
    bare.emptyBody = true;
    cases.push_back({"error status, empty body", bare, "HTTP 401", true});
    Fault garbage = on("ping");
    garbage.body = "<html>not json</html>";
    cases.push_back({"200, not JSON", garbage, "Invalid server response", true});
    Fault empty = on("ping");
    empty.body = "";
    cases.push_back({"200, empty body", empty, "Invalid server response", true});
    Fault page = on("ping");
    page.status = 500;
    cases.push_back({"error status, HTML page", page, "HTTP 500", true});
    Fault failed = on("ping");
    failed.subsonicError = true;
    failed.errorCode = 40;
    failed.errorMessage = "Wrong username or password";
    cases.push_back({"failed envelope", failed, "Wrong username or password", false});
    Fault noMessage = on("ping");
    noMessage.body = R"({"subsonic-response":{"status":"failed","error":{"code":0}}})";
    cases.push_back({"failed, no message", noMessage, "Request failed", false});
    Fault emptyObject = on("ping");
    emptyObject.body = "{}";
    cases.push_back({"empty object", emptyObject, "Request failed", true});
    Fault busy = on("ping");
    busy.status = 503;
    busy.body = R"({"subsonic-response":{"status":"failed","error":{"code":0,"message":"Server busy"}}})";
    cases.push_back({"error status, envelope body", busy, "Server busy", false});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(server.injectFault(c.fault));
        Envelope got;
        client.request("ping", {}, [&](bool ok, const cad::Json& response, const std::string& error) {
            got = {true, ok, response, error};
        });
        ASSERT_TRUE(pollUntil(net, [&] { return got.delivered; }));
        EXPECT_FALSE(got.ok);
        EXPECT_EQ(got.error, c.error);
        EXPECT_EQ(got.response.isNull(), c.responseIsNull);
    }
}

TEST_F(SubsonicEnvelope, OkEnvelopeAndSurroundingWhiteSpace)
{
    Fault spaced = on("ping");
    spaced.body = "  \n{\"subsonic-response\":{\"status\":\"ok\",\"version\":\"1.16.1\"}}\r\n ";
    server.injectFault(spaced);
    Envelope got;
    client.request("ping", {}, [&](bool ok, const cad::Json& response, const std::string& error) {
        got = {true, ok, response, error};
    });
    ASSERT_TRUE(pollUntil(net, [&] { return got.delivered; }));
    EXPECT_TRUE(got.ok);
    EXPECT_EQ(got.error, "");
    EXPECT_EQ(got.response.get("version").asString(""), "1.16.1");
}

TEST_F(SubsonicEnvelope, PingAgainstTheRealServerAndItsAuthentication)
{
    Reply<> ok;
    client.ping([&](bool success, const std::string& error) { ok.delivered = true; ok.ok = success; ok.error = error; });
    await(ok);
    EXPECT_TRUE(ok.ok) << ok.error;
    const auto request = lastRequest("ping");
    EXPECT_EQ(request.path, "/rest/ping") << "the base address's trailing slash is not doubled";
    EXPECT_EQ(request.param("v"), "1.16.1");
    EXPECT_EQ(request.param("c"), "Sonaria");
    EXPECT_EQ(request.param("f"), "json");

    client.configure({server.baseUrl(), server.user(), "abc", cad::makeToken("wrong", "abc")});
    Reply<> refused;
    client.ping([&](bool success, const std::string& error) {
        refused.delivered = true;
        refused.ok = success;
        refused.error = error;
    });
    await(refused);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, "Wrong username or password");

    client.configure({"http://127.0.0.1:" + std::to_string(unusedPort()), "demo", "s", "t"});
    Reply<> unreachable;
    client.ping([&](bool success, const std::string& error) {
        unreachable.delivered = true;
        unreachable.ok = success;
        unreachable.error = error;
    });
    await(unreachable);
    EXPECT_FALSE(unreachable.ok);
    EXPECT_EQ(unreachable.error, curl_easy_strerror(CURLE_COULDNT_CONNECT));
}

// ---- endpoints and their decoding

using SubsonicEndpoints = SubsonicServerTest;

TEST_F(SubsonicEndpoints, AlbumWithSongs)
{
    Reply<cad::Album, std::vector<cad::Song>> reply;
    client.album("al-1", reply.callback());
    await(reply);
    ASSERT_TRUE(reply.ok) << reply.error;
    const cad::Album& album = reply.get<0>();
    EXPECT_EQ(album.id, "al-1");
    EXPECT_EQ(album.name, "First Light");
    EXPECT_EQ(album.artist, "Aurora Lane");
    EXPECT_EQ(album.artistId, "ar-1");
    EXPECT_EQ(album.coverArt, "al-1");
    EXPECT_EQ(album.genre, "Ambient");
    EXPECT_EQ(album.year, 2019);
    EXPECT_EQ(album.songCount, 3);
    EXPECT_GT(album.duration, 0);
    EXPECT_FALSE(album.starred);

    const auto& songs = reply.get<1>();
    EXPECT_EQ(idsOf(songs), (std::vector<std::string>{"tr-1", "tr-2", "tr-3"}));
    const cad::Song& second = songs.at(1);
    EXPECT_EQ(second.title, "Morning Haze");
    EXPECT_EQ(second.album, "First Light");
    EXPECT_EQ(second.albumId, "al-1");
    EXPECT_EQ(second.artist, "Aurora Lane");
    EXPECT_EQ(second.suffix, "mp3");
    EXPECT_EQ(second.track, 2);
    EXPECT_EQ(second.discNumber, 1);
    EXPECT_EQ(second.bitRate, 128);
    EXPECT_GT(second.size, 0);
    EXPECT_TRUE(second.starred) << "starred holds a date string";
    EXPECT_FALSE(songs[0].starred);
    EXPECT_EQ(lastRequest("getAlbum").param("id"), "al-1");
}

// Servers send numbers as strings, ids as numbers and lengths with fractions.
TEST_F(SubsonicEndpoints, LenientNumbersAndIds)
{
    Reply<cad::Album, std::vector<cad::Song>> strings;
    client.album("al-4", strings.callback());
    await(strings);
    ASSERT_TRUE(strings.ok) << strings.error;
    EXPECT_EQ(strings.get<0>().year, 1999);
    EXPECT_EQ(strings.get<0>().songCount, 2);
    ASSERT_EQ(strings.get<1>().size(), 2u);
    EXPECT_EQ(strings.get<1>()[1].track, 2);

    Reply<cad::Album, std::vector<cad::Song>> numericId;
    client.album("al-5", numericId.callback());
    await(numericId);
    ASSERT_EQ(numericId.get<1>().size(), 1u);
    EXPECT_EQ(numericId.get<1>()[0].id, "42");
    EXPECT_EQ(numericId.get<1>()[0].title, "Plage \xc3\xa0 l'aube");

    // tr-6's duration carries a fraction; the record holds its integer part.
    const cad::HttpResult raw = getNow(net, server.restUrl("getAlbum", {{"id", "al-2"}}));
    bool parsed = false;
    const cad::Json rawSong = cad::parse(raw.body, parsed).get("subsonic-response").get("album").get("song").items.at(2);
    const double seconds = rawSong.get("duration").asNumber(0);
    ASSERT_NE(seconds, double(int(seconds)));
    Reply<cad::Album, std::vector<cad::Song>> fraction;
    client.album("al-2", fraction.callback());
    await(fraction);
    EXPECT_EQ(fraction.get<1>().at(2).duration, int(seconds));
}

TEST_F(SubsonicEndpoints, AlbumListPagesInParameterOrder)
{
    Reply<std::vector<cad::Album>> page;
    client.albumList("alphabeticalByName", 2, 1, page.callback());
    await(page);
    ASSERT_TRUE(page.ok) << page.error;
    ASSERT_EQ(page.get<0>().size(), 2u);
    EXPECT_EQ(page.get<0>()[0].name, "Ember Songs");
    EXPECT_EQ(page.get<0>()[1].name, "First Light");
    const auto request = lastRequest("getAlbumList2");
    const std::vector<std::pair<std::string, std::string>> tail(request.params.end() - 3, request.params.end());
    EXPECT_EQ(tail, (decltype(tail){{"type", "alphabeticalByName"}, {"size", "2"}, {"offset", "1"}}));

    Reply<std::vector<cad::Album>> beyond; // an empty page has no "album" member at all
    client.albumList("newest", 10, 50, beyond.callback());
    await(beyond);
    EXPECT_TRUE(beyond.ok);
    EXPECT_TRUE(beyond.get<0>().empty());
}

TEST_F(SubsonicEndpoints, ArtistsAreFlattenedAcrossIndexGroups)
{
    Reply<std::vector<cad::Artist>> all;
    client.artists(all.callback());
    await(all);
    ASSERT_TRUE(all.ok) << all.error;
    EXPECT_EQ(idsOf(all.get<0>()), (std::vector<std::string>{"ar-1", "ar-2", "ar-3", "ar-4"}));
    EXPECT_EQ(all.get<0>()[1].name, "The Basslines");
    EXPECT_EQ(all.get<0>()[0].albumCount, 2);

    Fault groups = on("getArtists");
    groups.body = R"({"subsonic-response":{"status":"ok","artists":{"index":[
        {"name":"A","artist":[{"id":"a1"},{"id":"a2"},{"id":"a3","starred":false}]},
        {"name":"B","artist":[{"id":7},{"name":"no id"}]}]}}})";
    server.injectFault(groups);
    Reply<std::vector<cad::Artist>> flat;
    client.artists(flat.callback());
    await(flat);
    EXPECT_EQ(idsOf(flat.get<0>()), (std::vector<std::string>{"a1", "a2", "a3", "7", ""}));
    EXPECT_TRUE(flat.get<0>()[2].starred) << "present means starred, whatever the value";
    EXPECT_FALSE(flat.get<0>()[0].starred);
}

TEST_F(SubsonicEndpoints, ArtistWithAlbums)
{
    Reply<cad::Artist, std::vector<cad::Album>> reply;
    client.artist("ar-1", reply.callback());
    await(reply);
    ASSERT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(reply.get<0>().name, "Aurora Lane");
    EXPECT_EQ(reply.get<0>().coverArt, "ar-1");
    EXPECT_EQ(idsOf(reply.get<1>()), (std::vector<std::string>{"al-1", "al-2"}));
}

TEST_F(SubsonicEndpoints, SearchSendsItsLimitsAndDecodesEachGroup)
{
    Reply<Subsonic::SearchResult> none;
    client.search("AC/DC", none.callback());
    await(none);
    ASSERT_TRUE(none.ok) << none.error;
    EXPECT_TRUE(none.get<0>().artists.empty() && none.get<0>().albums.empty() && none.get<0>().songs.empty());
    const auto request = lastRequest("search3");
    EXPECT_NE(request.query.find("&query=AC%2FDC&artistCount=8&albumCount=12&songCount=30"), std::string::npos)
        << request.query;

    Reply<Subsonic::SearchResult> found;
    client.search("aurora", found.callback());
    await(found);
    const Subsonic::SearchResult& result = found.get<0>();
    EXPECT_EQ(idsOf(result.artists), std::vector<std::string>{"ar-1"});
    EXPECT_EQ(idsOf(result.albums), (std::vector<std::string>{"al-1", "al-2"}));
    EXPECT_EQ(result.songs.size(), 6u);
}

TEST_F(SubsonicEndpoints, PlaylistsAndPlaylistEntries)
{
    Reply<std::vector<cad::Playlist>> lists;
    client.playlists(lists.callback());
    await(lists);
    ASSERT_TRUE(lists.ok) << lists.error;
    ASSERT_EQ(idsOf(lists.get<0>()), (std::vector<std::string>{"pl-1", "pl-2"}));
    const cad::Playlist& morning = lists.get<0>()[0];
    EXPECT_EQ(morning.name, "Morning Mix");
    EXPECT_EQ(morning.owner, "demo");
    EXPECT_EQ(morning.songCount, 5);
    EXPECT_GT(morning.duration, 0);

    Reply<cad::Playlist, std::vector<cad::Song>> one;
    client.playlist("pl-1", one.callback());
    await(one);
    EXPECT_EQ(one.get<0>().name, "Morning Mix");
    EXPECT_EQ(idsOf(one.get<1>()), (std::vector<std::string>{"tr-1", "tr-2", "tr-5", "tr-10", "42"}));
}

TEST_F(SubsonicEndpoints, StarringRoundTrip)
{
    Reply<Subsonic::SearchResult> before;
    client.starred(before.callback());
    await(before);
    ASSERT_TRUE(before.ok) << before.error;
    EXPECT_TRUE(before.get<0>().artists.empty());
    EXPECT_EQ(idsOf(before.get<0>().albums), std::vector<std::string>{"al-3"});
    EXPECT_EQ(idsOf(before.get<0>().songs), std::vector<std::string>{"tr-2"});
    EXPECT_TRUE(before.get<0>().albums[0].starred);

    std::vector<bool> flags;
    client.setStarred("ar-2", true, [&](bool ok) { flags.push_back(ok); });
    client.setStarred("tr-2", false, [&](bool ok) { flags.push_back(ok); });
    client.setStarred("nope", true, [&](bool ok) { flags.push_back(ok); });
    ASSERT_TRUE(pollUntil(net, [&] { return flags.size() == 3; }));
    std::sort(flags.begin(), flags.end()); // the three requests may complete in any order
    EXPECT_EQ(flags, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(lastRequest("star").param("id"), "nope");
    EXPECT_EQ(lastRequest("unstar").param("id"), "tr-2");

    Reply<Subsonic::SearchResult> after;
    client.starred(after.callback());
    await(after);
    EXPECT_EQ(idsOf(after.get<0>().artists), std::vector<std::string>{"ar-2"});
    EXPECT_TRUE(after.get<0>().songs.empty());
}

TEST_F(SubsonicEndpoints, ScrobbleSendsTimeOnlyWhenPositive)
{
    int delivered = 0;
    client.scrobble("tr-1", 0, false, [&](bool ok) { EXPECT_TRUE(ok); ++delivered; });
    ASSERT_TRUE(pollUntil(net, [&] { return delivered == 1; }));
    const auto nowPlaying = lastRequest("scrobble");
    EXPECT_EQ(std::vector<std::string>({nowPlaying.params.end()[-2].first, nowPlaying.params.end()[-1].first}),
              (std::vector<std::string>{"id", "submission"}));
    EXPECT_EQ(nowPlaying.param("submission"), "false");

    client.scrobble("tr-1", 1700000000123, true, [&](bool ok) { EXPECT_TRUE(ok); ++delivered; });
    ASSERT_TRUE(pollUntil(net, [&] { return delivered == 2; }));
    EXPECT_NE(lastRequest("scrobble").query.find("&id=tr-1&submission=true&time=1700000000123"), std::string::npos);
    const auto scrobbles = server.scrobbles();
    ASSERT_EQ(scrobbles.size(), 2u);
    EXPECT_EQ(scrobbles[1].time, 1700000000123);
    EXPECT_TRUE(scrobbles[1].submission);
    client.scrobble("tr-1", 5, true, {}); // an empty callback is allowed
    ASSERT_TRUE(pollUntil(net, [&] { return server.scrobbles().size() == 3; }));
}

TEST_F(SubsonicEndpoints, RandomSongs)
{
    Reply<std::vector<cad::Song>> reply;
    client.randomSongs(5, reply.callback());
    await(reply);
    ASSERT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(reply.get<0>().size(), 5u);
    EXPECT_EQ(lastRequest("getRandomSongs").param("size"), "5");
}

TEST_F(SubsonicEndpoints, FailuresGiveDefaultsAndTheMessage)
{
    Reply<cad::Album, std::vector<cad::Song>> missing;
    client.album("al-404", missing.callback());
    await(missing);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "Album not found");
    EXPECT_EQ(missing.get<0>(), cad::Album{});
    EXPECT_TRUE(missing.get<1>().empty());

    Fault down = on("getPlaylist");
    down.status = 502;
    server.injectFault(down);
    Reply<cad::Playlist, std::vector<cad::Song>> broken;
    client.playlist("pl-1", broken.callback());
    await(broken);
    EXPECT_FALSE(broken.ok);
    EXPECT_EQ(broken.error, "HTTP 502");
    EXPECT_EQ(broken.get<0>(), cad::Playlist{});

    Fault denied = on("getStarred2");
    denied.subsonicError = true;
    denied.errorMessage = "Not allowed";
    server.injectFault(denied);
    Reply<Subsonic::SearchResult> starred;
    client.starred(starred.callback());
    await(starred);
    EXPECT_EQ(starred.error, "Not allowed");
    EXPECT_TRUE(starred.get<0>().albums.empty());
}

// The file URLs are fetched with Net::download and carry the same authentication.
TEST_F(SubsonicEndpoints, StreamDownloadAndCoverUrlsFetch)
{
    cad::Song song;
    song.id = "tr-4";
    const DownloadOutcome original = downloadNow(net, client.downloadUrl(song), home.file("tr-4.flac"));
    EXPECT_TRUE(original.ok) << original.error;
    EXPECT_EQ(std::filesystem::file_size(home.file("tr-4.flac")),
              std::filesystem::file_size(server.mediaDir() + "/tr-4.flac"));

    const DownloadOutcome transcoded = downloadNow(net, client.streamUrl(song, 96), home.file("tr-4.mp3"));
    EXPECT_TRUE(transcoded.ok) << transcoded.error;
    EXPECT_EQ(lastRequest("stream").param("format"), "mp3");

    const DownloadOutcome cover = downloadNow(net, client.coverUrl("al-1", 120), home.file("al-1.jpg"), true);
    EXPECT_TRUE(cover.ok) << cover.error;
    EXPECT_GT(std::filesystem::file_size(home.file("al-1.jpg")), 0u);
}

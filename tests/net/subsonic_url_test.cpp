#include "app/net/net.h"
#include "app/net/subsonic.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kAuth = "?u=alice&t=0123456789abcdef0123456789abcdef&s=a1b2c3d4e5&v=1.16.1&c=Sonaria&f=json";

struct SubsonicUrlTest : testing::Test {
    cad::Net net; // never started: nothing is sent
    cad::Subsonic client{net};

    void SetUp() override
    {
        client.configure({"http://host:4533/music", "alice", "a1b2c3d4e5", "0123456789abcdef0123456789abcdef"});
    }
};

} // namespace

TEST_F(SubsonicUrlTest, FixedLayoutThenParametersInOrder)
{
    EXPECT_EQ(client.buildUrl("ping", {}), std::string("http://host:4533/music/rest/ping") + kAuth);
    EXPECT_EQ(client.buildUrl("getAlbumList2", {{"type", "newest"}, {"size", "20"}, {"offset", "40"}}),
              std::string("http://host:4533/music/rest/getAlbumList2") + kAuth + "&type=newest&size=20&offset=40");
    // Order is the caller's, not alphabetical; names are taken as they are.
    EXPECT_EQ(client.buildUrl("x", {{"z", "1"}, {"a", "2"}, {"z", "3"}}),
              std::string("http://host:4533/music/rest/x") + kAuth + "&z=1&a=2&z=3");
}

TEST_F(SubsonicUrlTest, UserAndValuesArePercentEncoded)
{
    client.configure({"http://h", "a b&x", "s", "t"});
    EXPECT_EQ(client.buildUrl("search3", {{"query", "AC/DC"}, {"title", "caf\xc3\xa9 1+1"}}),
              "http://h/rest/search3?u=a%20b%26x&t=t&s=s&v=1.16.1&c=Sonaria&f=json"
              "&query=AC%2FDC&title=caf%C3%A9%201%2B1");
}

TEST_F(SubsonicUrlTest, ConfigureStripsEveryTrailingSlash)
{
    for (const char* base : {"http://h/music/", "http://h/music//", "http://h/music"}) {
        client.configure({base, "u", "s", "t"});
        EXPECT_EQ(client.url(), "http://h/music") << base;
        EXPECT_EQ(client.buildUrl("ping", {}).rfind("http://h/music/rest/ping?u=u&t=t&s=s&", 0), 0u);
    }
    client.configure({"", "", "", ""});
    EXPECT_EQ(client.url(), "");
    EXPECT_EQ(client.token(), "");
}

TEST_F(SubsonicUrlTest, FileUrls)
{
    cad::Song song;
    song.id = "so ng";
    const std::string base = std::string("http://host:4533/music/rest/");
    EXPECT_EQ(client.streamUrl(song, 0), base + "stream" + kAuth + "&id=so%20ng");
    EXPECT_EQ(client.streamUrl(song, -5), base + "stream" + kAuth + "&id=so%20ng");
    EXPECT_EQ(client.streamUrl(song, 192), base + "stream" + kAuth + "&id=so%20ng&maxBitRate=192&format=mp3");
    EXPECT_EQ(client.downloadUrl(song), base + "download" + kAuth + "&id=so%20ng");
    EXPECT_EQ(client.coverUrl("al-1", 300), base + "getCoverArt" + kAuth + "&id=al-1&size=300");
}

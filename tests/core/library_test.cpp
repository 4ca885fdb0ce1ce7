#include "app/core/library.h"

#include <gtest/gtest.h>

#include <string>

using namespace cad;

namespace {

Json doc(const std::string& text)
{
    bool ok = false;
    Json value = parse(text, ok);
    EXPECT_TRUE(ok) << text;
    return value;
}

} // namespace

TEST(Library, DecodesEverySongField)
{
    Song song = songFromJson(doc(R"({"id":"s1","parent":"p","title":"T","album":"Al","albumId":"a1",
        "artist":"Ar","artistId":"r1","coverArt":"c1","suffix":"flac","genre":"Jazz","track":3,
        "discNumber":2,"year":1999,"duration":245,"bitRate":320,"size":12345678901,"starred":"2024-01-01"})"));
    Song expected{ "s1", "T", "Al", "a1", "Ar", "r1", "c1", "flac", "Jazz", 3, 2, 1999, 245, 320, 12345678901, true, {} };
    EXPECT_EQ(song, expected);
    EXPECT_EQ(songFromJson(doc("{}")), Song());
    EXPECT_EQ(songFromJson(doc("[1,2]")), Song());
}

TEST(Library, ConvertsMemberKinds)
{
    struct Case {
        const char* member;  // JSON text of the member's value
        std::string id;
        int32_t year;
        int64_t size;
    };
    const Case cases[] = {
        { "42", "42", 42, 42 },
        { "\"1999\"", "1999", 1999, 1999 },
        { "245.9", "245", 245, 245 },
        { "-245.9", "-245", -245, -245 },
        { "null", "", 0, 0 },
        { "true", "", 1, 1 },
        { "false", "", 0, 0 },
        { "[7]", "", 0, 0 },
        { "{\"a\":7}", "", 0, 0 },
        { "\"x12\"", "x12", 0, 0 },
        { "1e12", "1000000000000", 2147483647, 1000000000000 },
        { "-1e30", "-9223372036854775808", -2147483647 - 1, INT64_MIN },
        { "nan", "0", 0, 0 },
        { "\"inf\"", "inf", 2147483647, INT64_MAX },
    };
    for (const Case& c : cases) {
        std::string member = c.member;
        Song song = songFromJson(doc("{\"id\":" + member + ",\"year\":" + member + ",\"size\":" + member + "}"));
        EXPECT_EQ(song.id, c.id) << member;
        EXPECT_EQ(song.year, c.year) << member;
        EXPECT_EQ(song.size, c.size) << member;
    }
}

TEST(Library, StarredMeansTheMemberIsPresent)
{
    EXPECT_TRUE(songFromJson(doc(R"({"starred":"2024-05-01T10:00:00Z"})")).starred);
    EXPECT_TRUE(songFromJson(doc(R"({"starred":false})")).starred);
    EXPECT_TRUE(albumFromJson(doc(R"({"starred":null})")).starred);
    EXPECT_TRUE(artistFromJson(doc(R"({"starred":0})")).starred);
    EXPECT_FALSE(songFromJson(doc(R"({"id":"1"})")).starred);
}

TEST(Library, DecodesAlbumsArtistsAndPlaylists)
{
    Album album = albumFromJson(doc(R"({"id":"a","name":"N","title":"T","artist":"Ar","artistId":"r",
        "coverArt":"c","genre":"g","songCount":"12","duration":3600.7,"year":2001})"));
    EXPECT_EQ(album, (Album{ "a", "N", "Ar", "r", "c", "g", 12, 3600, 2001, false }));
    EXPECT_EQ(albumFromJson(doc(R"({"title":"From title"})")).name, "From title");
    EXPECT_EQ(albumFromJson(doc(R"({"name":null,"title":"T"})")).name, "T");
    EXPECT_EQ(albumFromJson(doc(R"({"name":1984,"title":"T"})")).name, "1984");

    Artist artist = artistFromJson(doc(R"({"id":7,"name":"A","coverArt":"ar-7","albumCount":3,"starred":"x"})"));
    EXPECT_EQ(artist, (Artist{ "7", "A", "ar-7", 3, true }));

    Playlist playlist = playlistFromJson(doc(R"({"id":"p","name":"Mix","owner":"me","coverArt":"pl",
        "songCount":10,"duration":2400,"starred":"ignored"})"));
    EXPECT_EQ(playlist, (Playlist{ "p", "Mix", "me", "pl", 10, 2400 }));
}

TEST(Library, DecodesListsInOrderWithoutFiltering)
{
    Json reply = doc(R"({"album":{"song":[{"id":"1"},{"title":"no id"},{"id":"3"}]}})");
    std::vector<Song> songs = songsFromJson(reply.get("album").get("song"));
    ASSERT_EQ(songs.size(), 3u);
    EXPECT_EQ(songs[0].id, "1");
    EXPECT_EQ(songs[1].title, "no id");
    EXPECT_EQ(songs[2].id, "3");

    EXPECT_TRUE(songsFromJson(reply.get("missing")).empty());
    EXPECT_TRUE(albumsFromJson(reply.get("album").get("album")).empty());
    EXPECT_EQ(artistsFromJson(doc(R"([{"id":"a"},{"id":"b"}])")).size(), 2u);
    EXPECT_EQ(playlistsFromJson(doc(R"([{"id":"p"}])")).at(0).id, "p");
    // A lone element sent in place of the list is one record, not one per member value.
    const auto lone = songsFromJson(doc(R"({"id":"1","title":"T","track":2})"));
    ASSERT_EQ(lone.size(), 1u);
    EXPECT_EQ(lone[0].title, "T");
    EXPECT_EQ(lone[0].track, 2);
    EXPECT_TRUE(songsFromJson(doc("{}")).empty());
    EXPECT_TRUE(songsFromJson(doc(R"("text")")).empty());
}

TEST(Library, SongStateFormRoundTrips)
{
    Song song{ "s\"1", "Été", "Al", "a1", "Ar", "r1", "c1", "mp3", "", 1, 1, 2020, 200, 128, 5000000000, true, {} };
    Json json = songToJson(song);
    EXPECT_EQ(json.dump(),
        R"({"id":"s\"1","title":"Été","album":"Al","albumId":"a1","artist":"Ar","artistId":"r1",)"
        R"("coverArt":"c1","suffix":"mp3","genre":"","track":1,"discNumber":1,"year":2020,)"
        R"("duration":200,"bitRate":128,"size":5000000000,"starred":"1"})");
    EXPECT_EQ(songFromJson(doc(json.dump())), song);

    song.starred = false;
    json = songToJson(song);
    EXPECT_FALSE(json.has("starred"));
    EXPECT_EQ(songFromJson(doc(json.dump())), song);
    EXPECT_EQ(songFromJson(songToJson(Song())), Song());
}

TEST(Library, ReplayGainIsReadKeptAndOptional)
{
    const struct {
        const char* member; // the "replayGain" member's JSON text
        ReplayGain expected;
    } cases[] = {
        {R"({"trackGain":-6.5,"albumGain":-7.25,"trackPeak":0.98,"albumPeak":1.02})", {-6.5, -7.25, 0.98, 1.02}},
        {R"({"trackGain":3,"trackPeak":"x"})", {3.0, {}, {}, {}}},
        {R"({"albumGain":0})", {{}, 0.0, {}, {}}},
        {R"("loud")", {}},
        {R"({})", {}},
    };
    for (const auto& c : cases) {
        const Song song = songFromJson(doc(std::string(R"({"id":"1","replayGain":)") + c.member + "}"));
        EXPECT_EQ(song.replayGain, c.expected) << c.member;
        // queue.json and offline.json keep exactly what was read; a song without gains
        // writes no member, so older files and newer ones read alike.
        const Json written = songToJson(song);
        EXPECT_EQ(written.has("replayGain"), c.expected != ReplayGain{}) << c.member;
        EXPECT_EQ(songFromJson(doc(written.dump())), song) << c.member;
    }
}

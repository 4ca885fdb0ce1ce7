#include "app/core/store.h"

#include "app/core/platform.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <string>

using cad::Store;
using cad::NormaliseAlbum;
using cad::NormaliseOff;
using cad::NormaliseTrack;
using testing_support::TempHome;
namespace platform = cad::platform;

namespace {

void writeState(const TempHome& home, const std::string& name, const std::string& text)
{
    ASSERT_TRUE(platform::writeFileAtomic(home.dataDir() + "/" + name, text));
}

Store loaded()
{
    Store store;
    store.load();
    return store;
}

void expectDefaults(const Store& store)
{
    EXPECT_EQ(store.url, "");
    EXPECT_EQ(store.user, "");
    EXPECT_EQ(store.salt, "");
    EXPECT_EQ(store.token, "");
    EXPECT_TRUE(store.scrobble);
    EXPECT_EQ(store.streamKbps, 320);
    EXPECT_FLOAT_EQ(store.volume, 0.8f);
    EXPECT_TRUE(store.dark);
    EXPECT_EQ(store.palette, 0);
    EXPECT_FALSE(store.offlineForced);
    EXPECT_FALSE(store.insecure);
    EXPECT_FALSE(store.hasCredentials());
}

} // namespace

TEST(Store, FreshInstallTakesDefaultsAndCreatesDirectories)
{
    TempHome home;
    expectDefaults(loaded());
    for (std::string dir : { home.dataDir(), home.dataDir() + "/offline", home.dataDir() + "/covers", home.cacheDir() + "/tracks" })
        EXPECT_TRUE(platform::fileExists(dir)) << dir;
}

TEST(Store, MalformedConfigGivesDefaults)
{
    for (const char* text : { "[1,2]", "", "{\"url\":", "null", "\"text\"" }) {
        TempHome home;
        writeState(home, "config.json", text);
        expectDefaults(loaded());
    }
}

// The offline index and pending plays are arrays; a file holding anything else is
// malformed and must not turn its members into entries.
TEST(Store, StateFilesThatAreNotArraysGiveEmptyLists)
{
    TempHome home;
    std::string kept = home.dataDir() + "/offline/s1.mp3";
    ASSERT_TRUE(platform::writeFileAtomic(kept, "audio"));
    writeState(home, "offline.json", "{\"only\":{\"song\":{\"id\":\"s1\"},\"file\":\"" + kept + "\"}}");
    writeState(home, "scrobbles.json", R"({"id":"a","time":1700000000123})");
    Store store = loaded();
    EXPECT_TRUE(store.offline.empty());
    EXPECT_TRUE(store.pendingScrobbles.empty());
}

TEST(Store, NormalisationIsReadAsAWordAndDefaultsToTrack)
{
    const struct {
        const char* config;
        int32_t expected;
    } cases[] = {
        {"{}", NormaliseTrack}, // a file from before the setting
        {R"({"normalisation":"off"})", NormaliseOff},
        {R"({"normalisation":"album"})", NormaliseAlbum},
        {R"({"normalisation":"track"})", NormaliseTrack},
        {R"({"normalisation":2})", NormaliseTrack},
    };
    for (const auto& c : cases) {
        TempHome home;
        writeState(home, "config.json", c.config);
        Store store = loaded();
        EXPECT_EQ(store.normalisation, c.expected) << c.config;
        ASSERT_TRUE(store.save());
        EXPECT_EQ(loaded().normalisation, c.expected) << c.config;
    }
}

TEST(Store, WritesTheExactConfigText)
{
    TempHome home;
    Store store = loaded();
    store.url = "http://music.local:4533";
    store.user = "ann";
    store.salt = "0a1b2c3d4e";
    store.token = "26719a1196d2a940705a59634eb18eab";
    ASSERT_TRUE(store.save());
    EXPECT_EQ(platform::readFile(home.dataDir() + "/config.json"),
        "{\n"
        "  \"url\": \"http://music.local:4533\",\n"
        "  \"user\": \"ann\",\n"
        "  \"salt\": \"0a1b2c3d4e\",\n"
        "  \"token\": \"26719a1196d2a940705a59634eb18eab\",\n"
        "  \"scrobble\": true,\n"
        "  \"streamKbps\": 320,\n"
        "  \"volume\": 0.8000000119,\n"
        "  \"dark\": true,\n"
        "  \"palette\": 0,\n"
        "  \"offlineForced\": false,\n"
        "  \"insecure\": false,\n"
        "  \"uiScale\": 0,\n"
        "  \"syncPlayQueue\": true,\n"
        "  \"normalisation\": \"track\"\n"
        "}");
    EXPECT_FALSE(platform::fileExists(home.dataDir() + "/config.json.tmp"));
}

TEST(Store, SettingsSurviveSaveAndLoad)
{
    TempHome home;
    Store store = loaded();
    store.url = "https://x";
    store.user = "u";
    store.token = "t";
    store.scrobble = false;
    store.streamKbps = 0;
    store.volume = 0.35f;
    store.dark = false;
    store.palette = 4;
    store.offlineForced = true;
    store.insecure = true;
    store.syncPlayQueue = false;
    ASSERT_TRUE(store.save());

    Store again = loaded();
    EXPECT_FALSE(again.syncPlayQueue);
    EXPECT_EQ(again.settingsJson().dump(), store.settingsJson().dump());
    EXPECT_EQ(again.volume, 0.35f);
    EXPECT_TRUE(again.hasCredentials());
}

TEST(Store, ConvertsStoredKindsAndSaturates)
{
    TempHome home;
    writeState(home, "config.json",
        R"({"streamKbps":"128","dark":0,"scrobble":"yes","volume":1.5,"palette":1e12,"insecure":"true","url":42})");
    Store store = loaded();
    EXPECT_EQ(store.streamKbps, 128);
    EXPECT_FALSE(store.dark);
    EXPECT_FALSE(store.scrobble);
    EXPECT_FLOAT_EQ(store.volume, 1.5f);
    EXPECT_EQ(store.palette, 2147483647);
    EXPECT_TRUE(store.insecure);
    EXPECT_EQ(store.url, "42");

    writeState(home, "config.json", R"({"streamKbps":nan,"palette":-1e300})");
    store = loaded();
    EXPECT_EQ(store.streamKbps, 0);
    EXPECT_EQ(store.palette, -2147483647 - 1);
}

TEST(Store, OfflineEntriesNeedAnIdAndAFile)
{
    TempHome home;
    std::string kept = home.dataDir() + "/offline/s1.mp3";
    ASSERT_TRUE(platform::writeFileAtomic(kept, "audio"));
    writeState(home, "offline.json",
        "[{\"song\":{\"id\":\"s1\",\"title\":\"Kept\"},\"file\":\"" + kept + "\"},"
        "{\"song\":{\"id\":\"s2\"},\"file\":\"" + home.dataDir() + "/offline/gone.mp3\"},"
        "{\"song\":{\"title\":\"no id\"},\"file\":\"" + kept + "\"},"
        "{\"song\":{\"id\":\"s3\"},\"file\":7}]");
    Store store = loaded();
    ASSERT_EQ(store.offline.size(), 1u);
    EXPECT_EQ(store.offline[0].song.title, "Kept");
    EXPECT_EQ(store.offline[0].file, kept);
}

TEST(Store, PendingScrobblesConvertIdsAndTimes)
{
    TempHome home;
    writeState(home, "scrobbles.json",
        R"([{"id":"a","time":1700000000123},{"id":7,"time":"1700000000"},{"id":"b","time":true},)"
        R"({"id":null,"time":[1]},{"time":-1e300}])");
    Store store = loaded();
    ASSERT_EQ(store.pendingScrobbles.size(), 5u);
    EXPECT_EQ(store.pendingScrobbles[0].id, "a");
    EXPECT_EQ(store.pendingScrobbles[0].time, 1700000000123);
    EXPECT_EQ(store.pendingScrobbles[1].id, "7");
    EXPECT_EQ(store.pendingScrobbles[1].time, 1700000000);
    EXPECT_EQ(store.pendingScrobbles[2].time, 1);
    EXPECT_EQ(store.pendingScrobbles[3].id, "");
    EXPECT_EQ(store.pendingScrobbles[3].time, 0);
    EXPECT_EQ(store.pendingScrobbles[4].time, INT64_MIN);
}

// The account a play belongs to is written only when known, so older files and
// older readers see the same text as before.
TEST(Store, PendingScrobblesKeepTheirAccount)
{
    TempHome home;
    Store store = loaded();
    store.pendingScrobbles = {{"a", 5, ""}, {"b", 6, "http://h\nann"}};
    ASSERT_TRUE(store.saveScrobbles());
    EXPECT_EQ(platform::readFile(home.dataDir() + "/scrobbles.json"),
        R"([{"id":"a","time":5},{"id":"b","time":6,"account":"http://h\nann"}])");
    EXPECT_EQ(loaded().pendingScrobbles, store.pendingScrobbles);
}

// Unfinished downloads ride in offline.json after the library, under a key older readers
// skip (they keep only elements with a song id in "song"); an older file has none.
TEST(Store, SavedDownloadsFollowTheLibraryInOfflineJson)
{
    TempHome home;
    const std::string kept = home.dataDir() + "/offline/s1.mp3";
    ASSERT_TRUE(platform::writeFileAtomic(kept, "audio"));
    Store store = loaded();
    cad::Song s1, s2, s3;
    s1.id = "s1";
    s2.id = "s2";
    s3.id = "s3";
    store.offline = { { s1, kept } };
    store.downloads = { { s2, false, "" }, { s3, true, "HTTP 500" } };
    ASSERT_TRUE(store.saveOffline());
    const std::string text = platform::readFile(home.dataDir() + "/offline.json");
    EXPECT_NE(text.find(R"(},{"download":{"id":"s2",)"), std::string::npos) << text;
    EXPECT_NE(text.find(R"(},"failed":true,"error":"HTTP 500"})"), std::string::npos) << text;
    Store again = loaded();
    ASSERT_EQ(again.offline.size(), 1u);
    ASSERT_EQ(again.downloads.size(), 2u);
    EXPECT_EQ(again.downloads[0].song.id, "s2");
    EXPECT_FALSE(again.downloads[0].failed);
    EXPECT_EQ(again.downloads[1].song.id, "s3");
    EXPECT_TRUE(again.downloads[1].failed);
    EXPECT_EQ(again.downloads[1].error, "HTTP 500");

    writeState(home, "offline.json", "[{\"song\":{\"id\":\"s1\"},\"file\":\"" + kept + "\"},{\"download\":{}}]");
    again = loaded();
    EXPECT_EQ(again.offline.size(), 1u);
    EXPECT_TRUE(again.downloads.empty()); // no id: nothing to download
}

#include "app/player/downloads.h"

#include "app/core/platform.h"
#include "app/core/store.h"
#include "app/net/covers.h"
#include "app/net/credentials.h"
#include "app/net/net.h"
#include "app/net/subsonic.h"
#include "app/player/download_toasts.h"
#include "net/net_test_helpers.h"
#include "support/subsonic_test_server.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;
using cad::Downloads;
using Item = cad::Downloads::Item;
using Ids = std::vector<std::string>;
using testing_support::Fault;

cad::Song song(const std::string& id, const std::string& suffix = "mp3")
{
    cad::Song song;
    song.id = id;
    song.title = "T" + id;
    song.suffix = suffix;
    return song;
}

// "title|detail|icon|seconds"
std::string toastText(const std::string& title, const std::string& detail, unsigned icon, float seconds)
{
    char tail[32];
    std::snprintf(tail, sizeof tail, "|%x|%.1f", icon, seconds);
    return title + "|" + detail + tail;
}

TEST(DownloadToasts, ABatchIsAnnouncedOnceAndFailuresAtOnce)
{
    struct Finish { std::string title; bool ok; std::string error; int pendingAfter; };
    std::vector<Finish> ten;
    for (int i = 9; i >= 0; --i)
        ten.push_back({ "S", true, "", i });
    const std::vector<std::pair<std::vector<Finish>, Ids>> cases = {
        { { { "A", true, "", 0 } }, { "Download complete|TA|e86c|3.5" } },
        { ten, { "Downloads complete|10 songs saved offline|e86c|3.5" } },
        { { { "A", true, "", 2 }, { "B", true, "", 1 }, { "C", false, "HTTP 500", 0 }, { "D", true, "", 0 } },
            { "Download failed|TC: HTTP 500|e000|5.0", "Downloads complete|2 songs saved offline|e86c|3.5",
                "Download complete|TD|e86c|3.5" } },
        { { { "A", true, "", 1 }, { "B", false, "cannot write file", 0 } },
            { "Download failed|TB: cannot write file|e000|5.0", "Download complete|TA|e86c|3.5" } },
        { { { "A", false, "cancelled", 1 }, { "B", false, "cancelled", 0 } }, {} },
        { { { "A", true, "", 1 }, { "B", false, "cancelled", 0 } }, { "Download complete|TA|e86c|3.5" } },
    };
    for (const auto& [finishes, expected] : cases) {
        int pending = 0;
        Ids shown;
        cad::DownloadToasts toasts([&] { return pending; }, [&](const auto&... toast) { shown.push_back(toastText(toast...)); });
        for (const Finish& finish : finishes) {
            pending = finish.pendingAfter;
            toasts(song(finish.title), finish.ok, finish.error);
        }
        EXPECT_EQ(shown, expected);
    }
}

// The offline downloads against our test server, with real transfers and files.
class ThreadedDownloads : public ::testing::Test {
protected:
    ThreadedDownloads()
    {
        store.load();
        net.downloadPool.start(2);
        const std::string salt = cad::makeSalt();
        subsonic.configure({ server.baseUrl(), server.user(), salt, cad::makeToken(server.password(), salt) });
        downloads.onToast = [this](const auto&... toast) { toasts.push_back(toastText(toast...)); };
        downloads.isOnline = [this] { return online; };
        downloads.onFinished = [this](const cad::Song& s, bool ok, const std::string& error) {
            finished.push_back(s.id + " " + (ok ? "ok" : error));
        };
    }
    void SetUp() override { ASSERT_TRUE(server.ok()) << server.error(); }
    ~ThreadedDownloads() override { downloads.cancelAll(); } // throttled transfers end at once

    // Frames as the controller runs them: completions, then scheduling.
    template <class Condition>
    bool runUntil(Condition condition)
    {
        return net_testing::pollUntil(net, [&] { downloads.schedule(); return condition(); }, 60);
    }
    bool runUntilIdle() { return runUntil([&] { return downloads.items.empty(); }); }
    int state(const std::string& id) const { return downloads.find(id) ? downloads.find(id)->state : 0; }
    Ids itemIds() const
    {
        Ids ids;
        for (const auto& item : downloads.items)
            ids.push_back(item->song.id);
        return ids;
    }
    Ids libraryIds() const
    {
        Ids ids;
        for (const auto& entry : store.offline)
            ids.push_back(entry.song.id);
        return ids;
    }
    size_t offlineFiles() const
    {
        const fs::directory_iterator files(home.dataDir() + "/offline");
        return static_cast<size_t>(std::distance(begin(files), end(files)));
    }
    void keepDownloadsRunning() { server.injectFault({ .endpoint = "download", .times = Fault::kForever, .throttleBytesPerSecond = 4000 }); }

    testing_support::TempHome home;
    testing_support::SubsonicTestServer server;
    cad::Net net;
    cad::Subsonic subsonic { net };
    cad::Store store;
    cad::Covers covers { net, subsonic, store };
    Downloads downloads { net, subsonic, store, covers };
    bool online = true;
    Ids toasts;
    Ids finished; // "<id> ok" or "<id> <error>"
};

TEST_F(ThreadedDownloads, RunsTwoAtATimeInQueueOrderAndToastsTheBatchOnce)
{
    std::vector<cad::Song> songs;
    Ids ids, started, batchToasts;
    for (int i = 1; i <= 10; ++i) {
        songs.push_back(song("tr-" + std::to_string(i)));
        ids.push_back(songs.back().id);
    }
    downloads.onFinished = cad::DownloadToasts([this] { return downloads.pending(); },
        [&](const auto&... toast) { batchToasts.push_back(toastText(toast...)); });
    downloads.toggle(songs);
    int most = 0;
    ASSERT_TRUE(runUntil([&] {
        int running = 0;
        for (const auto& item : downloads.items) {
            if (item->state != Item::Downloading)
                continue;
            ++running;
            if (std::find(started.begin(), started.end(), item->song.id) == started.end())
                started.push_back(item->song.id);
        }
        most = std::max(most, running);
        return downloads.items.empty();
    }));
    EXPECT_EQ(started, ids);
    EXPECT_EQ(most, 2);
    ASSERT_EQ(libraryIds().size(), 10u);
    for (const cad::Song& s : songs)
        EXPECT_EQ(store.offlineEntry(s.id)->file, Downloads::filePath(s));
    EXPECT_GT(cad::platform::fileSize(Downloads::filePath(songs[9])), 1000);
    EXPECT_EQ(toasts, Ids { "Downloading 10 songs||e2c4|3.5" });
    EXPECT_EQ(batchToasts, Ids { "Downloads complete|10 songs saved offline|e86c|3.5" });
}

TEST_F(ThreadedDownloads, ToggleCancelsRemovesQueuesAndRetriesInPlace)
{
    const std::vector<cad::Song> album { song("tr-1"), song("tr-2"), song("tr-3") };
    const cad::Song& one = album[0];
    online = false;
    downloads.toggle({ one }); // nothing queued
    online = true;
    downloads.toggle({ one });
    online = false; // offline mode keeps it waiting
    downloads.schedule();
    EXPECT_EQ(state("tr-1"), Item::Waiting);
    downloads.toggle({ one }); // a waiting item just goes
    EXPECT_TRUE(downloads.items.empty());
    online = true;

    keepDownloadsRunning();
    downloads.toggle({ one });
    ASSERT_TRUE(runUntil([&] { return state("tr-1") == Item::Downloading; }));
    downloads.toggle({ one }); // a running one goes when its transfer reports "cancelled"
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(offlineFiles(), 0u);

    server.clearFaults();
    server.injectFault({ .endpoint = "download", .status = 500 });
    downloads.toggle({ one });
    ASSERT_TRUE(runUntil([&] { return state("tr-1") == Item::Failed; }));
    const auto failed = downloads.find("tr-1");
    EXPECT_EQ(failed->error, "HTTP 500");
    downloads.toggle({ one }); // retry in place
    EXPECT_EQ(downloads.items, std::vector { failed });
    EXPECT_EQ(failed->state, Item::Waiting);
    downloads.toggle({ one }); // a retried item can be cancelled
    EXPECT_TRUE(downloads.items.empty());

    // Only the missing songs of a partly saved album are queued; a re-download ends last.
    downloads.toggle({ album[1] });
    ASSERT_TRUE(runUntilIdle());
    downloads.toggle(album);
    EXPECT_EQ(itemIds(), (Ids { "tr-1", "tr-3" }));
    ASSERT_TRUE(runUntilIdle());
    downloads.toggle({ album[1] }); // removed
    EXPECT_EQ(libraryIds().size(), 2u);
    downloads.toggle({ album[1] });
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(libraryIds().size(), 3u);
    EXPECT_EQ(libraryIds().back(), "tr-2");
    downloads.toggle(album); // all saved: all removed
    EXPECT_TRUE(store.offline.empty());
    EXPECT_EQ(offlineFiles(), 0u);

    EXPECT_EQ(toasts, (Ids { "You're offline|Connect to the server to download|e2c1|3.5", "Downloading Ttr-1||e2c4|3.5",
                          "Downloading Ttr-1||e2c4|3.5", "Downloading Ttr-1||e2c4|3.5", "Downloading Ttr-1||e2c4|3.5",
                          "Downloading Ttr-2||e2c4|3.5", "Downloading 3 songs||e2c4|3.5", "Removed download||e872|3.5",
                          "Downloading Ttr-2||e2c4|3.5", "Removed downloads||e872|3.5" }));
    EXPECT_EQ(finished[0], "tr-1 cancelled");
    EXPECT_EQ(finished[1], "tr-1 HTTP 500");
}

TEST_F(ThreadedDownloads, DeleteAllDropsEveryItemAndDeletesOnlyOwnFiles)
{
    testing_support::TempDir elsewhere;
    const std::string own = Downloads::filePath(song("tr-4")), outside = elsewhere.file("keep.mp3"),
                      escaping = home.dataDir() + "/offline/../keep.mp3", stray = home.dataDir() + "/offline/stray.flac";
    for (const std::string& file : { own, outside, escaping, stray })
        ASSERT_TRUE(cad::platform::writeFileAtomic(file, "bytes"));
    store.addOffline(song("tr-4"), own);
    store.addOffline(song("tr-5"), outside);
    store.addOffline(song("tr-6"), escaping);

    server.injectFault({ .endpoint = "download", .status = 500 });
    downloads.toggle({ song("tr-7") });
    ASSERT_TRUE(runUntil([&] { return state("tr-7") == Item::Failed; }));
    keepDownloadsRunning();
    downloads.toggle({ song("tr-8"), song("tr-9"), song("tr-10") });
    ASSERT_TRUE(runUntil([&] { return state("tr-9") == Item::Downloading; }));
    downloads.deleteAll();
    EXPECT_EQ(toasts.back(), "Downloads deleted||e872|3.5");
    EXPECT_EQ(itemIds(), (Ids { "tr-8", "tr-9" })); // until their transfers report back
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(offlineFiles(), 0u);
    EXPECT_TRUE(fs::exists(outside) && fs::exists(escaping));
    cad::Store reloaded;
    reloaded.load();
    EXPECT_TRUE(reloaded.offline.empty());
}

TEST_F(ThreadedDownloads, ACancelRaisedBeforeTheCompletionArrivesWins)
{
    for (bool viaDeleteAll : { false, true }) {
        downloads.toggle({ song("tr-1") });
        downloads.schedule();
        const auto transfer = downloads.find("tr-1")->transfer;
        for (int i = 0; i < 30000 && !transfer->done; ++i) // no poll: the completion waits
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_TRUE(transfer->ok);
        viaDeleteAll ? downloads.deleteAll() : downloads.toggle({ song("tr-1") });
        ASSERT_TRUE(runUntilIdle());
        EXPECT_EQ(offlineFiles(), 0u);
        EXPECT_TRUE(store.offline.empty());
        EXPECT_EQ(finished.back(), "tr-1 cancelled");
    }
}

TEST_F(ThreadedDownloads, HostileIdsStayInsideTheOfflineFolderAndEmptyIdsAreNeverQueued)
{
    server.injectFault({ .endpoint = "download", .body = std::string("audio bytes"), .contentType = "audio/mpeg" });
    downloads.toggle({ song("../../x", "../y"), song("") });
    EXPECT_EQ(itemIds(), Ids { "../../x" });
    ASSERT_TRUE(runUntilIdle());
    const std::string file = store.offlineEntry("../../x")->file;
    EXPECT_EQ(fs::canonical(fs::path(file).parent_path()), fs::canonical(home.dataDir() + "/offline"));
    EXPECT_EQ(cad::platform::readFile(file), "audio bytes");
    EXPECT_EQ(server.requests().back().param("id"), "../../x");
}

} // namespace

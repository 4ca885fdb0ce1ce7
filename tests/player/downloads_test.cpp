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

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;
using cad::Downloads;
using cad::Song;
using Item = cad::Downloads::Item;
using testing_support::Fault;

Song makeSong(const std::string& id, const std::string& title = "", const std::string& suffix = "mp3")
{
    Song song;
    song.id = id;
    song.title = title.empty() ? id : title;
    song.suffix = suffix;
    return song;
}

// Waits without pumping the Net, so a finished transfer's completion stays undelivered.
template <class Condition>
bool waitFor(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
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
        downloads.onToast = [this](const std::string& title, const std::string& detail, unsigned icon, float seconds) {
            toasts.push_back(title);
            lastToast = { title, detail, icon, seconds };
        };
        downloads.isOnline = [this] { return online; };
        downloads.onFinished = [this](const Song& song, bool ok, const std::string& error) {
            finished.push_back(song.id + " " + (ok ? "ok" : error));
        };
    }
    ~ThreadedDownloads() override { downloads.cancelAll(); } // throttled transfers end at once

    // Frames as the controller runs them: completions, then scheduling.
    template <class Condition>
    bool runUntil(Condition condition)
    {
        return net_testing::pollUntil(net, [&] { downloads.schedule(); return condition(); }, 60);
    }
    bool runUntilIdle() { return runUntil([&] { return downloads.items.empty(); }); }
    int state(const std::string& id) const
    {
        const auto item = downloads.find(id);
        return item ? item->state : 0;
    }
    std::vector<std::string> itemIds() const
    {
        std::vector<std::string> ids;
        for (const auto& item : downloads.items)
            ids.push_back(item->song.id);
        return ids;
    }
    std::vector<std::string> libraryIds() const
    {
        std::vector<std::string> ids;
        for (const auto& entry : store.offline)
            ids.push_back(entry.song.id);
        return ids;
    }
    std::vector<std::string> offlineFolder() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(home.dataDir() + "/offline"))
            names.push_back(entry.path().filename().string());
        return names;
    }
    void keepDownloadsRunning() { server.injectFault({ .endpoint = "download", .times = Fault::kForever, .throttleBytesPerSecond = 4000 }); }

    struct Toast {
        std::string title, detail;
        unsigned icon = 0;
        float seconds = 0;
        bool operator==(const Toast&) const = default;
    };

    testing_support::TempHome home;
    testing_support::SubsonicTestServer server;
    cad::Net net;
    cad::Subsonic subsonic { net };
    cad::Store store;
    cad::Covers covers { net, subsonic, store };
    Downloads downloads { net, subsonic, store, covers };
    bool online = true;
    std::vector<std::string> toasts;
    Toast lastToast;
    std::vector<std::string> finished; // "<id> ok" or "<id> <error>"
};

TEST_F(ThreadedDownloads, RunsTwoAtATimeInQueueOrderAndToastsTheBatchOnce)
{
    ASSERT_TRUE(server.ok());
    std::vector<Song> songs;
    std::vector<std::string> ids;
    for (int i = 1; i <= 10; ++i) {
        songs.push_back(makeSong("tr-" + std::to_string(i)));
        ids.push_back(songs.back().id);
    }
    std::vector<std::string> batchToasts;
    downloads.onFinished = cad::DownloadToasts([this] { return downloads.pending(); },
        [&](const std::string& title, const std::string& detail, unsigned, float) { batchToasts.push_back(title + ": " + detail); });

    downloads.toggle(songs);
    EXPECT_EQ(lastToast, (Toast { "Downloading 10 songs", "", 0xE2C4, 3.5f }));
    std::vector<std::string> started;
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
    auto saved = libraryIds();
    std::sort(saved.begin(), saved.end());
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(saved, ids);
    for (const Song& song : songs)
        EXPECT_GT(cad::platform::fileSize(Downloads::filePath(song)), 1000) << song.id;
    EXPECT_EQ(batchToasts, std::vector<std::string> { "Downloads complete: 10 songs saved offline" });
}

TEST_F(ThreadedDownloads, ToggleCancelsRemovesQueuesAndRetriesInPlace)
{
    ASSERT_TRUE(server.ok());
    const Song dawn = makeSong("tr-1", "Dawn");
    const std::string file = Downloads::filePath(dawn);

    online = false;
    downloads.toggle({ dawn });
    EXPECT_EQ(lastToast, (Toast { "You're offline", "Connect to the server to download", 0xE2C1, 3.5f }));
    EXPECT_TRUE(downloads.items.empty());
    online = true;
    downloads.toggle({ dawn });
    online = false; // offline mode keeps queued items waiting
    downloads.schedule();
    EXPECT_EQ(state("tr-1"), Item::Waiting);
    downloads.toggle({ dawn }); // a waiting item just goes
    EXPECT_TRUE(downloads.items.empty());
    online = true;

    keepDownloadsRunning();
    downloads.toggle({ dawn });
    ASSERT_TRUE(runUntil([&] { return state("tr-1") == Item::Downloading; }));
    downloads.toggle({ dawn }); // a running one goes when its transfer reports "cancelled"
    ASSERT_TRUE(runUntilIdle());
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(file + ".part"));
    server.clearFaults();

    downloads.toggle({ dawn });
    ASSERT_TRUE(runUntilIdle());
    ASSERT_NE(store.offlineEntry("tr-1"), nullptr);
    EXPECT_EQ(store.offlineEntry("tr-1")->file, file);
    downloads.toggle({ dawn });
    EXPECT_EQ(lastToast, (Toast { "Removed download", "", 0xE872, 3.5f }));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(store.offline.empty());

    server.injectFault({ .endpoint = "download", .status = 500 });
    downloads.toggle({ dawn });
    ASSERT_TRUE(runUntil([&] { return state("tr-1") == Item::Failed; }));
    const auto failed = downloads.find("tr-1");
    EXPECT_EQ(failed->error, "HTTP 500");
    EXPECT_EQ(failed->transfer, nullptr);
    downloads.toggle({ dawn }); // retry: the same item, waiting again
    EXPECT_EQ(downloads.items, std::vector<std::shared_ptr<Item>> { failed });
    EXPECT_EQ(failed->state, Item::Waiting);
    EXPECT_EQ(failed->error, "");
    downloads.toggle({ dawn }); // and a retried item can still be cancelled
    EXPECT_TRUE(downloads.items.empty());

    EXPECT_EQ(toasts, (std::vector<std::string> { "You're offline", "Downloading Dawn", "Downloading Dawn",
                          "Downloading Dawn", "Removed download", "Downloading Dawn", "Downloading Dawn" }));
    EXPECT_EQ(finished, (std::vector<std::string> { "tr-1 cancelled", "tr-1 ok", "tr-1 HTTP 500" }));
}

TEST_F(ThreadedDownloads, PartialAlbumQueuesTheMissingSongsAndARedownloadEndsLast)
{
    ASSERT_TRUE(server.ok());
    const std::vector<Song> album { makeSong("tr-1"), makeSong("tr-2"), makeSong("tr-3") };
    ASSERT_TRUE(cad::platform::writeFileAtomic(Downloads::filePath(album[1]), "saved before"));
    store.addOffline(album[1], Downloads::filePath(album[1]));

    downloads.toggle(album);
    EXPECT_EQ(itemIds(), (std::vector<std::string> { "tr-1", "tr-3" }));
    EXPECT_EQ(lastToast.title, "Downloading 3 songs");
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(libraryIds().size(), 3u);

    downloads.toggle({ album[1] }); // remove, then download again
    downloads.toggle({ album[1] });
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(libraryIds().size(), 3u);
    EXPECT_EQ(libraryIds().back(), "tr-2");

    downloads.toggle(album); // all saved: all removed
    EXPECT_EQ(lastToast.title, "Removed downloads");
    EXPECT_TRUE(store.offline.empty());
    EXPECT_TRUE(offlineFolder().empty());
}

TEST_F(ThreadedDownloads, DeleteAllDropsEveryItemAndDeletesOnlyOwnFiles)
{
    ASSERT_TRUE(server.ok());
    testing_support::TempDir elsewhere;
    const std::string own = Downloads::filePath(makeSong("tr-4"));
    const std::string outside = elsewhere.file("precious.mp3");
    const std::string escaping = home.dataDir() + "/offline/../precious.mp3";
    const std::string stray = home.dataDir() + "/offline/stray.flac";
    for (const std::string& file : { own, outside, escaping, stray })
        ASSERT_TRUE(cad::platform::writeFileAtomic(file, "bytes"));
    store.addOffline(makeSong("tr-4"), own);
    store.addOffline(makeSong("tr-5"), outside);
    store.addOffline(makeSong("tr-6"), escaping);

    server.injectFault({ .endpoint = "download", .status = 500 });
    downloads.toggle({ makeSong("tr-7") });
    ASSERT_TRUE(runUntil([&] { return state("tr-7") == Item::Failed; }));
    keepDownloadsRunning();
    downloads.toggle({ makeSong("tr-8"), makeSong("tr-9"), makeSong("tr-10") });
    ASSERT_TRUE(runUntil([&] { return state("tr-9") == Item::Downloading; }));
    EXPECT_EQ(state("tr-10"), Item::Waiting);

    downloads.deleteAll();
    EXPECT_EQ(lastToast, (Toast { "Downloads deleted", "", 0xE872, 3.5f }));
    EXPECT_EQ(itemIds(), (std::vector<std::string> { "tr-8", "tr-9" })); // until they report back
    EXPECT_TRUE(store.offline.empty());
    ASSERT_TRUE(runUntilIdle());
    EXPECT_TRUE(offlineFolder().empty());
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_TRUE(fs::exists(escaping));
    cad::Store reloaded;
    reloaded.load();
    EXPECT_TRUE(reloaded.offline.empty());
}

TEST_F(ThreadedDownloads, ACancelRaisedBeforeTheCompletionArrivesWins)
{
    ASSERT_TRUE(server.ok());
    const Song dawn = makeSong("tr-1");
    for (bool viaDeleteAll : { false, true }) {
        SCOPED_TRACE(viaDeleteAll ? "deleteAll" : "toggle");
        downloads.toggle({ dawn });
        downloads.schedule();
        const auto transfer = downloads.find("tr-1")->transfer;
        ASSERT_TRUE(waitFor([&] { return transfer->done.load(); }));
        ASSERT_TRUE(transfer->ok);
        if (viaDeleteAll)
            downloads.deleteAll();
        else
            downloads.toggle({ dawn });
        ASSERT_TRUE(runUntilIdle());
        EXPECT_FALSE(fs::exists(Downloads::filePath(dawn)));
        EXPECT_EQ(store.offlineEntry("tr-1"), nullptr);
        EXPECT_EQ(finished.back(), "tr-1 cancelled");
    }
}

TEST_F(ThreadedDownloads, HostileIdsStayInsideTheOfflineFolderAndEmptyIdsAreNeverQueued)
{
    ASSERT_TRUE(server.ok());
    server.injectFault({ .endpoint = "download", .times = Fault::kForever, .body = std::string("audio bytes"),
        .contentType = "audio/mpeg" });
    downloads.toggle({ makeSong("../../x", "Hostile", "../y"), makeSong("", "No id") });
    EXPECT_EQ(itemIds(), std::vector<std::string> { "../../x" });
    ASSERT_TRUE(runUntilIdle());

    const cad::OfflineEntry* entry = store.offlineEntry("../../x");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(fs::canonical(fs::path(entry->file).parent_path()), fs::canonical(home.dataDir() + "/offline"));
    EXPECT_EQ(cad::platform::readFile(entry->file), "audio bytes");
    EXPECT_EQ(offlineFolder().size(), 1u);
    EXPECT_EQ(server.requests().back().param("id"), "../../x");
}

} // namespace

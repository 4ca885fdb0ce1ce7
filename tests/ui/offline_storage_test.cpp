// Download badges, the offline page, the storage texts and the caches' owner, on a
// real engine (offscreen video) with real files in a temporary home.
#include "app/core/platform.h"
#include "app/player/stream_cache_trim.h"
#include "app/ui/app_styles.h"
#include "app/ui/cache_owner.h"
#include "app/ui/widgets/download_badge.h"
#include "app/ui/pages/offline_page.h"
#include "app/ui/nav.h"
#include "app/ui/page_push.h"
#include "app/ui/pages/settings_page.h"
#include "app/ui/services.h"
#include "app/ui/storage_text.h"
#include "vell/button.h"
#include "vell/label.h"
#include "vell/slider.h"
#include "vell/toggle.h"

#include "support/temp_home.h"
#include "vell/engine_fixture.h"
#include "widget_texts.h"

#include <algorithm>
#include <functional>

namespace {

using cad::platform::fileExists;
using ui_testing::texts;

cad::Song song(const std::string& id, const std::string& artist, const std::string& album, int disc, int track)
{
    cad::Song s;
    s.id = id;
    s.title = "Title " + id;
    s.artist = artist;
    s.album = album;
    s.discNumber = disc;
    s.track = track;
    return s;
}

void writeBytes(const std::string& path, size_t bytes)
{
    cad::platform::makeDirs(path.substr(0, path.rfind('/')));
    ASSERT_TRUE(cad::platform::writeFileAtomic(path, std::string(bytes, 'x'))) << path;
}


class OfflineStorage : public vell_testing::EngineTest {
protected:
    void SetUp() override
    {
        vell::Settings settings = vell_testing::headlessSettings();
        settings.styleOverrides = cad::appStyles();
        start(settings);
        cad::Services& s = cad::services();
        s.store = cad::Store {};
        s.store.load();
        s.downloads.items.clear();
        s.engine = engine.get();
        s.online = true;
    }

    void TearDown() override
    {
        cad::nav() = cad::Nav {};
        cad::services().net.insecure = false;
        cad::services().downloads.items.clear();
        cad::services().engine = nullptr;
        engine.reset();
    }

    // A library entry with a file of `bytes` bytes.
    void save(const cad::Song& s, size_t bytes)
    {
        const std::string file = home.dataDir() + "/offline/" + s.id + ".mp3";
        writeBytes(file, bytes);
        cad::services().store.offline.push_back({ s, file });
        ++cad::services().store.offlineCount;
    }

    std::shared_ptr<cad::Downloads::Item> queue(const cad::Song& s, int state, double received = 0, double total = 0)
    {
        auto item = std::make_shared<cad::Downloads::Item>();
        item->song = s;
        item->state = state;
        if (state == cad::Downloads::Item::Downloading) {
            item->transfer = std::make_shared<cad::Transfer>();
            item->transfer->received = received;
            item->transfer->total = total;
        }
        cad::services().downloads.items.push_back(item);
        ++cad::services().downloads.changeCount;
        return item;
    }

    testing_support::TempHome home;
};

TEST(StorageText, FormatSizeAtItsBoundaries)
{
    const std::pair<int64_t, const char*> cases[] = {
        { 0, "0 B" }, { 1023, "1023 B" }, { 1024, "1.0 KB" }, { 1536, "1.5 KB" }, { 1048575, "1024.0 KB" },
        { 1048576, "1.0 MB" }, { 5368709120LL, "5.0 GB" }, { 1LL << 40, "1.0 TB" }, { 1LL << 52, "4096.0 TB" },
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(cad::formatSize(bytes), text) << bytes;
}

TEST_F(OfflineStorage, StorageLinesCountFilesOnDisk)
{
    cad::Store& store = cad::services().store;
    EXPECT_EQ(cad::downloadsLine(store), "Downloads: 0 songs \xC2\xB7 0 B");
    save(song("a", "A", "X", 1, 1), 1024);
    save(song("b", "A", "X", 1, 2), 512);
    store.offline.push_back({ song("gone", "A", "X", 1, 3), home.dataDir() + "/offline/gone.mp3" });
    EXPECT_EQ(cad::downloadsLine(store), "Downloads: 3 songs \xC2\xB7 1.5 KB");

    // Files below subfolders count; the stream cache folder itself may be missing.
    const std::string tracks = home.cacheDir() + "/tracks";
    writeBytes(tracks + "/one_320.mp3", 2048);
    writeBytes(tracks + "/nested/deeper/two.mp3", 1024);
    EXPECT_EQ(cad::streamCacheLine(), "Stream cache: 3.0 KB");
    cad::platform::removeTree(tracks);
    EXPECT_EQ(cad::streamCacheLine(), "Stream cache: 0 B");

    store.user = "ann";
    store.url = "http://h";
    EXPECT_EQ(cad::connectionLine(store, true), "ann @ http://h  \xC2\xB7  connected");
    EXPECT_EQ(cad::connectionLine(store, false), "ann @ http://h  \xC2\xB7  unreachable");
    store.offlineForced = true;
    EXPECT_EQ(cad::connectionLine(store, false), "ann @ http://h  \xC2\xB7  offline mode");
    EXPECT_EQ(cad::scrobblesLine(store), "All plays are scrobbled");
    store.pendingScrobbles.push_back({ "a", 1, "" });
    EXPECT_EQ(cad::scrobblesLine(store), "1 plays waiting to be scrobbled");
}

TEST_F(OfflineStorage, BadgeFollowsADownloadThroughItsStates)
{
    const cad::Song one = song("s1", "A", "X", 1, 1);
    auto badge = cad::downloadBadge({ one.id }, 26);
    auto look = [&] {
        return std::tuple { badge->shown, badge->glyph->codePoint(), badge->ring->visible, badge->ring->indeterminate,
            badge->ring->progress };
    };
    using L = std::tuple<int, int32_t, bool, bool, float>;
    EXPECT_EQ(look(), (L { 0, 0xE2C4, false, false, 0.0f }));
    auto item = queue(one, cad::Downloads::Item::Waiting);
    badge->apply();
    EXPECT_EQ(look(), (L { 1, 0xE5CD, true, true, 0.0f }));
    EXPECT_FLOAT_EQ(badge->glyph->style().textSize.value, 0.85f * 0.55f * 26);
    item->state = cad::Downloads::Item::Downloading;
    item->transfer = std::make_shared<cad::Transfer>();
    item->transfer->received = 30;
    item->transfer->total = 120;
    badge->apply();
    EXPECT_EQ(look(), (L { 1, 0xE5CD, true, false, 0.25f }));
    item->transfer->received = 500; // more than announced: capped
    badge->apply();
    EXPECT_EQ(look(), (L { 1, 0xE5CD, true, false, 1.0f }));

    cad::services().downloads.items.clear();
    save(one, 10);
    badge->apply();
    EXPECT_EQ(std::get<0>(look()), 2);
    EXPECT_EQ(std::get<1>(look()), 0xE86C);
    EXPECT_FALSE(std::get<2>(look()));

    // A failure shows the error mark even beside saved songs, unless another runs.
    const cad::Song two = song("s2", "A", "X", 1, 2);
    badge->ids.push_back(two.id);
    auto failed = queue(two, cad::Downloads::Item::Failed);
    badge->apply();
    EXPECT_EQ(std::get<1>(look()), 0xE000);
    EXPECT_FLOAT_EQ(badge->glyph->style().textSize.value, 0.85f * 26);
    failed->state = cad::Downloads::Item::Waiting;
    badge->apply();
    EXPECT_EQ(look(), (L { 1, 0xE5CD, true, true, 0.5f }));
}

TEST_F(OfflineStorage, AlbumBadgeCountsSavedSongsAsDone)
{
    std::vector<std::string> ids;
    for (int i = 0; i < 10; ++i) {
        const cad::Song s = song("t" + std::to_string(i), "A", "X", 1, i);
        ids.push_back(s.id);
        if (i < 5)
            save(s, 1);
        else if (i == 5)
            queue(s, cad::Downloads::Item::Downloading, 50, 100);
        else
            queue(s, cad::Downloads::Item::Waiting);
    }
    const cad::BadgeTally tally = cad::tallyDownloads(ids);
    EXPECT_EQ(tally.state, cad::BadgeTally::Active);
    EXPECT_FALSE(tally.indeterminate);
    EXPECT_FLOAT_EQ(tally.progress, 0.55f);
    EXPECT_EQ(cad::tallyDownloads({}).state, cad::BadgeTally::None);
}

TEST(OfflineOrder, IsAStrictWeakOrderingOverMixedCaseNames)
{
    const cad::Song table[] = {
        song("1", "ABBA", "Arrival", 1, 1), song("2", "Abba", "Voulez-Vous", 1, 1), song("3", "ABBA", "Voulez-Vous", 1, 2),
        song("4", "abba", "arrival", 2, 1), song("5", "Abba", "Arrival", 1, 3), song("6", "Björk", "Post", 1, 1),
        song("7", "björk", "post", 1, 1), song("8", "", "", 0, 0), song("9", "ABBA", "Arrival", 1, 1),
    };
    const auto less = cad::offlineOrder;
    for (const auto& a : table) {
        EXPECT_FALSE(less(a, a)) << a.id;
        for (const auto& b : table) {
            for (const auto& c : table) {
                if (less(a, b) && less(b, c)) {
                    EXPECT_TRUE(less(a, c)) << a.id << b.id << c.id;
                }
                const bool ab = !less(a, b) && !less(b, a), bc = !less(b, c) && !less(c, b);
                if (ab && bc) { // incomparability is transitive too
                    EXPECT_TRUE(!less(a, c) && !less(c, a)) << a.id << b.id << c.id;
                }
            }
        }
    }
    std::vector<cad::Song> sorted(std::begin(table), std::end(table));
    std::stable_sort(sorted.begin(), sorted.end(), less); // "1" and "9" are equal
    std::string ids;
    for (const auto& s : sorted)
        ids += s.id;
    // Case-insensitive groups first; within one, the byte order ("ABBA" < "Abba" < "abba").
    EXPECT_EQ(ids, "819352467");
}

TEST_F(OfflineStorage, ClearingTheStreamCacheKeepsRunningFetches)
{
    const std::string tracks = home.cacheDir() + "/tracks";
    writeBytes(tracks + "/done_320.mp3", 10);
    writeBytes(tracks + "/old/left.mp3", 10);
    writeBytes(tracks + "/playing_320.mp3.7.fetch", 10);
    writeBytes(tracks + "/next_320.mp3.3.part", 10);
    EXPECT_EQ(cad::clearStreamCache(tracks), 2);
    EXPECT_FALSE(fileExists(tracks + "/done_320.mp3"));
    EXPECT_FALSE(fileExists(tracks + "/old"));
    // The fetch still lands where the player will open it.
    EXPECT_TRUE(cad::platform::renameFile(tracks + "/playing_320.mp3.7.fetch", tracks + "/playing_320.mp3"));
    EXPECT_TRUE(fileExists(tracks + "/next_320.mp3.3.part"));
    cad::platform::removeTree(tracks);
    EXPECT_EQ(cad::clearStreamCache(tracks), 0);
    EXPECT_TRUE(fileExists(tracks));
}

TEST_F(OfflineStorage, AnotherAccountEmptiesTheCachesButKeepsDownloads)
{
    const std::string tracks = home.cacheDir() + "/tracks", covers = home.dataDir() + "/covers";
    const cad::Song kept = song("s1", "A", "X", 1, 1);
    save(kept, 10);
    auto fill = [&] {
        writeBytes(tracks + "/s1_320.mp3", 10);
        writeBytes(tracks + "/s2_320.mp3.1.fetch", 10);
        writeBytes(covers + "/al-1_300.jpg", 10);
    };
    fill();
    // Caches of an unknown owner are not trusted; the same account later keeps them.
    EXPECT_TRUE(cad::claimCaches("http://one", "ann"));
    fill();
    EXPECT_FALSE(cad::claimCaches("http://one", "ann"));
    EXPECT_TRUE(fileExists(tracks + "/s1_320.mp3"));
    EXPECT_TRUE(fileExists(covers + "/al-1_300.jpg"));
    for (auto [url, user] : { std::pair { "http://one", "bob" }, { "http://two", "bob" } }) {
        fill();
        EXPECT_TRUE(cad::claimCaches(url, user)) << url << user;
        EXPECT_FALSE(fileExists(tracks + "/s1_320.mp3"));
        EXPECT_FALSE(fileExists(covers + "/al-1_300.jpg"));
        EXPECT_TRUE(fileExists(tracks + "/s2_320.mp3.1.fetch"));
        EXPECT_TRUE(fileExists(covers));
        EXPECT_TRUE(fileExists(cad::services().store.offline.front().file));
    }
}

TEST_F(OfflineStorage, OfflinePageListsSortedSongsAndFollowsDownloads)
{
    auto page = std::make_shared<cad::OfflinePage>();
    auto view = cad::pushPage(engine->shell(), page);
    step(2);
    EXPECT_EQ(page->summary->text(), "0 songs \xC2\xB7 0 B");
    EXPECT_NE(texts(*page->content).find("No downloaded songs yet"), std::string::npos);
    EXPECT_FALSE(page->banner->visible);

    save(song("b", "beta", "One", 1, 2), 1024);
    save(song("a", "Alpha", "Two", 1, 1), 1024);
    save(song("c", "beta", "One", 1, 1), 1024);
    auto item = queue(song("d", "Delta", "Z", 1, 1), cad::Downloads::Item::Failed);
    item->error = "HTTP 500";
    cad::services().online = false;
    page->tick(kFrame);
    step(2);
    std::string ids;
    for (const auto& s : *page->songs)
        ids += s.id;
    EXPECT_EQ(ids, "acb");
    EXPECT_EQ(page->summary->text(), "3 songs \xC2\xB7 3.0 KB");
    EXPECT_TRUE(page->banner->visible);
    EXPECT_EQ(page->rows.list->parent, page->content.get());
    EXPECT_NE(texts(*page->downloads).find("Downloading|1 downloading|Title d|Delta \xC2\xB7 Failed: HTTP 500|"),
        std::string::npos);

    // The download is retried and finishes: its row goes, the song is listed in order.
    cad::services().downloads.items.clear();
    ++cad::services().downloads.changeCount;
    save(song("d", "Delta", "Z", 1, 1), 1024);
    cad::services().online = true;
    page->tick(kFrame);
    EXPECT_TRUE(page->downloads->children.empty());
    EXPECT_FALSE(page->banner->visible);
    ASSERT_EQ(page->songs->size(), 4u);
    EXPECT_EQ(page->songs->at(3).id, "d");

    // The focus on a download row stays with its song when the one above finishes.
    auto first = queue(song("e", "E", "Z", 1, 1), cad::Downloads::Item::Downloading, 1, 2);
    queue(song("f", "F", "Z", 1, 1), cad::Downloads::Item::Waiting);
    page->tick(kFrame);
    step(2);
    ASSERT_EQ(page->downloads->children.size(), 4u);
    engine->setFocus(page->downloads->children[3]->children.back().get());
    step();
    auto& items = cad::services().downloads.items;
    items.erase(std::find(items.begin(), items.end(), first));
    ++cad::services().downloads.changeCount;
    page->tick(kFrame);
    ASSERT_EQ(page->downloads->children.size(), 3u);
    ASSERT_NE(engine->focus(), nullptr);
    EXPECT_EQ(engine->focus()->parent->id, "f");
}

// Every widget of type T below `root`, in tree order.
template <class T>
std::vector<T*> all(vell::Widget& root)
{
    std::vector<T*> out;
    std::function<void(vell::Widget&)> walk = [&](vell::Widget& w) {
        if (auto t = dynamic_cast<T*>(&w))
            out.push_back(t);
        for (const auto& child : w.children)
            walk(*child);
    };
    walk(root);
    return out;
}

TEST_F(OfflineStorage, SettingsWriteTheStoreAtOnceAndSaveAllButTheVolume)
{
    cad::Store& store = cad::services().store;
    store.palette = 9; // out of range: no chip selected
    store.volume = 0.8f;
    int refreshed = 0;
    cad::nav().refreshOnline = [&] { ++refreshed; };
    auto page = std::make_shared<cad::SettingsPage>();
    auto view = cad::pushPage(engine->shell(), page);
    step(2);
    EXPECT_EQ(page->downloadsLabel->text(), "Downloads: 0 songs \xC2\xB7 0 B");
    auto group = [&](const std::string& name) {
        auto chips = all<vell::Button>(*page->root);
        std::erase_if(chips, [&](vell::Button* b) { return b->group != name; });
        return chips;
    };
    const auto palettes = group("palette"), qualities = group("quality"), sizes = group("interface-size"),
               modes = group("normalisation");
    ASSERT_EQ(palettes.size(), 4u);
    ASSERT_EQ(qualities.size(), 4u);
    ASSERT_EQ(sizes.size(), 6u);
    for (vell::Button* chip : palettes)
        EXPECT_FALSE(chip->checked);
    EXPECT_TRUE(qualities[1]->checked); // 320k
    EXPECT_TRUE(sizes[0]->checked); // Auto
    ASSERT_EQ(modes.size(), 3u);
    EXPECT_TRUE(modes[1]->checked); // normalisation Track, the default
    modes[2]->onChange(true); // Album

    palettes[2]->onChange(true); // Mint
    qualities[3]->onChange(true); // 128k
    qualities[2]->onChange(false); // a deselection does nothing
    sizes[3]->onChange(true); // 125%, applied at once
    EXPECT_FLOAT_EQ(engine->uiScaleChoice(), 1.25f);
    auto toggles = all<vell::Toggle>(*page->root); // dark, scrobble, sync play queue, offline, insecure
    ASSERT_EQ(toggles.size(), 5u);
    EXPECT_TRUE(toggles[2]->checked);
    toggles[2]->onChange(false);
    toggles[3]->onChange(true);
    toggles[4]->onChange(true);
    toggles[0]->onChange(false);
    EXPECT_EQ(engine->theme().mode(), 1);
    EXPECT_TRUE(cad::services().net.insecure);
    EXPECT_EQ(refreshed, 1);
    auto config = [&] {
        const std::string text = cad::platform::readFile(home.dataDir() + "/config.json");
        bool ok = false;
        return cad::parse(text.data(), text.size(), ok);
    };
    const cad::Json saved = config();
    EXPECT_EQ(saved.get("palette").asNumber(0), 2);
    EXPECT_EQ(saved.get("streamKbps").asNumber(0), 128);
    EXPECT_TRUE(saved.get("offlineForced").asBool(false));
    EXPECT_FALSE(saved.get("dark").asBool(true));
    EXPECT_EQ(saved.get("uiScale").asNumber(0), 125);
    EXPECT_FALSE(saved.get("syncPlayQueue").asBool(true));
    EXPECT_EQ(saved.get("normalisation").asString(""), "album");

    // The volume goes to the store and the player, not to the file.
    all<vell::Slider>(*page->root).front()->setValue(nullptr, 0.25f);
    EXPECT_FLOAT_EQ(store.volume, 0.25f);
    EXPECT_FLOAT_EQ(engine->music().volume(), 0.25f);
    EXPECT_FLOAT_EQ(float(config().get("volume").asNumber(0)), 0.8f);
}

} // namespace

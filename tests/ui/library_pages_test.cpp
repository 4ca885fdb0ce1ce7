// The library pages against our test server, on a real engine (offscreen video).
#include "app/ui/pages/albums_page.h"
#include "app/ui/pages/artist_page.h"
#include "app/ui/pages/artists_page.h"
#include "app/ui/pages/collection_page.h"
#include "app/ui/pages/home_page.h"
#include "app/ui/page_push.h"
#include "app/ui/widgets/chip_row.h"
#include "app/ui/widgets/song_row.h"
#include "vell/glyph.h"

#include "signed_in_fixture.h"

namespace {

using testing_support::Fault;
using namespace ui_testing;

class LibraryPages : public SignedInTest {
protected:
    LibraryPages()
        : SignedInTest({ .albums = 125 })
    {
    }

    template <class P>
    std::shared_ptr<P> open(std::shared_ptr<P> page)
    {
        views.push_back(cad::pushPage(engine->shell(), page));
        return page;
    }

    std::vector<std::string> offsets(const std::string& endpoint)
    {
        std::vector<std::string> out;
        for (const auto& r : server.requests())
            if (r.endpoint == endpoint)
                out.push_back(r.param("type") + "@" + r.param("offset"));
        return out;
    }

    std::vector<vell::ViewPtr> views;
};

TEST_F(LibraryPages, AlbumsPageInSixtiesAndASortChangeDropsTheEarlierReply)
{
    auto page = open(std::make_shared<cad::AlbumsPage>());
    ASSERT_TRUE(until([&] { return page->offset == 60 && !page->loading; }));
    // Scrolling to the end asks for the next pages one at a time; the third brings 10.
    ASSERT_TRUE(until([&] {
        page->grid.list->scrollTo({ 0, 1e9f });
        return page->exhausted && !page->loading;
    }));
    EXPECT_EQ(page->grid.albums->size(), 130u);
    EXPECT_EQ(page->grid.rowCount(), 26);
    EXPECT_EQ(offsets("getAlbumList2"), (std::vector<std::string> { "newest@0", "newest@60", "newest@120" }));
    EXPECT_EQ(page->grid.albums->front().id, "gal-1");

    // The first sort change is answered late; its reply must not land in the second's grid.
    server.clearRequests();
    server.injectFault({ .endpoint = "getAlbumList2", .delaySeconds = 0.5 });
    page->setSort("random");
    page->setSort("alphabeticalByName");
    EXPECT_TRUE(page->chips[1]->checked);
    EXPECT_FALSE(page->chips[4]->checked);
    ASSERT_TRUE(until([&] { return page->dropped == 1 && page->offset == 60 && !page->loading; }));
    EXPECT_EQ(offsets("getAlbumList2"), (std::vector<std::string> { "random@0", "alphabeticalByName@0" }));
    ASSERT_EQ(page->grid.albums->size(), 60u);
    EXPECT_EQ(page->grid.albums->at(0).name, "Amber Arcade");
    EXPECT_EQ(page->grid.albums->at(1).name, "Amber Bridges");

    // A failed further page keeps the albums shown and is asked again after a scroll.
    server.injectFault({ .endpoint = "getAlbumList2", .status = 503 });
    ASSERT_TRUE(until([&] {
        page->grid.list->scrollTo({ 0, 1e9f });
        return page->moreFailed;
    }));
    EXPECT_EQ(page->grid.albums->size(), 60u);
    EXPECT_EQ(page->grid.list->parent, page->content.get());
    EXPECT_TRUE(contains(toasts, "Couldn't load more albums: HTTP 503"));
    page->grid.list->scrollTo({ 0, 0 });
    ASSERT_TRUE(until([&] {
        page->tick(kFrame); // the controller ticks its navigation pages every frame
        return page->offset == 120 && !page->loading;
    }));
}

TEST_F(LibraryPages, AlbumFallsBackToDownloadsAndRetryReloadsAPlaylist)
{
    auto& offline = cad::services().store.offline;
    for (auto [id, disc, track] : { std::tuple { "tr-3", 2, 1 }, { "tr-2", 1, 2 }, { "tr-1", 1, 1 }, { "tr-4", 1, 1 } }) {
        cad::Song song;
        song.id = id;
        song.albumId = std::string(id) == "tr-4" ? "al-2" : "al-1";
        song.album = "First Light";
        song.artist = "Aurora Lane";
        song.year = 2019;
        song.discNumber = disc;
        song.track = track;
        song.duration = 100;
        offline.push_back({ song, "/nowhere/" + song.id + ".mp3" });
    }
    server.injectFault({ .endpoint = "getAlbum", .subsonicError = true });
    auto album = open(std::make_shared<cad::CollectionPage>(cad::CollectionKind::Album, "al-1"));
    ASSERT_TRUE(until([&] { return !album->songs->empty(); }));
    std::vector<std::string> ids;
    for (const auto& song : *album->songs)
        ids.push_back(song.id);
    EXPECT_EQ(ids, (std::vector<std::string> { "tr-1", "tr-2", "tr-3" }));
    EXPECT_TRUE(contains(texts(*album->header), "First Light|Aurora Lane|2019 \xC2\xB7 3 songs \xC2\xB7 5 min|"));

    server.injectFault({ .endpoint = "getPlaylist", .status = 500 });
    auto playlist = open(std::make_shared<cad::CollectionPage>(cad::CollectionKind::Playlist, "pl-1"));
    ASSERT_TRUE(until([&] { return contains(texts(*playlist->content), "Couldn't load: HTTP 500|Retry|"); }));
    auto retry = playlist->content->children.front()->children.back();
    ASSERT_TRUE(retry->onClick);
    retry->onClick();
    ASSERT_TRUE(until([&] { return playlist->songs->size() == 5; }));
    EXPECT_TRUE(contains(texts(*playlist->header), "Morning Mix|5 songs"));
}

TEST_F(LibraryPages, RefreshKeepsTheFocusedRowAndTheScrollOffset)
{
    auto page = open(std::make_shared<cad::ArtistsPage>());
    ASSERT_TRUE(until([&] { return page->items->size() == 46 && page->rows.list->rows.count(3); }));
    page->rows.list->scrollTo({ 0, 900 });
    step(3);
    ASSERT_GT(page->rows.list->rows.size(), 6u);
    const int target = page->rows.list->rows.rbegin()->first - 4; // well inside the viewport
    engine->setFocus(page->rows.list->rows.at(target).get());
    const vell::Widget* before = engine->focus();
    const float offset = page->rows.list->offset().y;

    page->refresh();
    ASSERT_TRUE(until([&] { return page->rows.list->rows.count(target) && engine->focus() != before; }));
    EXPECT_EQ(page->rows.focusedRow(), target);
    EXPECT_EQ(page->rows.list->offset().y, offset);
    EXPECT_EQ(page->rows.list->parent, page->content.get());
}

TEST_F(LibraryPages, StarTogglesReachTheServerQueueAndOfflineLibrary)
{
    auto songs = std::make_shared<std::vector<cad::Song>>(2);
    (*songs)[0].id = "tr-1";
    (*songs)[1].id = "tr-2";
    (*songs)[1].starred = true;
    player->queue = player->unshuffled = *songs;
    cad::services().store.offline.push_back({ (*songs)[0], "/nowhere/tr-1.mp3" });
    const int changes = player->changeCount;
    auto heart = cad::starButton(songs, 0);
    auto glyph = std::dynamic_pointer_cast<vell::Glyph>(heart->children.front());
    ASSERT_TRUE(glyph);
    EXPECT_EQ(glyph->codePoint(), 0xE87E);

    heart->onClick();
    EXPECT_TRUE((*songs)[0].starred);
    EXPECT_EQ(glyph->codePoint(), 0xE87D);
    EXPECT_TRUE(player->queue[0].starred && player->unshuffled[0].starred && player->queue[1].starred);
    EXPECT_EQ(player->changeCount, changes + 1);
    EXPECT_TRUE(cad::services().store.offline[0].song.starred);
    auto starred = [&](const std::string& id) {
        auto ids = server.starredIds();
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    ASSERT_TRUE(until([&] { return starred("tr-1"); }));

    cad::starButton(songs, 1)->onClick(); // unstar
    ASSERT_TRUE(until([&] { return !starred("tr-2"); }));
    EXPECT_FALSE(player->queue[1].starred);

    // A failure keeps the flipped heart and says so.
    server.injectFault({ .endpoint = "unstar", .status = 500 });
    heart->onClick();
    EXPECT_EQ(glyph->codePoint(), 0xE87E);
    ASSERT_TRUE(until([&] { return contains(toasts, "Couldn't update favorite: \n"); }));
    EXPECT_FALSE((*songs)[0].starred);
}

TEST_F(LibraryPages, QueueKeysActOnTheSongRowThatLastHadFocus)
{
    auto page = open(std::make_shared<cad::CollectionPage>(cad::CollectionKind::Album, "al-1"));
    ASSERT_TRUE(until([&] { return page->rows.list->rows.size() == 3; }));
    auto& bindings = views.back()->bindings;
    ASSERT_EQ(bindings.size(), 2u);
    EXPECT_EQ(bindings[0].button, vell::Square);
    EXPECT_EQ(bindings[0].label, "Add to queue");
    EXPECT_EQ(bindings[1].button, vell::Triangle);
    EXPECT_EQ(bindings[1].label, "Play next");

    bindings[0].action(); // no row has had focus yet
    EXPECT_TRUE(player->queue.empty());
    EXPECT_TRUE(toasts.empty());

    engine->setFocus(page->rows.list->rows.at(2).get());
    engine->setFocus(page->rows.list->rows.at(1).get());
    bindings[0].action();
    ASSERT_EQ(player->queue.size(), 1u);
    EXPECT_EQ(player->queue.back().id, "tr-2");
    bindings[1].action();
    EXPECT_EQ(toasts, "Added to queue: Morning Haze\nPlaying next: Morning Haze\n");

    // Pressing a row plays the whole list from it.
    page->rows.list->rows.at(2)->onClick();
    EXPECT_EQ(player->queue.size(), 3u);
    EXPECT_EQ(player->index, 2);
}

TEST_F(LibraryPages, PagesClosedBeforeTheirRepliesIgnoreThem)
{
    showView(nullptr, "Below");
    server.injectFault({ .endpoint = "*", .times = Fault::kForever, .delaySeconds = 0.2 });
    std::vector<std::weak_ptr<cad::Page>> pages;
    for (int round = 0; round < 2; ++round) {
        pages.push_back(open(std::make_shared<cad::CollectionPage>(cad::CollectionKind::Album, "al-1")));
        pages.push_back(open(std::make_shared<cad::CollectionPage>(cad::CollectionKind::Playlist, "pl-2")));
        pages.push_back(open(std::make_shared<cad::ArtistPage>("ar-1")));
        pages.push_back(open(std::make_shared<cad::AlbumsPage>()));
        pages.push_back(open(std::make_shared<cad::HomePage>()));
        step();
        while (engine->shell().viewStack.size() > 1)
            engine->shell().back();
        views.clear();
        step(20);
    }
    for (const auto& page : pages)
        EXPECT_TRUE(page.expired());
    bool probed = false;
    cad::services().subsonic.ping([&](bool, const std::string&) { probed = true; });
    ASSERT_TRUE(until([&] { return probed; }));
    EXPECT_TRUE(toasts.empty());
}

TEST_F(LibraryPages, HomeShowsItsShelvesOrTheOfflineBanner)
{
    server.injectFault({ .endpoint = "getAlbumList2", .status = 500 });
    auto home = open(std::make_shared<cad::HomePage>());
    ASSERT_TRUE(until([&] { return !contains(texts(*home->content), "Loading"); }));
    const std::string online = texts(*home->content);
    EXPECT_TRUE(contains(online, "Shuffle all|Offline library|Recently played|Couldn't load: HTTP 500|Newest|"));
    EXPECT_TRUE(contains(online, "|Most played|") && contains(online, "|Discover|"));
    EXPECT_FALSE(contains(online, "You're offline"));

    cad::services().online = false;
    home->refresh();
    EXPECT_EQ(texts(*home->content), "Offline library|You're offline. Your downloaded songs are still available.|");
}

} // namespace

TEST(CollectionHeaderRule, StacksWhenTheCoverAndButtonsCannotSitSideBySide)
{
    // Cover 190 + gap 24 + buttons: side by side from that width up.
    struct Case {
        float width, buttons;
        bool stacked;
    } cases[] = {
        { 1184, 360, false }, // the desktop window
        { 574, 360, false },  // exactly enough
        { 573.6f, 360, false }, // measured widths may round by a fraction
        { 573, 360, true },
        { 450, 360, true },
        { 0, 360, true },
        { 214, 0, false },    // no buttons measured yet
    };
    for (const Case& c : cases)
        EXPECT_EQ(cad::CollectionHeader::stacksAt(c.width, c.buttons), c.stacked) << c.width << " / " << c.buttons;
}

class ResizedLibraryPages : public LibraryPages {
protected:
    ResizedLibraryPages() { layoutFollowsWindow = true; }
};

TEST_F(ResizedLibraryPages, AlbumHeaderPutsItsButtonsUnderASmallerCoverWhenNarrow)
{
    auto album = open(std::make_shared<cad::CollectionPage>(cad::CollectionKind::Album, "al-1"));
    ASSERT_TRUE(until([&] { return !album->songs->empty(); }));
    step(3);
    auto& header = *album->header;
    ASSERT_EQ(header.children.size(), 1u) << "cover and text side by side";
    const vell::Widget* cover = header.children[0]->children.at(0).get();
    const vell::Widget* text = header.children[0]->children.at(1).get();
    EXPECT_FLOAT_EQ(cover->rect.w, cad::CollectionHeader::kCover);
    EXPECT_TRUE(contains(texts(*text), "Play|Shuffle|Download|"));

    SDL_SetWindowSize(engine->window(), 960, 1080);
    engine->setUiScale(1.5f); // a 640 x 720 layout
    ASSERT_TRUE(until([&] { return header.stacked() && cover->rect.w == cad::CollectionHeader::kStackedCover; }));
    step(2);
    ASSERT_EQ(header.children.size(), 2u);
    const vell::Widget& buttons = *header.children[1];
    EXPECT_TRUE(contains(texts(buttons), "Play|Shuffle|Download|"));
    EXPECT_FALSE(contains(texts(*text), "Play|"));
    EXPECT_GE(buttons.rect.y, cover->rect.y + cover->rect.h);
    EXPECT_LE(buttons.rect.x + buttons.rect.w, header.rect.x + header.rect.w) << "the buttons fit the page";

    // A reload keeps the arrangement; a wide layout brings the buttons back beside the cover.
    album->refresh();
    ASSERT_TRUE(until([&] { return header.children.size() == 2 && header.stacked(); }));
    engine->setUiScale(1);
    ASSERT_TRUE(until([&] { return !header.stacked(); }));
    step(2);
    ASSERT_EQ(header.children.size(), 1u);
    EXPECT_FLOAT_EQ(header.children[0]->children.at(0)->rect.w, cad::CollectionHeader::kCover);
}

TEST(ChipLines, ChipsFillEachLineInOrder)
{
    struct Case {
        std::vector<float> widths;
        float limit;
        std::vector<size_t> lines;
    } cases[] = {
        { { 60, 60, 60 }, 196, { 3 } },      // 3 x 60 + 2 x 8
        { { 60, 60, 60 }, 195.6f, { 3 } },   // rounding in measured text
        { { 60, 60, 60 }, 195, { 2, 1 } },
        { { 60, 60, 60 }, 60, { 1, 1, 1 } },
        { { 60, 200, 60 }, 100, { 1, 1, 1 } }, // too wide for any line: a line of its own
        { { 60, 60, 100, 20 }, 128, { 2, 2 } },
        { {}, 100, {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(cad::chipLines(c.widths, 8, c.limit), c.lines) << c.limit;
}

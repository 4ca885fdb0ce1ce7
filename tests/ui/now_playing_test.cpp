// The now-playing widgets, search and favourites against our test server, on a real
// engine (offscreen video, no audio device: the player's queue is set by hand where
// only the views are under test).
#include "app/ui/pages/favorites_page.h"
#include "app/ui/widgets/mini_player.h"
#include "app/ui/nav.h"
#include "app/ui/pages/now_playing_page.h"
#include "app/ui/page_push.h"
#include "app/ui/playback_view.h"
#include "app/ui/widgets/queue_drawer.h"
#include "app/ui/pages/search_page.h"
#include "app/ui/widgets/wavy_seek.h"
#include "vell/glyph.h"
#include "vell/label.h"
#include "vell/music_player.h"
#include "vell/pad_button.h"
#include "vell/renderer.h"
#include "vell/spring.h"

#include "signed_in_fixture.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using testing_support::Fault;
using namespace ui_testing;

cad::Song song(const std::string& id, const std::string& title, int duration = 200)
{
    cad::Song s;
    s.id = id;
    s.title = title;
    s.artist = "Aurora Lane";
    s.album = "First Light";
    s.coverArt = "al-1";
    s.suffix = "mp3";
    s.bitRate = 128;
    s.duration = duration;
    return s;
}

class NowPlaying : public SignedInTest {
protected:
    // A queue set by hand, nothing loading: the views read it like any other.
    void queue(std::vector<cad::Song> songs, int index)
    {
        player->queue = player->unshuffled = std::move(songs);
        player->index = index;
        ++player->changeCount;
    }

    void frame(const vell::WidgetPtr& widget) { widget->tickTree(engine->context(), float(kFrame)); }

    int requests(const std::string& endpoint)
    {
        auto all = server.requests();
        return int(std::count_if(all.begin(), all.end(), [&](const auto& r) { return r.endpoint == endpoint; }));
    }
};

TEST_F(NowPlaying, SeekBarMapsPointerAndButtonsToFractions)
{
    auto seek = std::make_shared<cad::WavySeek>();
    std::vector<float> seeks;
    seek->onSeek = [&](float f) { seeks.push_back(f); };
    vell::UiContext& ctx = engine->context();
    seek->place(ctx, { 100, 0 }, { 406, 40 }); // track 400 px from x = 103
    struct Case {
        float x, fraction;
    };
    for (Case c : { Case { 103, 0 }, { 303, 0.5f }, { 503, 1 }, { 0, 0 }, { 900, 1 } })
        EXPECT_FLOAT_EQ(seek->fractionAt(c.x), c.fraction) << c.x;

    // A drag moves the value without seeking until release; a cancelled drag seeks too.
    seek->onPointerDown(ctx, { 203, 20 });
    seek->onPointerMove(ctx, { 403, 20 });
    EXPECT_TRUE(seek->dragging);
    EXPECT_FLOAT_EQ(seek->value, 0.75f);
    EXPECT_TRUE(seeks.empty());
    seek->onPointerUp(ctx, true, { 403, 20 });
    seek->onPointerDown(ctx, { 123, 20 });
    seek->onPointerCancel(ctx);
    EXPECT_EQ(seeks, (std::vector<float> { 0.75f, 0.05f }));

    // Left and Right step 3 % and seek at once, clamped at both ends; other buttons pass.
    seeks.clear();
    seek->value = 0.99f;
    EXPECT_TRUE(seek->onButton(ctx, 3));
    seek->value = 0.01f;
    EXPECT_TRUE(seek->onButton(ctx, 2));
    EXPECT_TRUE(seek->onButton(ctx, 3));
    EXPECT_FALSE(seek->onButton(ctx, vell::kButtonCross));
    ASSERT_EQ(seeks.size(), 3u);
    EXPECT_FLOAT_EQ(seeks[0], 1);
    EXPECT_FLOAT_EQ(seeks[1], 0);
    EXPECT_FLOAT_EQ(seeks[2], 0.03f);
    EXPECT_FLOAT_EQ(seek->progress.value, 0.03f);

    // Disabled (nothing loaded yet) it ignores both.
    seek->disabled = true;
    seek->onPointerDown(ctx, { 303, 20 });
    EXPECT_FALSE(seek->onButton(ctx, 3));
    EXPECT_FALSE(seek->dragging);
    EXPECT_EQ(seeks.size(), 3u);
}

TEST_F(NowPlaying, MiniProgressFollowsPlaybackWithoutSpringMotionButGlidesOnJumps)
{
    auto bar = std::make_shared<cad::MiniProgress>();
    bar->moving = true;
    auto motionOver = [&](float from, float to) {
        bar->progress = from;
        for (int i = 0; i < 240; ++i) // colours, wave height and the bar settle
            frame(bar);
        const uint64_t before = vell::Spring::motionCount();
        bar->progress = to;
        frame(bar);
        return vell::Spring::motionCount() - before;
    };
    EXPECT_EQ(motionOver(0.3f, 0.303f), 0u) << "a playing bar alone keeps no frame at the full rate";
    EXPECT_FLOAT_EQ(bar->shownProgress.value, 0.303f);
    EXPECT_GT(motionOver(0.303f, 0.8f), 0u) << "a seek glides";
    EXPECT_LT(bar->shownProgress.value, 0.8f);
}

// A long song on a narrow bar moves it less than a pixel per frame: the bars draw a
// new picture (and keep no spring going) only when the played part grows by a device pixel,
// and ask for their frame for just that moment.
TEST_F(NowPlaying, PlayingProgressChangesItsPictureOnlyPerDevicePixel)
{
    vell::UiContext& ctx = engine->context();
    vell::Renderer& r = engine->renderer();
    auto seek = std::make_shared<cad::WavySeek>();
    auto mini = std::make_shared<cad::MiniProgress>();
    mini->wavy = true;
    struct Case {
        vell::WidgetPtr widget;
        float width;
        std::function<void(float)> set;
    };
    const Case cases[] = {
        { seek, 406, [&](float f) { seek->value = f, seek->playing = true, seek->duration = 240; } },
        { mini, 190, [&](float f) { mini->progress = f, mini->moving = true, mini->duration = 240; } },
    };
    constexpr double kSong = 240, kFps = 30, kSeconds = 20;
    for (const Case& c : cases) {
        c.widget->place(ctx, { 0, 0 }, { c.width, 40 });
        c.set(0.25f);
        for (int i = 0; i < 120; ++i) // the wave grows to its height
            c.widget->tickTree(ctx, float(1 / kFps));
        uint64_t last = 0, motion = 0;
        int pictures = 0, wanted = 0; // frames drawn, frames the bar asked for
        double asked = 0; // when the bar last asked to be drawn again
        for (int i = 1; i <= kSeconds * kFps; ++i) {
            const double now = i / kFps;
            c.set(float(0.25 + (now + 0.01) / kSong)); // pixels never fall exactly on a frame
            const uint64_t before = vell::Spring::motionCount();
            ctx.frameDue = std::numeric_limits<double>::infinity();
            c.widget->tickTree(ctx, float(1 / kFps));
            motion += vell::Spring::motionCount() - before;
            r.beginRecording();
            r.beginFrame();
            c.widget->paint(ctx);
            const uint64_t picture = r.endRecording();
            wanted += asked <= now + 1e-4;
            if (picture != last && pictures++ > 0) { // the new pixel came since the last frame
                EXPECT_NEAR(asked, now - 0.5 / kFps, 0.5 / kFps + 1e-4) << c.width << " at " << now;
            }
            last = picture;
            asked = now + ctx.frameDue;
        }
        // The bar's pixels over those 20 s, plus the first picture.
        const int pixels = int(std::ceil(c.width * r.scale() * kSeconds / kSong));
        EXPECT_LE(pictures, pixels + 1) << c.width;
        EXPECT_GE(pictures, pixels - 1) << c.width << ": it still moves";
        EXPECT_EQ(motion, 0u) << c.width;
        EXPECT_LE(wanted, pictures + 2) << c.width << ": it asks only for its new pixels";
    }
}

TEST_F(NowPlaying, PanelAndMiniPlayerFollowTheChangeCountOnly)
{
    auto panel = std::make_shared<cad::NowPlayingPanel>();
    panel->build();
    auto mini = cad::miniPlayer();
    frame(panel);
    frame(mini);
    EXPECT_EQ(texts(*panel).substr(0, 60), "Nothing playing|Pick something from your library|0:00|0:00|");
    EXPECT_TRUE(panel->download->children.empty());
    EXPECT_FALSE(mini->visible);

    auto hour = song("tr-1", "Dawn", 3725);
    hour.starred = true;
    queue({ hour, song("tr-2", "Morning Haze") }, 0);
    for (int i = 0; i < 5; ++i) {
        frame(panel);
        frame(mini);
    }
    EXPECT_EQ(panel->rebuilds, 2);
    EXPECT_EQ(mini->rebuilds, 1);
    EXPECT_TRUE(mini->visible);
    EXPECT_EQ(mini->title->text(), "Dawn");
    EXPECT_EQ(mini->subtitle->text(), "Aurora Lane \xC2\xB7 First Light");
    EXPECT_EQ(panel->format->text(), "mp3 \xC2\xB7 128 kbps");
    EXPECT_EQ(panel->total->text(), "1:02:05");
    EXPECT_EQ(panel->cover->coverId(), "al-1");
    EXPECT_EQ(panel->heart->codePoint(), 0xE87D);
    EXPECT_EQ(panel->download->children.size(), 1u);
    EXPECT_TRUE(panel->seek->disabled); // nothing loaded

    // Shuffle and repeat show their state; the views follow any change made elsewhere.
    player->repeat = cad::One;
    player->shuffle = true;
    player->index = 1;
    ++player->changeCount;
    frame(panel);
    frame(mini);
    EXPECT_EQ(mini->title->text(), "Morning Haze");
    EXPECT_EQ(panel->title->text(), "Morning Haze");
    EXPECT_TRUE(panel->shuffle->checked && panel->repeat->checked);
    EXPECT_EQ(panel->repeatGlyph->codePoint(), 0xE041);
    EXPECT_EQ(panel->heart->codePoint(), 0xE87E);
    EXPECT_EQ(panel->rebuilds, 3);

    // Fetching shows the ring: determinate only on the panel, only with a known size.
    player->fetching = true;
    frame(panel);
    frame(mini);
    EXPECT_TRUE(panel->play->ring->visible && !panel->play->glyph->visible);
    EXPECT_TRUE(panel->play->ring->indeterminate);
    EXPECT_TRUE(mini->play->ring->visible && mini->play->ring->indeterminate);
    player->fetching = false;

    // The page seeks 10 s with L2 and R2, without listing them in the hint bar; Triangle,
    // listed, shows the lyrics in place of the cover and back.
    auto page = std::make_shared<cad::NowPlayingPage>();
    ASSERT_EQ(page->view->bindings.size(), 3u);
    EXPECT_EQ(page->view->bindings[2].button, vell::Triangle);
    EXPECT_EQ(page->view->bindings[2].label, "Lyrics");
    EXPECT_TRUE(page->view->bindings[2].showHint);
    page->view->bindings[2].action();
    EXPECT_TRUE(page->panel->lyricsShown() && !page->panel->cover->visible && page->panel->lyricsButton->checked);
    page->view->bindings[2].action();
    EXPECT_TRUE(!page->panel->lyricsShown() && page->panel->cover->visible);
    for (auto [i, button, label] : { std::tuple { 0, vell::L2, "Seek -10s" }, { 1, vell::R2, "Seek +10s" } }) {
        EXPECT_EQ(page->view->bindings[i].button, button);
        EXPECT_EQ(page->view->bindings[i].label, label);
        EXPECT_FALSE(page->view->bindings[i].showHint);
    }

    for (auto [t, text] : { std::pair { 59.9, "0:59" }, { 61.0, "1:01" }, { 3725.0, "1:02:05" }, { 0.0, "0:00" },
             { -3.0, "0:00" } })
        EXPECT_EQ(cad::timeText(t), text);
}

TEST_F(NowPlaying, QueueDrawerRowsPlayRemoveAndKeepTheFocusedPosition)
{
    auto drawer = cad::queueDrawer();
    engine->shell().drawer->addChild(drawer);
    engine->shell().openDrawer();
    step(3);
    EXPECT_EQ(drawer->count->text(), "0 songs");
    queue({ song("tr-1", "Dawn"), song("tr-2", "Morning Haze"), song("tr-3", "Noon") }, -1);
    step(3);
    EXPECT_EQ(drawer->count->text(), "3 songs");
    ASSERT_EQ(drawer->rows.list->rows.size(), 3u);
    EXPECT_TRUE(contains(texts(*drawer), "Up next|3 songs|Clear queue|Dawn|Aurora Lane|Morning Haze|"));

    // Focus on the last row's cross: removing it moves focus to the new last row's.
    auto cross = [&](int i) { return drawer->rows.list->rows.at(i)->children.back(); };
    engine->setFocus(cross(2).get());
    cross(2)->onClick();
    step(3);
    EXPECT_EQ(drawer->count->text(), "2 songs");
    ASSERT_EQ(drawer->rows.list->rows.size(), 2u);
    EXPECT_EQ(engine->focus(), cross(1).get());
    const int rebuilds = drawer->rebuilds;
    step(5);
    EXPECT_EQ(drawer->rebuilds, rebuilds);

    server.clearRequests();
    drawer->rows.list->rows.at(1)->children.front()->onClick(); // plays the second row
    EXPECT_EQ(player->index, 1);
    ASSERT_TRUE(until([&] { return requests("stream") == 1; }));
    EXPECT_EQ(server.requests().back().param("id"), "tr-2");
}

TEST_F(NowPlaying, TypingFastSendsOneSearchAndALateReplyIsDropped)
{
    uint32_t now = 1000;
    auto page = std::make_shared<cad::SearchPage>();
    page->ticks = [&] { return now; };
    auto view = cad::pushPage(engine->shell(), page);
    EXPECT_TRUE(contains(texts(*page->results), "Type to search your library"));
    server.clearRequests();
    auto type = [&](const std::string& text) {
        page->field->text = text;
        page->field->onChange(text);
    };
    for (const char* text : { "n", "no", "noo", "noon" }) {
        type(text);
        now += 100;
        page->tick(0.1f);
    }
    EXPECT_EQ(requests("search3"), 0);
    now += 451;
    page->tick(0.1f);
    page->tick(0.1f);
    ASSERT_TRUE(until([&] { return contains(texts(*page->results), "Songs|Noon|"); }));
    EXPECT_EQ(requests("search3"), 1);

    // A slow reply to an older query must not replace the newer one's.
    server.injectFault({ .endpoint = "search3", .delaySeconds = 0.5 });
    type("dawn");
    page->field->onSubmit("dawn");
    type("\xC3\xA9t\xC3\xA9"); // "été"
    page->field->onSubmit(page->field->text);
    ASSERT_TRUE(until([&] { return page->dropped == 1 && contains(texts(*page->results), "Albums|"); }));
    EXPECT_FALSE(contains(texts(*page->results), "Dawn"));
    EXPECT_TRUE(contains(texts(*page->results), "Albums|\xC3\x89t\xC3\xA9 sans fin|"));

    type(" \t ");
    page->field->onSubmit(page->field->text);
    EXPECT_TRUE(contains(texts(*page->results), "Type to search your library"));
    cad::services().online = false;
    type("noon");
    page->field->onSubmit("noon");
    EXPECT_TRUE(contains(texts(*page->results), "Search needs a server connection"));
    EXPECT_EQ(requests("search3"), 3);
}

TEST_F(NowPlaying, StarOnThePanelReachesQueueServerAndFavourites)
{
    auto panel = std::make_shared<cad::NowPlayingPanel>();
    panel->build();
    queue({ song("tr-1", "Dawn"), song("tr-3", "Noon"), song("tr-1", "Dawn") }, 0);
    auto pageSongs = std::make_shared<std::vector<cad::Song>>(std::vector { song("tr-1", "Dawn") });
    auto rowHeart = cad::starButton(pageSongs, 0);
    auto heartOf = [](const vell::WidgetPtr& b) { return std::static_pointer_cast<vell::Glyph>(b->children[0])->codePoint(); };
    frame(panel);
    EXPECT_EQ(panel->heart->codePoint(), 0xE87E);
    panel->toggleFavourite();
    frame(panel);
    frame(rowHeart);
    EXPECT_EQ(panel->heart->codePoint(), 0xE87D);
    EXPECT_EQ(heartOf(rowHeart), 0xE87D) << "a row on another page follows";
    EXPECT_TRUE(pageSongs->at(0).starred);
    auto laterSongs = std::make_shared<std::vector<cad::Song>>(std::vector { song("tr-1", "Dawn") });
    auto laterHeart = cad::starButton(laterSongs, 0);
    frame(laterHeart);
    EXPECT_EQ(heartOf(laterHeart), 0xE87E) << "a row built after the change shows its own reply";
    EXPECT_TRUE(player->queue[0].starred && player->queue[2].starred && player->unshuffled[2].starred);
    EXPECT_FALSE(player->queue[1].starred);
    ASSERT_TRUE(until([&] {
        auto ids = server.starredIds();
        return std::find(ids.begin(), ids.end(), "tr-1") != ids.end();
    }));

    auto favourites = std::make_shared<cad::FavoritesPage>();
    auto view = cad::pushPage(engine->shell(), favourites);
    ASSERT_TRUE(until([&] { return favourites->songs->size() == 2; }));
    const std::string shown = texts(*favourites->content);
    EXPECT_TRUE(contains(shown, "Play favorites|Shuffle|Albums|Deep Currents|")) << shown;
    EXPECT_TRUE(contains(shown, "Songs|Dawn|")) << shown;
    EXPECT_TRUE(favourites->songs->at(0).starred);

    // A failed unstar keeps the change and toasts.
    server.injectFault({ .endpoint = "unstar", .status = 500 });
    panel->toggleFavourite();
    ASSERT_TRUE(until([&] { return contains(toasts, "Couldn't update favorite: \n"); }));
    EXPECT_FALSE(player->queue[0].starred);
}

} // namespace

TEST_F(NowPlaying, LyricsFollowTheCurrentSongSayWhenThereAreNoneAndRetry)
{
    cad::Services& s = cad::services();
    s.store.url = server.baseUrl();
    s.store.user = server.user();
    s.store.token = "set";
    s.lyrics.language = "en";
    s.lyrics.clear(); // of earlier tests in this process, on their own servers
    auto panel = std::make_shared<cad::NowPlayingPanel>();
    panel->build();
    panel->toggleLyrics();
    cad::LyricsView& lyrics = *panel->lyrics;
    auto shows = [&](const std::string& status) {
        return until([&] {
            frame(panel);
            return lyrics.status->visible && lyrics.status->text() == status;
        });
    };
    queue({ song("tr-6", "Fjord"), song("tr-2", "Morning Haze"), song("tr-1", "Dawn") }, 0);
    EXPECT_TRUE(shows("No lyrics for this song"));
    EXPECT_FALSE(lyrics.retry->visible);

    // Unsynced: every line as text, none highlighted.
    queue(player->queue, 1);
    ASSERT_TRUE(until([&] { frame(panel); return lyrics.lines.size() == 5; }));
    EXPECT_EQ(lyrics.lines[0]->text(), "Утренний туман над рекой");
    EXPECT_FALSE(lyrics.status->visible);
    EXPECT_EQ(lyrics.currentLine, -1);

    // A failure says why; Retry fetches again and the synced line at 0:00 is highlighted.
    ASSERT_TRUE(server.injectFault({ .endpoint = "getLyricsBySongId", .subsonicError = true,
        .errorMessage = "Lyrics are resting" }));
    queue(player->queue, 2);
    EXPECT_TRUE(shows("Couldn't load lyrics: Lyrics are resting"));
    ASSERT_TRUE(lyrics.retry->visible);
    lyrics.retry->onClick();
    ASSERT_TRUE(until([&] { frame(panel); return lyrics.lines.size() == 10; }));
    EXPECT_EQ(lyrics.currentLine, 0);
    EXPECT_EQ(requests("getOpenSubsonicExtensions"), 1);
}

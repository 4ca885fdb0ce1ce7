#include "app/ui/pages/artists_page.h"
#include "app/ui/pages/favorites_page.h"
#include "app/ui/nav.h"
#include "app/ui/page.h"
#include "app/ui/services.h"

#include <gtest/gtest.h>

namespace {

class CountingPage : public cad::Page {
public:
    CountingPage()
        : Page("Counting", true)
    {
    }
    void start() override { ++starts; }
    int starts = 0;
};

TEST(PageFramework, TheViewOwnsItsPageAndStartRunsOnce)
{
    auto page = std::make_shared<CountingPage>();
    std::weak_ptr<cad::Page> weak = page;
    vell::ViewPtr view = cad::presentPage(page);
    ASSERT_TRUE(view);
    EXPECT_EQ(page->starts, 1);
    EXPECT_FALSE(page->view);
    EXPECT_EQ(page->viewRef.lock(), view);
    EXPECT_EQ(page->body, view->body);
    EXPECT_EQ(page->root->parent, view->body.get());
    EXPECT_EQ(view->title, "Counting");
    EXPECT_FALSE(cad::presentPage(page)); // presented once only
    EXPECT_EQ(page->starts, 1);

    page.reset();
    EXPECT_FALSE(weak.expired()); // kept alive by its view
    view.reset();
    EXPECT_TRUE(weak.expired());
}

TEST(PageFramework, ServerPagesReloadOnShowByTheirRule)
{
    cad::services().online = false;
    auto favorites = std::make_shared<cad::FavoritesPage>();
    auto artists = std::make_shared<cad::ArtistsPage>();
    auto favoritesView = cad::presentPage(favorites);
    auto artistsView = cad::presentPage(artists);
    EXPECT_EQ(favorites->loads, 1); // start() loads
    EXPECT_EQ(artists->loads, 1);

    favoritesView->onShow();
    artistsView->onShow();
    EXPECT_EQ(favorites->loads, 2); // always
    EXPECT_EQ(artists->loads, 1);   // nothing changed

    cad::services().online = true;
    artistsView->onShow();
    EXPECT_EQ(artists->loads, 2);
    EXPECT_TRUE(artists->loadedOnline);

    // The callback holds the page weakly: once the page is gone it does nothing.
    auto onShow = artistsView->onShow;
    artists.reset();
    artistsView.reset();
    onShow();
    cad::services().online = false;
}

TEST(PageFramework, UnsetNavigationHooksAreSkipped)
{
    cad::nav() = cad::Nav {};
    cad::toast("Saved", "", 0xE86C, 3.5f); // no controller yet: nothing happens

    std::string seen;
    cad::nav().toast = [&](const std::string& title, const std::string& detail, float seconds, unsigned icon) {
        seen = title + "|" + detail + "|" + std::to_string(int(seconds * 10)) + "|" + std::to_string(icon);
    };
    cad::toast("Saved", "x", 0xE86C, 3.5f);
    EXPECT_EQ(seen, "Saved|x|35|59500");
    cad::nav() = cad::Nav {};
}

} // namespace

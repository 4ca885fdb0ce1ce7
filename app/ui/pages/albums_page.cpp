#include "app/ui/pages/albums_page.h"

#include "app/ui/nav.h"
#include "app/ui/page_state.h"
#include "app/ui/services.h"
#include "vell/box.h"

namespace cad {
namespace {

constexpr int32_t kCloudOff = 0xE2C1;
constexpr int32_t kAlbum = 0xE019;
constexpr int32_t kError = 0xE000;

struct Chip {
    const char* label;
    const char* type;
};

constexpr Chip kChips[] = {
    { "Newest", "newest" },
    { "A-Z", "alphabeticalByName" },
    { "Recent", "recent" },
    { "Frequent", "frequent" },
    { "Random", "random" },
};

} // namespace

AlbumsPage::AlbumsPage()
    : ServerPage("Albums", true, RefreshRule::OnlineChanged)
{
    auto bar = vell::box();
    bar->style().direction = vell::Direction::Row;
    bar->style().gap = 8;
    bar->style().padding = vell::symmetricEdges(20, 8);
    for (const Chip& chip : kChips) {
        auto button = vell::button(chip.label, 0, "chip");
        button->group = "sort";
        button->setChecked(sortType == chip.type);
        chips.push_back(button);
        bar->add(button);
    }
    content = stateBox();
    root->add({ bar, content });
}

void AlbumsPage::start()
{
    std::weak_ptr<Page> weak = weakSelf();
    auto page = [weak] { return std::static_pointer_cast<AlbumsPage>(weak.lock()); };
    for (size_t i = 0; i < chips.size(); ++i) {
        chips[i]->onChange = [page, type = std::string(kChips[i].type)](bool on) {
            auto p = page();
            if (p && on) {
                p->sortType = type;
                p->load(true);
            }
        };
    }
    // Runs while the grid lays out: only requests, never a change of the tree.
    grid.onNearEnd = [page] {
        if (auto p = page())
            p->loadMore();
    };
    ServerPage::start();
}

void AlbumsPage::setSort(const std::string& type)
{
    for (size_t i = 0; i < chips.size(); ++i) {
        const bool on = type == kChips[i].type;
        if (on == chips[i]->checked)
            continue;
        chips[i]->setChecked(on);
        if (on && chips[i]->onChange)
            chips[i]->onChange(true);
    }
}

void AlbumsPage::loadMore()
{
    if (loading || exhausted || moreFailed || !services().online)
        return;
    load(false);
}

void AlbumsPage::load(bool reset)
{
    loadedOnline = services().online;
    if (reset) {
        ++generation;
        offset = 0;
        exhausted = false;
        moreFailed = false;
        grid.albums->clear();
        grid.refresh();
        grid.list->scrollTo({ 0, 0 });
        showLoading(*content);
    }
    if (!services().online) {
        loading = false;
        showMessage(*content, kCloudOff, "You're offline");
        return;
    }
    loading = true;
    std::weak_ptr<Page> weak = weakSelf();
    const int wanted = generation;
    services().subsonic.albumList(sortType, kPageSize, offset,
        [weak, wanted](bool ok, const std::vector<Album>& albums, const std::string& error) {
            auto page = std::static_pointer_cast<AlbumsPage>(weak.lock());
            if (!page)
                return;
            if (page->generation != wanted)
                ++page->dropped;
            else
                page->received(ok, albums, error);
        });
}

void AlbumsPage::received(bool ok, const std::vector<Album>& albums, const std::string& error)
{
    loading = false;
    const bool first = grid.albums->empty();
    if (!ok) {
        if (first) {
            std::weak_ptr<Page> weak = weakSelf();
            showError(*content, "Couldn't load albums: " + error,
                [weak] {
                    if (auto page = weak.lock())
                        page->refresh();
                },
                kError);
            return;
        }
        // Keep what is shown; the next scroll near the end asks again.
        moreFailed = true;
        m_failedAt = grid.list->offset().y;
        toast("Couldn't load more albums", error, unsigned(kError), 5.0f);
        return;
    }
    offset += int(albums.size());
    exhausted = int(albums.size()) < kPageSize;
    grid.albums->insert(grid.albums->end(), albums.begin(), albums.end());
    if (grid.albums->empty()) {
        showMessage(*content, kAlbum, "No albums yet");
        return;
    }
    if (grid.list->parent != content.get()) {
        content->clearChildren();
        content->addChild(grid.list);
    }
    grid.grow();
}

void AlbumsPage::tick(float)
{
    // A failed further page is asked for again once the user scrolls.
    if (moreFailed && grid.list->offset().y != m_failedAt) {
        moreFailed = false;
        loadMore();
    }
}

} // namespace cad

#include "app/ui/pages/home_page.h"

#include "app/player/player_core.h"
#include "app/ui/nav.h"
#include "app/ui/widgets/result_sections.h"
#include "app/ui/services.h"
#include "vell/button.h"
#include "vell/color_ref.h"
#include "vell/glyph.h"
#include "vell/label.h"

namespace cad {
namespace {

constexpr int32_t kSearch = 0xE8B6;
constexpr int32_t kRefresh = 0xE5D5;
constexpr int32_t kShuffle = 0xE043;
constexpr int32_t kOfflinePin = 0xE90A;
constexpr int32_t kCloudOff = 0xE2C1;
constexpr unsigned kErrorIcon = 0xE000;
constexpr int kShelfSize = 16;
constexpr int kShuffleSize = 100;

struct Shelf {
    const char* title;
    const char* type;
};

constexpr Shelf kShelves[] = {
    { "Recently played", "recent" },
    { "Newest", "newest" },
    { "Most played", "frequent" },
    { "Discover", "random" },
};

// Rows of centred children, as in every results section.
const auto row = sectionRow;

// The shelf's tiles, or what replaces them, in place of its "Loading" caption.
void fillShelf(vell::Widget& title, vell::Widget& holder, bool ok, const std::vector<Album>& albums,
    const std::string& error)
{
    holder.clearChildren();
    if (!ok) {
        auto failed = vell::label("Couldn't load: " + error);
        failed->style().color = vell::colorToken("error");
        holder.addChild(failed);
        return;
    }
    if (albums.empty()) {
        title.visible = false;
        holder.visible = false;
        return;
    }
    holder.addChild(albumShelf(albums));
}

} // namespace

HomePage::HomePage()
    : ServerPage("Home", true, RefreshRule::Stale)
{
    content = vell::box();
    content->style().width = vell::SizeSpec::fill();
    content->style().gap = 18;
    content->style().padding = vell::symmetricEdges(24, 16);
    scroller = vell::scrollView();
    scroller->style().width = vell::SizeSpec::fill();
    scroller->style().height = vell::SizeSpec::fill();
    scroller->add(content);
    root->add(scroller);

    auto search = vell::iconButton(kSearch);
    search->onClick = [] {
        if (auto& show = nav().showSearch)
            show();
    };
    reloadButton = vell::iconButton(kRefresh);
    if (view && view->top)
        view->top->addChild(row(4)->add({ search, reloadButton }));
}

void HomePage::start()
{
    std::weak_ptr<Page> weak = weakSelf();
    reloadButton->onClick = [weak] {
        if (auto page = weak.lock())
            page->refresh();
    };
    ServerPage::start();
}

void HomePage::load()
{
    content->clearChildren();
    const bool online = services().online;

    auto shortcuts = row(12);
    if (online) {
        auto shuffle = vell::button("Shuffle all", kShuffle);
        shuffle->onClick = [] { shuffleAll(); };
        shortcuts->add(shuffle);
    }
    auto offline = vell::button("Offline library", kOfflinePin, "tonal");
    offline->onClick = [] {
        if (auto& show = nav().showOffline)
            show();
    };
    shortcuts->add(offline);
    content->add(shortcuts);

    if (!online) {
        auto banner = vell::box("banner");
        auto text = vell::label("You're offline. Your downloaded songs are still available.");
        text->style().wrap = true;
        banner->add({ vell::glyph(kCloudOff), text });
        content->add(banner);
        return;
    }
    for (const Shelf& shelf : kShelves)
        addShelf(shelf.title, shelf.type);
}

void HomePage::addShelf(const std::string& title, const std::string& type)
{
    auto heading = vell::label(title, "section-title");
    auto holder = vell::box();
    holder->style().width = vell::SizeSpec::fill();
    holder->addChild(vell::label("Loading", "caption"));
    content->add({ heading, holder });

    std::weak_ptr<vell::Widget> weakHeading = heading;
    std::weak_ptr<vell::Widget> weakHolder = holder;
    services().subsonic.albumList(type, kShelfSize, 0,
        [weakHeading, weakHolder](bool ok, const std::vector<Album>& albums, const std::string& error) {
            auto heading = weakHeading.lock();
            auto holder = weakHolder.lock();
            if (heading && holder)
                fillShelf(*heading, *holder, ok, albums, error);
        });
}

void HomePage::shuffleAll()
{
    services().subsonic.randomSongs(kShuffleSize, [](bool ok, const std::vector<Song>& songs, const std::string& error) {
        PlayerCore* player = services().player;
        if (!ok || songs.empty()) {
            toast("Couldn't load songs", error, kErrorIcon, 3.5f);
            return;
        }
        if (!player)
            return;
        player->setShuffle(false);
        player->setQueue(songs, 0);
    });
}

} // namespace cad

#include "app/ui/pages/favorites_page.h"

#include "app/ui/page_state.h"
#include "app/ui/widgets/result_sections.h"
#include "app/ui/services.h"
#include "app/ui/song_actions.h"
#include "vell/button.h"

namespace cad {
namespace {

constexpr int32_t kRefresh = 0xE5D5;
constexpr int32_t kCloudOff = 0xE2C1;
constexpr int32_t kHeartOutlined = 0xE87E;
constexpr int32_t kPlay = 0xE037;
constexpr int32_t kShuffle = 0xE043;

std::shared_ptr<vell::Button> playAll(const SongList& songs, const std::string& text, int32_t glyph,
    const std::string& className, bool shuffle)
{
    auto button = vell::button(text, glyph, className);
    button->onClick = [songs, shuffle] { playSongs(songs, shuffle); };
    return button;
}

} // namespace

FavoritesPage::FavoritesPage()
    : ServerPage("Favorites", true, RefreshRule::Always)
{
    content = stateBox();
    content->style().padding = vell::symmetricEdges(24, 12);
    root->add(content);
    bindQueueKeys(view);
    reloadButton = vell::iconButton(kRefresh);
    if (view->top)
        view->top->addChild(reloadButton);
}

void FavoritesPage::start()
{
    std::weak_ptr<Page> weak = weakSelf();
    reloadButton->onClick = [weak] {
        if (auto page = weak.lock())
            page->refresh();
    };
    ServerPage::start();
}

void FavoritesPage::load()
{
    if (!services().online) {
        showMessage(*content, kCloudOff, "You're offline");
        return;
    }
    if (content->children.empty())
        showCaption(*content, "Loading");
    std::weak_ptr<Page> weak = weakSelf();
    services().subsonic.starred([weak](bool ok, const Subsonic::SearchResult& reply, const std::string& error) {
        if (auto page = std::static_pointer_cast<FavoritesPage>(weak.lock()))
            page->received(ok, reply, error);
    });
}

void FavoritesPage::received(bool ok, const Subsonic::SearchResult& reply, const std::string& error)
{
    if (!ok) {
        std::weak_ptr<Page> weak = weakSelf();
        showError(*content, "Couldn't load favorites: " + error, [weak] {
            if (auto page = weak.lock())
                page->refresh();
        });
        return;
    }
    result = reply;
    if (result.albums.empty() && result.songs.empty()) {
        showMessage(*content, kHeartOutlined, "Nothing favorited yet");
        return;
    }
    // A fresh list: rows of the previous reply keep theirs.
    songs = std::make_shared<std::vector<Song>>(result.songs);
    auto column = resultsColumn(*content);
    if (!songs->empty()) {
        column->add(sectionRow(10)->add({ playAll(songs, "Play favorites", kPlay, {}, false),
            playAll(songs, "Shuffle", kShuffle, "tonal", true) }));
    }
    if (!result.albums.empty())
        column->add({ sectionTitle("Albums"), albumShelf(result.albums) });
    if (!songs->empty())
        addSongRows(*column, songs);
}

} // namespace cad

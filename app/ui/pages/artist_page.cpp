#include "app/ui/pages/artist_page.h"

#include "app/ui/page_state.h"
#include "app/ui/services.h"
#include "vell/engine.h"

namespace cad {

void retitle(Page& page, const std::string& title)
{
    auto view = page.viewRef.lock();
    if (!view)
        return;
    view->title = title;
    if (vell::Engine* engine = services().engine; engine && engine->shell().viewHost->current() == view)
        engine->shell().setTitle(title);
}

ArtistPage::ArtistPage(std::string id)
    : ServerPage("Artist", true, RefreshRule::Never)
    , artistId(std::move(id))
{
    content = stateBox();
    root->add(content);
}

void ArtistPage::load()
{
    if (grid.list->parent != content.get())
        showCaption(*content, "Loading");
    std::weak_ptr<Page> weak = weakSelf();
    services().subsonic.artist(artistId,
        [weak](bool ok, const Artist& artist, const std::vector<Album>& albums, const std::string& error) {
            if (auto page = std::static_pointer_cast<ArtistPage>(weak.lock()))
                page->received(ok, artist, albums, error);
        });
}

void ArtistPage::received(bool ok, const Artist& artist, const std::vector<Album>& albums, const std::string& error)
{
    if (!ok) {
        std::weak_ptr<Page> weak = weakSelf();
        showError(*content, "Couldn't load artist: " + error, [weak] {
            if (auto page = weak.lock())
                page->refresh();
        });
        return;
    }
    retitle(*this, artist.name);
    *grid.albums = albums;
    if (grid.list->parent != content.get()) {
        content->clearChildren();
        content->addChild(grid.list);
    }
    grid.refresh();
}

} // namespace cad

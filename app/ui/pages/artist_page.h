#pragma once
// cad::ArtistPage — one artist's albums in a grid, pushed by the openArtist hook.
// Its title becomes the artist's name once loaded.

#include "app/ui/widgets/album_grid.h"
#include "app/ui/server_page.h"

namespace cad {

class ArtistPage : public ServerPage {
public:
    explicit ArtistPage(std::string artistId);

    std::string artistId;
    AlbumGrid grid;
    std::shared_ptr<vell::Widget> content;

protected:
    void load() override;

private:
    void received(bool ok, const Artist& artist, const std::vector<Album>& albums, const std::string& error);
};

// Gives the page's view a new title, in the shell too when the view is shown.
void retitle(Page& page, const std::string& title);

} // namespace cad

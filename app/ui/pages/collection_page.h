#pragma once
// cad::CollectionPage — one album or playlist: a header (cover, title, the artist
// as a link, "year · N songs · length", Play, Shuffle and Download) over its songs.
// Pushed by the openAlbum and openPlaylist hooks; binds the queue keys. Always asks
// the server; an album it cannot load is built from the downloaded songs of that
// album when there are any.

#include "app/ui/widgets/collection_header.h"
#include "app/ui/widgets/row_list.h"
#include "app/ui/server_page.h"
#include "app/ui/song_actions.h"

namespace cad {

enum class CollectionKind { Album = 0, Playlist = 1 };

class CollectionPage : public ServerPage {
public:
    CollectionPage(CollectionKind kind, std::string id);

    // Fills the header and the song list (a rebuild keeps the list's scroll and focus).
    void build(const std::string& title, const std::string& subtitle, const std::string& artistId,
        const std::string& coverArt, int year, const std::vector<Song>& list);

    // The downloaded songs of album `albumId`, by disc and track.
    static std::vector<Song> offlineAlbum(const std::string& albumId);

    CollectionKind kind;
    std::string id;
    SongList songs = std::make_shared<std::vector<Song>>();
    RowList rows;
    std::shared_ptr<CollectionHeader> header;
    std::shared_ptr<vell::Widget> content;

protected:
    void load() override;

private:
    void failed(const std::string& error);
};

} // namespace cad

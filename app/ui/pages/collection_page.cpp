#include "app/ui/pages/collection_page.h"

#include "app/ui/widgets/collection_header.h"
#include "app/ui/widgets/cover.h"
#include "app/ui/widgets/download_button.h"
#include "app/ui/library_text.h"
#include "app/ui/nav.h"
#include "app/ui/page_state.h"
#include "app/ui/widgets/result_sections.h"
#include "app/ui/services.h"
#include "app/ui/widgets/song_row.h"
#include "app/ui/song_actions.h"
#include "vell/box.h"
#include "vell/button.h"
#include "vell/color_ref.h"
#include "vell/label.h"

#include <algorithm>

namespace cad {
namespace {

constexpr int32_t kPlay = 0xE037;
constexpr int32_t kShuffle = 0xE043;
constexpr float kRowHeight = 64;

// Rows of centred children, as in every results section.
const auto row = sectionRow;

std::string collectionCaption(int year, const std::vector<Song>& songs)
{
    long long total = 0;
    for (const Song& song : songs)
        total += std::max(0, song.duration);
    std::string text = year > 0 ? std::to_string(year) + kSeparator : std::string();
    return text + songCount(songs.size()) + kSeparator + formatLength(total);
}

} // namespace

CollectionPage::CollectionPage(CollectionKind k, std::string collectionId)
    : ServerPage(k == CollectionKind::Album ? "Album" : "Playlist", true, RefreshRule::Never)
    , kind(k)
    , id(std::move(collectionId))
    , rows(kRowHeight)
{
    header = std::make_shared<CollectionHeader>();
    content = stateBox();
    content->style().padding = vell::symmetricEdges(12, 0);
    root->add({ header, content });
    const bool album = kind == CollectionKind::Album;
    rows.make = [list = songs, album](int index) { return songRow(list, index, !album, album); };
    bindQueueKeys(view);
}

void CollectionPage::load()
{
    if (rows.list->parent != content.get())
        showCaption(*content, "Loading");
    std::weak_ptr<Page> weak = weakSelf();
    auto page = [weak] { return std::static_pointer_cast<CollectionPage>(weak.lock()); };
    Subsonic& subsonic = services().subsonic;
    if (kind == CollectionKind::Album) {
        subsonic.album(id, [page](bool ok, const Album& album, const std::vector<Song>& list, const std::string& error) {
            auto p = page();
            if (!p)
                return;
            if (ok)
                p->build(album.name, album.artist, album.artistId, album.coverArt, album.year, list);
            else
                p->failed(error);
        });
        return;
    }
    subsonic.playlist(id, [page](bool ok, const Playlist& playlist, const std::vector<Song>& list, const std::string& error) {
        auto p = page();
        if (!p)
            return;
        if (ok)
            p->build(playlist.name, {}, {}, playlist.coverArt, 0, list);
        else
            p->failed(error);
    });
}

std::vector<Song> CollectionPage::offlineAlbum(const std::string& albumId)
{
    std::vector<Song> list;
    for (const OfflineEntry& entry : services().store.offline) {
        if (entry.song.albumId == albumId)
            list.push_back(entry.song);
    }
    std::stable_sort(list.begin(), list.end(), [](const Song& a, const Song& b) {
        return a.discNumber != b.discNumber ? a.discNumber < b.discNumber : a.track < b.track;
    });
    return list;
}

void CollectionPage::failed(const std::string& error)
{
    if (kind == CollectionKind::Album) {
        std::vector<Song> saved = offlineAlbum(id);
        if (!saved.empty()) {
            const Song& first = saved.front();
            build(first.album, first.artist, first.artistId, first.coverArt, first.year, saved);
            return;
        }
    }
    header->clearChildren();
    std::weak_ptr<Page> weak = weakSelf();
    showError(*content, "Couldn't load: " + error, [weak] {
        if (auto page = weak.lock())
            page->refresh();
    });
}

void CollectionPage::build(const std::string& title, const std::string& subtitle, const std::string& artistId,
    const std::string& coverArt, int year, const std::vector<Song>& list)
{
    *songs = list;

    auto column = vell::box();
    column->style().gap = 8;
    column->style().width = vell::SizeSpec::fill();
    column->add(vell::label(title, "title"));
    if (!subtitle.empty()) {
        auto artist = vell::button({}, 0, "text");
        auto name = vell::label(subtitle, "subtitle");
        name->style().color = vell::colorToken("primary");
        artist->add(name);
        artist->onClick = [artistId] {
            if (auto& open = nav().openArtist)
                open(artistId);
        };
        column->add(artist);
    }
    column->add(vell::label(collectionCaption(year, list), "caption"));

    auto playButton = vell::button("Play", kPlay);
    playButton->onClick = [list = songs] { playSongs(list, false); };
    auto shuffleButton = vell::button("Shuffle", kShuffle, "tonal");
    shuffleButton->onClick = [list = songs] { playSongs(list, true); };
    auto download = vell::button({}, 0, "tonal");
    download->add({ downloadGlyph(list, 24), vell::label("Download") });
    download->onClick = downloadAction(list);
    auto cover = coverImage(coverArt, 600, CollectionHeader::kCover);
    cover->style().radius = 24;
    header->show(cover, column, row(10)->add({ playButton, shuffleButton, download }));

    rows.show(*content, int(songs->size()));
}

} // namespace cad

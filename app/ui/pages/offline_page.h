#pragma once
// cad::OfflinePage — the "Offline" navigation page: what is on the device. The
// offline banner with "Reconnect" while offline, the summary with Play all,
// Shuffle and delete-all, the downloads in progress with their badges, and the
// saved songs sorted by artist, album, disc and track. Refreshes whenever it is
// shown and when downloads, the library or the online state change; a refresh
// keeps the focused row and the scroll offset.

#include "app/core/library.h"
#include "app/ui/page.h"
#include "app/ui/widgets/row_list.h"
#include "app/ui/song_actions.h"

#include <memory>

namespace vell {
class Label;
}

namespace cad {

// The library order: artist, then album (each case-insensitively first, then by
// bytes, so "ABBA" and "Abba" stay apart), disc, track. A strict weak ordering.
bool offlineOrder(const Song& a, const Song& b);

// Opens "Delete all downloads?"; its "Delete" runs cad::Downloads::deleteAll.
void askDeleteDownloads();

class OfflinePage : public Page {
public:
    OfflinePage();

    void start() override;
    void refresh() override;
    void tick(float seconds) override;

    SongList songs = std::make_shared<std::vector<Song>>();
    RowList rows;
    std::shared_ptr<vell::Widget> downloads; // the downloads section
    std::shared_ptr<vell::Widget> content;   // the list or the empty state
    std::shared_ptr<vell::Widget> emptyState;
    std::shared_ptr<vell::Widget> banner;
    std::shared_ptr<vell::Label> summary;
    long long lastCount = -1;
    bool lastOnline = false;

private:
    void fillDownloads();
    void buildDownloads();
};

} // namespace cad

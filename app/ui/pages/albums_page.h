#pragma once
// cad::AlbumsPage — the "Albums" navigation page: five sort chips above a grid of
// every album, loaded 60 at a time as the grid's last rows are built. Each sort
// change starts a new generation, so a late reply for the previous order is dropped.
// A failed further page keeps the albums shown, toasts the failure, and is tried
// again when the user scrolls.

#include "app/ui/widgets/album_grid.h"
#include "app/ui/server_page.h"
#include "vell/button.h"

#include <vector>

namespace cad {

class AlbumsPage : public ServerPage {
public:
    static constexpr int kPageSize = 60;

    AlbumsPage();
    void start() override;
    void tick(float seconds) override;

    // From the start (a new generation) or the next page.
    void load(bool reset);
    // Checks the chip of `type` and loads that order from the start.
    void setSort(const std::string& type);

    AlbumGrid grid;
    std::string sortType = "newest";
    int offset = 0;
    bool loading = false;
    bool exhausted = false;
    int generation = 0;
    // A further page failed; the next scroll near the end asks again.
    bool moreFailed = false;
    // Replies dropped for belonging to an earlier sort (diagnostics and tests).
    int dropped = 0;

    std::vector<std::shared_ptr<vell::Button>> chips;
    std::shared_ptr<vell::Widget> content; // the grid or a message

protected:
    void load() override { load(true); }

private:
    void received(bool ok, const std::vector<Album>& albums, const std::string& error);
    void loadMore();
    float m_failedAt = 0; // scroll offset when a further page failed
};

} // namespace cad

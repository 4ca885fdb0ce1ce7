#pragma once
// cad::DownloadBadge — the combined download state of some songs, drawn inside
// download buttons and the offline page's downloads header: a cloud (nothing
// saved), a progress ring with a small cross (waiting or downloading; pressing the
// button cancels), a check mark (every song saved) or an error mark (a download
// failed and none is running). It follows the download queue and the offline
// library every frame by itself, and is never hit, so presses reach the button.
//
//   button->add(downloadBadge({ song.id }, 26));

#include "vell/box.h"
#include "vell/circular_progress.h"
#include "vell/glyph.h"

#include <memory>
#include <string>
#include <vector>

namespace cad {

// What the badge shows for its ids right now.
struct BadgeTally {
    enum State { None = 0, Active = 1, Saved = 2, Failed = 3 };
    State state = None;
    bool indeterminate = false; // only waiting songs
    float progress = 0;         // [0, 1]: saved songs count 1, a download its share
};

// Tallies the ids against the store's offline library and cad::Downloads.
BadgeTally tallyDownloads(const std::vector<std::string>& ids);

class DownloadBadge : public vell::ContainerT<DownloadBadge, vell::Flex> {
public:
    static constexpr const char* kTypeName = "download-badge";

    explicit DownloadBadge(float badgeSize = 28);
    void update(vell::UiContext& ctx, float dt) override;
    vell::Widget* hitTest(vell::Point) override { return nullptr; }

    // Tallies the ids again and shows the result (what update() does every frame).
    void apply();

    std::vector<std::string> ids;
    int shown = -1; // the BadgeTally::State last applied; -1 before the first
    float size = 28;
    bool hideGlyph = false; // only the ring is ever visible
    std::shared_ptr<vell::Glyph> glyph;
    std::shared_ptr<vell::CircularProgress> ring;
};

std::shared_ptr<DownloadBadge> downloadBadge(std::vector<std::string> ids, float size = 28);

} // namespace cad

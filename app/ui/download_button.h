#pragma once
// The download control of rows and headers: an icon button whose press queues,
// cancels or removes the songs' offline copies (cad::Downloads::toggle).
//
//   row->add(downloadButton({ song }, 26));
//   play->onClick = downloadAction(album.songs);

#include "app/core/library.h"
#include "vell/button.h"
#include "vell/glyph.h"

#include <functional>
#include <memory>
#include <vector>

namespace cad {

// Passes the songs to cad::Downloads::toggle when called.
std::function<void()> downloadAction(std::vector<Song> songs);

// The combined download state of some songs as one glyph that follows the
// download queue and the offline library by their change counters: saved
// (every song offline, "primary"), pending (any waiting or downloading) or not saved.
// A minimal badge: no progress ring.
class DownloadGlyph : public vell::WidgetT<DownloadGlyph, vell::Glyph> {
public:
    static constexpr const char* kTypeName = "glyph";
    enum State { NotSaved, Pending, Saved };

    void update(vell::UiContext& ctx, float dt) override;
    // Looks the songs up again now.
    void recompute();

    std::vector<std::string> ids;
    State state = NotSaved;

private:
    long long m_seen = -1;
};

std::shared_ptr<DownloadGlyph> downloadGlyph(const std::vector<Song>& songs, float size);

// An "icon" button (padding 8) holding a DownloadGlyph of `badgeSize` for the songs;
// its onClick is downloadAction(songs).
std::shared_ptr<vell::Button> downloadButton(std::vector<Song> songs, float badgeSize);

} // namespace cad

#pragma once
// The download control of rows and headers: an icon button holding a
// cad::DownloadBadge, whose press queues, cancels or removes the songs' offline
// copies (cad::Downloads::toggle).
//
//   row->add(downloadButton({ song }, 26));
//   play->onClick = downloadAction(album.songs);

#include "app/core/library.h"
#include "app/ui/widgets/download_badge.h"
#include "vell/button.h"

#include <functional>
#include <memory>
#include <vector>

namespace cad {

// Passes the songs to cad::Downloads::toggle when called.
std::function<void()> downloadAction(std::vector<Song> songs);

// The badge for the songs' ids (for buttons that carry a label beside it).
std::shared_ptr<DownloadBadge> downloadGlyph(const std::vector<Song>& songs, float size);

// An "icon" button (padding 8) holding a DownloadBadge of `badgeSize` for the songs;
// its onClick is downloadAction(songs).
std::shared_ptr<vell::Button> downloadButton(std::vector<Song> songs, float badgeSize);

} // namespace cad

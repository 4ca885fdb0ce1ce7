#include "app/ui/widgets/download_button.h"

#include "app/player/downloads.h"
#include "app/ui/services.h"

namespace cad {

std::function<void()> downloadAction(std::vector<Song> songs)
{
    return [songs = std::move(songs)] { services().downloads.toggle(songs); };
}

std::shared_ptr<DownloadBadge> downloadGlyph(const std::vector<Song>& songs, float size)
{
    std::vector<std::string> ids;
    ids.reserve(songs.size());
    for (const Song& song : songs)
        ids.push_back(song.id);
    return downloadBadge(std::move(ids), size);
}

std::shared_ptr<vell::Button> downloadButton(std::vector<Song> songs, float badgeSize)
{
    auto button = vell::button({}, 0, "icon");
    button->style().padding = vell::uniformEdges(8);
    button->add(downloadGlyph(songs, badgeSize));
    button->onClick = downloadAction(std::move(songs));
    return button;
}

} // namespace cad

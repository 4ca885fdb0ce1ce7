#include "app/ui/download_button.h"

#include "app/player/downloads.h"
#include "app/ui/services.h"
#include "vell/color_ref.h"

namespace cad {
namespace {

constexpr int32_t kDownload = 0xE2C4;   // file_download
constexpr int32_t kPending = 0xE2C0;    // cloud_download
constexpr int32_t kSaved = 0xE90A;      // offline_pin

long long changeStamp()
{
    const Services& s = services();
    return (long long)s.downloads.changeCount * 1000003LL + s.store.offlineCount;
}

} // namespace

std::function<void()> downloadAction(std::vector<Song> songs)
{
    return [songs = std::move(songs)] { services().downloads.toggle(songs); };
}

void DownloadGlyph::recompute()
{
    const Services& s = services();
    m_seen = changeStamp();
    bool allSaved = !ids.empty();
    bool pending = false;
    for (const std::string& id : ids) {
        if (auto item = s.downloads.find(id); item && item->state != Downloads::Item::Failed)
            pending = true;
        if (!s.store.offlineEntry(id))
            allSaved = false;
    }
    state = pending ? Pending : allSaved ? Saved : NotSaved;
    setCodePoint(state == Pending ? kPending : state == Saved ? kSaved : kDownload);
    style().color = vell::colorToken(state == NotSaved ? "onSurfaceVariant" : "primary");
}

void DownloadGlyph::update(vell::UiContext& ctx, float dt)
{
    Glyph::update(ctx, dt);
    if (m_seen != changeStamp())
        recompute();
}

std::shared_ptr<DownloadGlyph> downloadGlyph(const std::vector<Song>& songs, float size)
{
    auto badge = std::make_shared<DownloadGlyph>();
    for (const Song& song : songs)
        badge->ids.push_back(song.id);
    badge->style().textSize = size;
    badge->recompute();
    return badge;
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

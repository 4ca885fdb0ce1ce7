#include "app/ui/widgets/download_badge.h"

#include "app/player/downloads.h"
#include "app/ui/services.h"
#include "vell/color_ref.h"

#include <algorithm>

namespace cad {
namespace {

constexpr int32_t kCloud = 0xE2C4;  // cloud_download
constexpr int32_t kCheck = 0xE86C;  // check_circle
constexpr int32_t kError = 0xE000;  // error
constexpr int32_t kCancel = 0xE5CD; // close

double transferShare(const Downloads::Item& item)
{
    if (!item.transfer)
        return 0;
    const double total = item.transfer->total.load();
    return total > 0 ? std::min(1.0, item.transfer->received.load() / total) : 0;
}

} // namespace

BadgeTally tallyDownloads(const std::vector<std::string>& ids)
{
    const Services& s = services();
    int saved = 0, downloading = 0, waiting = 0, failed = 0;
    double progress = 0;
    for (const std::string& id : ids) {
        if (s.store.offlineEntry(id)) {
            ++saved;
            progress += 1;
            continue;
        }
        auto item = s.downloads.find(id);
        if (!item)
            continue;
        if (item->state == Downloads::Item::Downloading) {
            ++downloading;
            progress += transferShare(*item);
        } else if (item->state == Downloads::Item::Waiting) {
            ++waiting;
        } else if (item->state == Downloads::Item::Failed) {
            ++failed;
        }
    }
    BadgeTally tally;
    if (downloading + waiting == 0) {
        const bool allSaved = !ids.empty() && saved == int(ids.size());
        tally.state = allSaved ? BadgeTally::Saved : failed == 0 ? BadgeTally::None : BadgeTally::Failed;
        tally.progress = allSaved ? 1.0f : 0.0f;
        return tally;
    }
    tally.state = BadgeTally::Active;
    tally.indeterminate = downloading == 0;
    tally.progress = float(std::clamp(progress / double(ids.size()), 0.0, 1.0));
    return tally;
}

DownloadBadge::DownloadBadge(float badgeSize)
    : size(badgeSize)
{
    style().direction = vell::Direction::Stack;
    style().width = vell::SizeSpec::fixed(size);
    style().height = vell::SizeSpec::fixed(size);
    style().align = vell::Align::Center;
    style().justify = vell::Justify::Center;
}

void DownloadBadge::apply()
{
    glyph->visible = !hideGlyph;
    const BadgeTally tally = tallyDownloads(ids);
    ring->visible = tally.state == BadgeTally::Active;
    if (ring->visible) {
        ring->indeterminate = tally.indeterminate;
        ring->progress = tally.progress;
    }
    if (tally.state == shown)
        return;
    shown = tally.state;
    struct Look {
        int32_t codePoint;
        float scale;
        const char* color;
    };
    static constexpr Look kLooks[] = {
        { kCloud, 0.85f, "onSurfaceVariant" },
        { kCancel, 0.85f * 0.55f, "onSurfaceVariant" },
        { kCheck, 0.85f, "success" },
        { kError, 0.85f, "error" },
    };
    const Look& look = kLooks[tally.state];
    glyph->setCodePoint(look.codePoint);
    glyph->style().textSize = look.scale * size;
    glyph->style().color = vell::colorToken(look.color);
}

void DownloadBadge::update(vell::UiContext& ctx, float dt)
{
    Flex::update(ctx, dt);
    apply();
}

std::shared_ptr<DownloadBadge> downloadBadge(std::vector<std::string> ids, float size)
{
    auto badge = std::make_shared<DownloadBadge>(size);
    badge->ids = std::move(ids);
    badge->glyph = vell::glyph(kCloud);
    badge->ring = vell::circularProgress(0);
    badge->ring->diameter = size;
    badge->ring->thickness = std::max(0.1f * size, 2.5f);
    badge->ring->visible = false;
    for (vell::Widget* child : { (vell::Widget*)badge->glyph.get(), (vell::Widget*)badge->ring.get() }) {
        child->style().alignSelf = vell::Align::Center;
        child->style().alignSelfY = vell::Align::Center;
    }
    badge->add({ badge->glyph, badge->ring });
    badge->apply();
    return badge;
}

} // namespace cad

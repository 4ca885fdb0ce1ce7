#include "app/ui/pages/offline_page.h"

#include "app/player/downloads.h"
#include "app/ui/widgets/cover.h"
#include "app/ui/widgets/download_button.h"
#include "app/ui/library_text.h"
#include "app/ui/nav.h"
#include "app/ui/services.h"
#include "app/ui/widgets/song_row.h"
#include "app/ui/song_actions.h"
#include "app/ui/storage_text.h"
#include "vell/box.h"
#include "vell/color_ref.h"
#include "vell/engine.h"
#include "vell/glyph.h"
#include "vell/label.h"

#include <algorithm>
#include <cctype>

namespace cad {
namespace {

constexpr float kRowHeight = 64;
constexpr int32_t kCloudOff = 0xE2C1;
constexpr int32_t kPlay = 0xE037;
constexpr int32_t kShuffle = 0xE043;
constexpr int32_t kDelete = 0xE872;
constexpr int32_t kOfflinePin = 0xE90A;

std::string lowered(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        c = char(std::tolower((unsigned char)c));
    return out;
}

// <0, 0, >0 as a < b, case-insensitively first and by bytes to break ties.
int compareText(const std::string& a, const std::string& b)
{
    if (int c = lowered(a).compare(lowered(b)))
        return c;
    return a.compare(b);
}

std::shared_ptr<vell::Box> row(float gap)
{
    auto r = vell::box();
    r->style().direction = vell::Direction::Row;
    r->style().align = vell::Align::Center;
    r->style().gap = gap;
    r->style().width = vell::SizeSpec::fill();
    return r;
}

std::shared_ptr<vell::Label> muted(const std::string& text, const char* className = nullptr)
{
    auto label = className ? vell::label(text, className) : vell::label(text);
    label->style().color = vell::colorToken("onSurfaceVariant");
    return label;
}

long long changeStamp()
{
    const Services& s = services();
    return (long long)s.downloads.changeCount + s.store.offlineCount;
}

vell::WidgetPtr downloadRow(const Downloads::Item& item)
{
    const Song& song = item.song;
    std::string state = item.state == Downloads::Item::Waiting ? "Waiting"
        : item.state == Downloads::Item::Downloading          ? "Downloading"
                                                               : "Failed: " + item.error;
    auto text = vell::box();
    text->style().gap = 1;
    text->style().width = vell::SizeSpec::fill();
    text->add({ vell::label(song.title, "row-title"), vell::label(song.artist + kSeparator + state, "caption") });
    auto line = row(12)->add({ coverImage(song.coverArt, 300, 40), text, downloadButton({ song }, 34) });
    line->id = song.id;
    return line;
}

// The download row holding the focus, or null.
vell::Widget* focusedChild(const vell::Widget& section)
{
    const vell::Engine* engine = services().engine;
    const vell::Widget* focus = engine ? engine->focus() : nullptr;
    for (const auto& child : section.children)
        if (focus && (child.get() == focus || child->isAncestorOf(focus)))
            return child.get();
    return nullptr;
}

} // namespace

bool offlineOrder(const Song& a, const Song& b)
{
    if (int c = compareText(a.artist, b.artist))
        return c < 0;
    if (int c = compareText(a.album, b.album))
        return c < 0;
    if (a.discNumber != b.discNumber)
        return a.discNumber < b.discNumber;
    return a.track < b.track;
}

void askDeleteDownloads()
{
    vell::Engine* engine = services().engine;
    if (!engine)
        return;
    engine->shell().dialog("Delete all downloads?", "This removes every offline song from this device.",
        { { "Cancel", [] {} }, { "Delete", [] { services().downloads.deleteAll(); } } });
}

OfflinePage::OfflinePage()
    : Page("Offline", true)
    , rows(kRowHeight)
{
    root->style().gap = 12;
    root->style().padding = vell::symmetricEdges(12, 8);

    auto reconnect = vell::button("Reconnect", 0, "tonal");
    reconnect->onClick = [] {
        if (auto& check = nav().checkServer)
            check();
    };
    auto bannerText = vell::label("Offline mode");
    bannerText->style().width = vell::SizeSpec::fill();
    auto bannerRow = vell::box("banner");
    bannerRow->style().direction = vell::Direction::Row;
    bannerRow->style().align = vell::Align::Center;
    bannerRow->add({ vell::glyph(kCloudOff), bannerText, reconnect });
    banner = bannerRow;

    summary = vell::label("", "caption");
    summary->style().width = vell::SizeSpec::fill();
    auto playAll = vell::button("Play all", kPlay);
    playAll->onClick = [list = songs] { playSongs(list, false); };
    auto shuffle = vell::button("Shuffle", kShuffle, "tonal");
    shuffle->onClick = [list = songs] { playSongs(list, true); };
    auto remove = vell::iconButton(kDelete);
    remove->onClick = [] { askDeleteDownloads(); };
    auto header = row(10)->add({ summary, playAll, shuffle, remove });
    header->style().padding = vell::symmetricEdges(14, 0);

    auto section = vell::box();
    section->style().gap = 8;
    section->style().width = vell::SizeSpec::fill();
    downloads = section;

    auto empty = vell::box();
    empty->style().width = vell::SizeSpec::fill();
    empty->style().height = vell::SizeSpec::fill();
    empty->style().align = vell::Align::Center;
    empty->style().justify = vell::Justify::Center;
    empty->style().gap = 12;
    auto pin = vell::glyph(kOfflinePin);
    pin->style().textSize = 56;
    pin->style().color = vell::colorToken("onSurfaceVariant");
    empty->add({ pin, muted("No downloaded songs yet"), vell::label("Use the download button on any song or album", "caption") });
    emptyState = empty;

    auto box = vell::box();
    box->style().width = vell::SizeSpec::fill();
    box->style().height = vell::SizeSpec::fill();
    content = box;

    root->add({ banner, header, downloads, content });
    rows.make = [list = songs](int index) {
        vell::WidgetPtr line = songRow(list, index, true, false);
        if (line)
            line->style().padding = vell::symmetricEdges(14, 12);
        return line;
    };
    bindQueueKeys(view);
}

void OfflinePage::start()
{
    refresh();
    std::weak_ptr<Page> weak = weakSelf();
    if (auto v = viewRef.lock())
        v->onShow = [weak] {
            if (auto page = weak.lock())
                page->refresh();
        };
}

void OfflinePage::tick(float)
{
    if (lastCount != changeStamp() || lastOnline != services().online)
        refresh();
}

void OfflinePage::refresh()
{
    const Services& s = services();
    lastCount = changeStamp();
    lastOnline = s.online;
    banner->visible = !s.online;

    songs->clear();
    for (const OfflineEntry& entry : s.store.offline)
        songs->push_back(entry.song);
    std::sort(songs->begin(), songs->end(), offlineOrder);
    const int count = int(songs->size());
    if (count > 0) {
        rows.show(*content, count);
    } else if (emptyState->parent != content.get()) {
        content->clearChildren();
        content->addChild(emptyState);
    }
    summary->setText(std::to_string(count) + (count == 1 ? " song" : " songs") + kSeparator
        + formatSize(offlineBytes(s.store)));
    fillDownloads();
}

// A download row that had the focus gives it to the same song's new row, or to the
// row now at its place, so a finishing download does not throw the focus away.
void OfflinePage::fillDownloads()
{
    vell::Widget* focused = focusedChild(*downloads);
    const std::string focusedId = focused ? focused->id : std::string();
    size_t focusedAt = 0;
    while (focused && downloads->children[focusedAt].get() != focused)
        ++focusedAt;
    downloads->clearChildren();
    buildDownloads();
    vell::Engine* engine = services().engine;
    if (focusedId.empty() || !engine)
        return;
    std::vector<vell::Widget*> rows; // the download rows, after the title and the header
    vell::Widget* target = nullptr;
    for (const auto& child : downloads->children) {
        if (child->id.empty())
            continue;
        rows.push_back(child.get());
        if (child->id == focusedId)
            target = child.get();
    }
    if (rows.empty())
        return;
    if (!target)
        target = rows[std::min(focusedAt >= 2 ? focusedAt - 2 : 0, rows.size() - 1)];
    engine->setFocus(target->children.back().get()); // the row's download button
}

void OfflinePage::buildDownloads()
{
    const auto& items = services().downloads.items;
    if (items.empty())
        return;
    std::vector<std::string> ids;
    for (const auto& item : items)
        ids.push_back(item->song.id);
    auto all = downloadBadge(ids, 30);
    all->hideGlyph = true;
    all->apply();
    auto caption = vell::label(std::to_string(items.size()) + " downloading", "caption");
    caption->style().width = vell::SizeSpec::fill();
    downloads->addChild(vell::label("Downloading", "section-title"));
    downloads->addChild(row(10)->add({ caption, all }));
    for (const auto& item : items)
        downloads->addChild(downloadRow(*item));
}

} // namespace cad

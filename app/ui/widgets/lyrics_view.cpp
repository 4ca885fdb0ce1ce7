#include "app/ui/widgets/lyrics_view.h"

#include "app/player/player_core.h"
#include "app/ui/playback_view.h"
#include "app/ui/services.h"
#include "vell/color_ref.h"
#include "vell/music_player.h"
#include "vell/spacer.h"
#include "vell/ui_context.h"

#include <algorithm>

namespace cad {
namespace {

constexpr int32_t kRefresh = 0xE5D5;

const Lyrics* shownLyrics(const LyricsCache::Entry& entry)
{
    if (entry.state != LyricsCache::Ready || entry.chosen < 0)
        return nullptr;
    return &entry.all[static_cast<size_t>(entry.chosen)];
}

} // namespace

void LyricsView::build()
{
    style().direction = vell::Direction::Column;
    style().align = vell::Align::Center;
    style().justify = vell::Justify::Center;
    style().gap = 12;
    style().width = vell::SizeSpec::fill();
    style().height = vell::SizeSpec::fill();

    status = vell::label({}, "caption");
    retry = vell::button("Retry", kRefresh, "tonal");
    std::weak_ptr<vell::Widget> weak = weak_from_this();
    retry->onClick = [weak] {
        auto view = std::static_pointer_cast<LyricsView>(weak.lock());
        const Song* song = playingSong();
        if (!view || !song)
            return;
        services().lyrics.retry(*song);
    };
    text = vell::box();
    text->style().gap = 14;
    text->style().width = vell::SizeSpec::fill();
    text->style().align = vell::Align::Center;
    scroll = vell::scrollView();
    scroll->style().width = vell::SizeSpec::fill();
    scroll->style().height = vell::SizeSpec::fill();
    scroll->add(text);
    add({ status, retry, scroll });
}

void LyricsView::show(const std::string& songId, int cacheChange)
{
    m_songId = songId;
    m_cacheChange = cacheChange;
    currentLine = -1;
    m_synced = false;
    text->clearChildren();
    lines.clear();
    scroll->scrollTo({ 0, 0 });

    const Song* song = playingSong();
    const LyricsCache::Entry* entry = song ? &services().lyrics.get(*song) : nullptr;
    const Lyrics* lyrics = entry ? shownLyrics(*entry) : nullptr;
    retry->visible = entry && entry->state == LyricsCache::Failed;
    scroll->visible = lyrics != nullptr;
    status->visible = lyrics == nullptr;
    if (!entry)
        status->setText("Nothing playing");
    else if (entry->state == LyricsCache::Loading || entry->state == LyricsCache::Unknown)
        status->setText("Loading lyrics");
    else if (entry->state == LyricsCache::Failed)
        status->setText("Couldn't load lyrics: " + entry->error);
    else if (!lyrics)
        status->setText("No lyrics for this song");
    if (!lyrics)
        return;
    m_synced = lyrics->synced;
    // Room above the first and below the last line, so both can sit in the middle.
    if (m_synced)
        text->addChild(vell::spacer(160));
    for (const LyricLine& line : lyrics->lines) {
        auto label = vell::label(line.text.empty() ? " " : line.text, "lyrics-line");
        lines.push_back(label);
        text->addChild(label);
    }
    if (m_synced)
        text->addChild(vell::spacer(160));
}

void LyricsView::highlight(int line)
{
    if (line == currentLine)
        return;
    auto paint = [this](int i, const char* token) {
        if (i >= 0 && i < static_cast<int>(lines.size()))
            lines[static_cast<size_t>(i)]->style().color = vell::colorToken(token);
    };
    paint(currentLine, "onSurfaceVariant");
    paint(line, "primary");
    currentLine = line;
}

void LyricsView::update(vell::UiContext& ctx, float)
{
    LyricsCache& cache = services().lyrics;
    const PlayerCore* player = activePlayer();
    if (player)
        cache.follow(player->queue, services().store.offlineCount);
    const Song* song = playingSong();
    const std::string id = song ? song->id : std::string();
    // Asking for the entry starts the fetch of a song not seen yet.
    if (song)
        cache.get(*song);
    if (id != m_songId || cache.changeCount != m_cacheChange || (!song && m_cacheChange < 0))
        show(id, cache.changeCount);
    if (!m_synced || !player || !song)
        return;
    const LyricsCache::Entry& entry = cache.get(*song);
    const Lyrics* lyrics = shownLyrics(entry);
    if (!lyrics)
        return;
    const double position = player->music().position();
    highlight(lineAtTime(*lyrics, position));
    if (player->music().state() == vell::MusicState::Playing)
        ctx.requestFrameIn(secondsToNextLine(*lyrics, position));
    if (currentLine < 0 || scroll->dragging)
        return;
    // Keep the current line in the middle; the spring makes the move smooth.
    const vell::Rect& at = lines[static_cast<size_t>(currentLine)]->rect;
    const float inContent = at.y - text->rect.y + at.h / 2;
    const float target = std::clamp(inContent - scroll->viewport.h / 2, 0.0f, scroll->maxY());
    if (std::abs(scroll->scrollY.target - target) > 0.5f)
        scroll->scrollY.target = target;
}

} // namespace cad

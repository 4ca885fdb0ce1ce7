#include "app/ui/widgets/now_playing_panel.h"

#include "app/player/player_core.h"
#include "app/ui/device_profile.h"
#include "app/ui/widgets/download_button.h"
#include "app/ui/library_text.h"
#include "app/ui/nav.h"
#include "app/ui/playback_view.h"
#include "app/ui/widgets/result_sections.h"
#include "app/ui/services.h"
#include "app/ui/song_actions.h"

#include <algorithm>
#include <cmath>
#include "vell/box.h"
#include "vell/color_ref.h"
#include "vell/music_player.h"
#include "vell/spacer.h"
#include "vell/ui_context.h"

namespace cad {
namespace {

constexpr int32_t kShuffle = 0xE043;
constexpr int32_t kPrevious = 0xE045;
constexpr int32_t kNext = 0xE044;
constexpr int32_t kRepeat = 0xE040;
constexpr int32_t kRepeatOne = 0xE041;
constexpr int32_t kQueue = 0xE03D;
constexpr int32_t kLyrics = 0xE8D2;
constexpr float kLyricsWidth = 560;
constexpr int32_t kVolume = 0xE050;
constexpr int32_t kHeartFilled = 0xE87D;
constexpr int32_t kHeartOutlined = 0xE87E;
constexpr unsigned kErrorIcon = 0xE000;
constexpr float kSmallButton = 56;
constexpr float kPlaySide = 76;
constexpr float kBadgeSize = 30;
constexpr float kCompactGap = 24, kCompactPaddingX = 16;

// Rows of centred children, as in every results section.
const auto row = sectionRow;

std::string formatText(const Song& song)
{
    std::string text = song.suffix;
    if (song.bitRate > 0)
        text += (text.empty() ? "" : kSeparator) + std::to_string(song.bitRate) + " kbps";
    return text;
}

} // namespace

void NowPlayingPanel::build()
{
    const DeviceProfile& profile = deviceProfile();
    style().direction = vell::Direction::Row;
    style().align = vell::Align::Center;
    style().gap = profile.panelGap;
    style().padding = vell::symmetricEdges(profile.panelPaddingX, profile.panelPaddingY);
    style().width = vell::SizeSpec::fill();
    style().height = vell::SizeSpec::fill();

    cover = coverImage({}, 600, profile.nowPlayingCover);
    cover->style().radius = 34;

    title = vell::label("Nothing playing", "title");
    subtitle = vell::label({}, "subtitle");
    subtitle->style().color = vell::colorToken("primary");
    album = vell::label({}, "caption");
    format = vell::label({}, "caption");
    seek = std::make_shared<WavySeek>();
    seek->onSeek = [](float f) {
        if (PlayerCore* player = activePlayer())
            player->seekFraction(f);
    };
    elapsed = vell::label("0:00", "caption");
    total = vell::label("0:00", "caption");

    shuffle = playerButton(kShuffle, kSmallButton, [](PlayerCore& p) { p.toggleShuffle(); });
    repeat = playerButton(kRepeat, kSmallButton, [](PlayerCore& p) { p.cycleRepeat(); });
    repeatGlyph = std::static_pointer_cast<vell::Glyph>(repeat->children.front());
    play.emplace(kPlaySide, 48);
    std::weak_ptr<vell::Widget> self = weak_from_this();
    lyricsButton = vell::iconButton(kLyrics);
    lyricsButton->style().width = vell::SizeSpec::fixed(kSmallButton);
    lyricsButton->style().height = vell::SizeSpec::fixed(kSmallButton);
    lyricsButton->onClick = [self] {
        if (auto panel = std::static_pointer_cast<NowPlayingPanel>(self.lock()))
            panel->toggleLyrics();
    };
    transport = row(10)->add({ shuffle, playerButton(kPrevious, kSmallButton, [](PlayerCore& p) { p.previous(); }),
        play->button, playerButton(kNext, kSmallButton, [](PlayerCore& p) { p.next(); }), repeat, lyricsButton });
    transport->style().justify = vell::Justify::Center;
    transport->style().width = vell::SizeSpec::fill();

    favourite = vell::iconButton(kHeartOutlined);
    heart = std::static_pointer_cast<vell::Glyph>(favourite->children.front());
    std::weak_ptr<vell::Widget> weak = weak_from_this();
    favourite->onClick = [weak] {
        if (auto panel = std::static_pointer_cast<NowPlayingPanel>(weak.lock()))
            panel->toggleFavourite();
    };
    download = row(0);
    auto queue = vell::iconButton(kQueue);
    queue->onClick = [] {
        if (auto& toggle = nav().toggleQueue)
            toggle();
    };
    auto speaker = vell::glyph(kVolume);
    speaker->style().color = vell::colorToken("onSurfaceVariant");
    volume = vell::slider(0, 1, 0.8f);
    volume->style().width = vell::SizeSpec::fixed(180);
    volume->onChange = [](float v) {
        if (PlayerCore* player = activePlayer())
            player->setVolume(v);
    };

    auto times = row(0)->add({ elapsed, vell::spacer(), total });
    times->style().width = vell::SizeSpec::fill();
    auto info = vell::box();
    info->style().gap = 8;
    info->style().width = vell::SizeSpec::fill();
    info->add({ title, subtitle, album, format, vell::spacer(10), seek, times, transport, vell::spacer(4),
        row(8)->add({ favourite, download, queue, speaker, volume }) });
    lyrics = std::make_shared<LyricsView>();
    lyrics->build();
    lyrics->style().width = vell::SizeSpec::fixed(kLyricsWidth);
    lyrics->visible = false;
    add({ cover, lyrics, info });
}

void NowPlayingPanel::toggleLyrics()
{
    lyrics->visible = !lyrics->visible;
    cover->visible = !lyrics->visible;
    lyricsButton->setChecked(lyrics->visible);
}

void NowPlayingPanel::showSong()
{
    ++rebuilds;
    const Song* song = playingSong();
    title->setText(song ? song->title : "Nothing playing");
    subtitle->setText(song ? song->artist : "Pick something from your library");
    album->setText(song ? song->album : std::string());
    format->setText(shownBuffering ? std::string(kBufferingText) : song ? formatText(*song) : std::string());
    cover->setCoverId(song ? song->coverArt : std::string());
    const bool starred = song && song->starred;
    heart->setCodePoint(starred ? kHeartFilled : kHeartOutlined);
    heart->style().color = vell::colorToken(starred ? "primary" : "onSurfaceVariant");
    download->clearChildren();
    if (song)
        download->addChild(downloadButton({ *song }, kBadgeSize));
}

// On a narrow screen the cover gives up width first, so the details keep room
// for the transport row; the volume slider shortens last. At 1280 x 720 the
// panel is as designed: a 400 px cover and a 180 px slider.
void NowPlayingPanel::fitWidth(float width)
{
    const DeviceProfile& profile = deviceProfile();
    // The details want the transport row at full size: five small buttons, play, gaps.
    constexpr int kButtons = 5;
    constexpr float kIconsBeforeVolume = 3 * 48 + 24 + 4 * 8, kCoverMin = 160, kCoverFloor = 96;
    const float infoFull = transportWidth({}, kButtons);
    const float infoLeast = transportWidth(fitTransport(0, kButtons), kButtons);
    float room = width - 2 * profile.panelPaddingX - profile.panelGap;
    // Too narrow for a full transport beside the smallest cover: tighter margins first.
    const bool compact = room - kCoverMin < infoFull;
    if (compact)
        room = width - 2 * kCompactPaddingX - kCompactGap;
    if (compact != fittedCompact) {
        fittedCompact = compact;
        style().gap = compact ? kCompactGap : profile.panelGap;
        style().padding = vell::symmetricEdges(compact ? kCompactPaddingX : profile.panelPaddingX, profile.panelPaddingY);
        markStyleDirty();
    }
    float side = std::clamp(room - infoFull, kCoverMin, profile.nowPlayingCover);
    // Below that the transport shrinks first, then the cover gives up the rest.
    if (room - side < infoLeast)
        side = std::max(kCoverFloor, room - infoLeast);
    const TransportSizes sizes = fitTransport(room - side, kButtons);
    // The lyrics take the cover's place, wider when there is room.
    const float lyricsWidth = room - side >= infoFull ? std::clamp(room - infoFull, kCoverMin, kLyricsWidth) : side;
    const float slider = std::clamp(room - side - kIconsBeforeVolume, 60.0f, 180.0f);
    if (side == fittedCover && slider == fittedSlider && sizes == fittedTransport && lyricsWidth == fittedLyrics)
        return;
    fittedLyrics = lyricsWidth;
    if (!(sizes == fittedTransport)) {
        fittedTransport = sizes;
        transport->style().gap = sizes.gap;
        transport->markStyleDirty();
        for (const vell::WidgetPtr& button : transport->children) {
            if (button == play->button)
                continue;
            button->style().width = vell::SizeSpec::fixed(sizes.button);
            button->style().height = vell::SizeSpec::fixed(sizes.button);
            button->markStyleDirty();
        }
        play->resize(sizes.play);
    }
    fittedCover = side;
    fittedSlider = slider;
    cover->resize(side);
    lyrics->style().width = vell::SizeSpec::fixed(lyricsWidth);
    lyrics->markStyleDirty();
    volume->style().width = vell::SizeSpec::fixed(slider);
    volume->markStyleDirty();
}

void NowPlayingPanel::update(vell::UiContext& ctx, float)
{
    if (rect.w > 0)
        fitWidth(rect.w);
    const PlayerCore* player = activePlayer();
    const int change = player ? player->changeCount : 0;
    const bool buffering = player && player->music().buffering();
    if (change != lastChange || rebuilds == 0 || buffering != shownBuffering) {
        lastChange = change;
        shownBuffering = buffering;
        showSong();
    }
    const bool current = player && player->current();
    seek->playing = player && musicPlaying(*player);
    seek->disabled = !current || playbackBusy(*player) || !player->music().loaded();
    if (!seek->dragging)
        seek->value = player ? progressFraction(*player) : 0;
    seek->duration = current ? displayDuration(*player) : 0;
    const double position = player ? player->music().position() : 0;
    elapsed->setText(timeText(position));
    if (seek->playing)
        ctx.requestFrameIn(1.0 - std::fmod(std::max(position, 0.0), 1.0)); // the next whole second
    total->setText(timeText(current ? displayDuration(*player) : 0));
    play->follow(player, true);
    shuffle->setChecked(player && player->shuffle);
    repeat->setChecked(player && player->repeat != Off);
    repeatGlyph->setCodePoint(player && player->repeat == One ? kRepeatOne : kRepeat);
    if (player && !volume->dragging)
        volume->setValue(nullptr, player->music().volume(), false);
}

void NowPlayingPanel::toggleFavourite()
{
    const Song* song = playingSong();
    if (!song)
        return;
    const std::string id = song->id;
    const bool starred = !song->starred;
    applyStarred(id, starred);
    services().subsonic.setStarred(id, starred, [](bool ok) {
        if (!ok)
            toast("Couldn't update favorite", "", kErrorIcon, 3.5f);
    });
}

} // namespace cad

#include "app/ui/widgets/mini_player.h"

#include "app/player/player_core.h"
#include "app/ui/library_text.h"
#include "app/ui/nav.h"
#include "app/ui/playback_view.h"
#include "vell/music_player.h"
#include "vell/box.h"
#include "vell/renderer.h"
#include "vell/ui_context.h"

#include <algorithm>
#include <cmath>

namespace cad {
namespace {

constexpr int32_t kPrevious = 0xE045;
constexpr int32_t kNext = 0xE044;

std::shared_ptr<vell::Button> smallButton(int32_t glyph, std::function<void(PlayerCore&)> action)
{
    auto button = playerButton(glyph, 40, std::move(action));
    button->style().padding = vell::uniformEdges(8);
    button->style().minWidth = 0;
    button->style().minHeight = 0;
    return button;
}

} // namespace

void MiniProgress::update(vell::UiContext& ctx, float dt)
{
    // Playback moves the bar a sliver per frame: follow it directly, in whole device
    // pixels, so neither its spring nor its picture changes between those pixels and
    // such frames present nothing. Seeks and new songs (a larger jump) still glide.
    constexpr float kFollow = 0.005f;
    const float width = contentRect().w;
    const float scale = ctx.renderer ? ctx.renderer->scale() : 1.0f;
    const float exact = progress;
    // A pixel behind still follows (an unplaced bar has no pixels).
    const float near = width * scale >= 1 ? std::max(kFollow, 2 / (width * scale)) : kFollow;
    if (moving && std::fabs(progress - shownProgress.value) < near) {
        progress = vell::devicePixelFraction(progress, width, scale);
        shownProgress.value = shownProgress.target = progress;
        shownProgress.velocity = 0;
        ctx.requestFrameIn(vell::secondsToNextDevicePixel(exact, width, scale, duration));
    }
    ProgressBar::update(ctx, dt);
    progress = exact;
    // The wave travels with the end of the fill, not with the clock: it moves when
    // the fill does.
    phase = -std::clamp(shownProgress.value, 0.0f, 1.0f) * width * 2 * float(M_PI) / wavelength;
}

void MiniPlayer::build()
{
    style().direction = vell::Direction::Row;
    style().align = vell::Align::Center;
    style().gap = 10;
    style().width = vell::SizeSpec::fill();

    cover = coverImage({}, 300, 44);
    title = vell::label({}, "row-title");
    subtitle = vell::label({}, "caption");
    auto texts = vell::box();
    texts->style().gap = 1;
    texts->style().width = vell::SizeSpec::fill();
    texts->add({ title, subtitle });
    open = vell::button({}, 0, "mini");
    open->style().width = vell::SizeSpec::fill();
    open->add({ cover, texts });
    open->onClick = [] {
        if (auto& show = nav().showNowPlaying)
            show();
    };

    progress = std::make_shared<MiniProgress>();
    progress->wavy = true;
    progress->thickness = 5;
    progress->waveAmplitude = 2.4f;
    progress->wavelength = 22;
    progress->style().width = vell::SizeSpec::fixed(190);

    play.emplace(44, 26);
    play->button->style().padding = vell::uniformEdges(10);
    play->button->style().minWidth = 0;
    play->button->style().minHeight = 0;
    add({ open, progress, smallButton(kPrevious, [](PlayerCore& p) { p.previous(); }), play->button,
        smallButton(kNext, [](PlayerCore& p) { p.next(); }) });
}

void MiniPlayer::update(vell::UiContext&, float)
{
    const PlayerCore* player = activePlayer();
    const Song* song = player ? player->current() : nullptr;
    visible = song != nullptr;
    if (!song)
        return;
    const bool buffering = player->music().buffering();
    if (player->changeCount != lastChange || buffering != shownBuffering) {
        lastChange = player->changeCount;
        shownBuffering = buffering;
        ++rebuilds;
        title->setText(song->title);
        subtitle->setText(buffering ? kBufferingText : songCaption(*song));
        cover->setCoverId(song->coverArt);
    }
    progress->progress = progressFraction(*player);
    progress->moving = musicPlaying(*player);
    progress->duration = displayDuration(*player);
    play->follow(player, false);
}

std::shared_ptr<MiniPlayer> miniPlayer()
{
    auto mini = std::make_shared<MiniPlayer>();
    mini->build();
    return mini;
}

} // namespace cad
